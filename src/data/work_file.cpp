// Whole-file rewrites through a work file beside the file (see work_file.h).
#include "data/work_file.h"

#include <memory>

#include "base/windows_errors.h"

namespace vestil {

int ReplaceWholeFile(FileSystem& files, const std::string& path, std::string_view bytes) {
  std::string work;
  std::unique_ptr<HostFile> file;
  if (int error = files.CreateWorkFile(path, work, file)) return error;
  size_t done = 0;
  int error = file->Write(bytes.data(), bytes.size(), done);
  // A write cut short (a full disk, a size limit) that reported no error.
  if (error == 0 && done != bytes.size()) error = win_error::kDiskFull;
  file.reset();
  if (error) {
    files.EraseFile(work);
    return error;
  }
  return files.ReplaceByWorkFile(work, path);
}

}  // namespace vestil
