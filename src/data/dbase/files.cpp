// Opening the engine's files and the read cache.
#include "data/dbase/files.h"

#include <algorithm>
#include <cstring>

namespace vestil {

DbFileHandle OpenDataFile(DbFiles& files, const std::string& path, int& error, bool read_only) {
  DbFileHandle f;
  int code = files.Open(path, read_only ? DbAccess::kRead : DbAccess::kReadWrite, f);
  // A file that may not be written (or a read-only medium, 19) is read.
  if (code == 5 || code == 19) code = files.Open(path, DbAccess::kRead, f);
  error = code == 0 ? 0 : (code == 5 || code == 4) ? code : 2;
  if (code) f.reset();
  return f;
}

int ReplaceWhole(DbFiles& files, const std::string& path, const void* bytes, size_t count) {
  std::string work;
  DbFileHandle f;
  if (int error = files.CreateWork(path, work, f)) return error;
  const bool written = f->WriteAt(0, bytes, count);
  f.reset();
  if (!written) {
    files.Erase(work);
    return kDbWriteFailed;
  }
  return files.ReplaceByWork(work, path);
}

bool ReadCache::Read(DbFile* f, int64_t pos, void* buffer, size_t count) {
  if (pos >= start && pos + static_cast<int64_t>(count) <= start + static_cast<int64_t>(filled)) {
    std::memcpy(buffer, data.data() + (pos - start), count);
    return true;
  }
  if (!f) return false;
  if (count > capacity) return f->ReadAt(pos, buffer, count);
  data.resize(capacity);
  filled = 0;
  start = pos;
  // One block read from pos: what the file holds of it fills the window.
  filled = f->Read(pos, data.data(), capacity);
  if (filled < count) return false;
  std::memcpy(buffer, data.data(), count);
  return true;
}

bool ReadCache::Write(DbFile* f, int64_t pos, const void* buffer, size_t count) {
  bool ok = f && f->WriteAt(pos, buffer, count);
  // Keep the cached window equal to the file where the two overlap.
  int64_t a = std::max(pos, start);
  int64_t b = std::min(pos + static_cast<int64_t>(count), start + static_cast<int64_t>(filled));
  if (filled && a < b) std::memcpy(data.data() + (a - start), static_cast<const uint8_t*>(buffer) + (a - pos), b - a);
  if (!ok) filled = 0;
  return ok;
}

}  // namespace vestil
