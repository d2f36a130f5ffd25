#pragma once
// Files and folders: the script's Windows paths mapped to the platform's,
// open files, attributes, folders, drives and the directory search. Results
// are 0 or a Windows error code (2 file not found, 3 path not found, 5 access
// denied, ...); paths given to these calls have passed MapPath.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vestil {

// A directory entry found by FileSystem::FindFiles, with its Windows attributes.
struct FoundFile {
  std::string name;
  uint32_t attributes = 0;
};
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;

// An open file of the host: byte-addressed reads, writes and positions.
class HostFile {
 public:
  virtual ~HostFile() = default;
  virtual int Read(void* buffer, size_t count, size_t& done) = 0;
  virtual int Write(const void* buffer, size_t count, size_t& done) = 0;
  virtual int Seek(int64_t position) = 0;  // from the start of the file
  virtual int Position(int64_t& position) = 0;
  virtual int Size(int64_t& size) = 0;
};

// The access of a file handle that OpenHostFile opens.
enum class FileAccess { kRead = 0, kWrite = 1, kReadWrite = 2 };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Turns a script's file name into a path the platform can open.
  virtual std::string MapPath(std::string_view name) = 0;
  // Opens an existing file, or with `create` creates (or truncates) it.
  virtual int OpenHostFile(const std::string& path, FileAccess access, bool create,
                           std::unique_ptr<HostFile>& file) = 0;
  virtual int EraseFile(const std::string& path) = 0;
  // Fails when `to` exists (183), as MoveFile does.
  virtual int RenameFile(const std::string& from, const std::string& to) = 0;
  // A rewrite of a whole file never leaves a cut one: the new content goes to
  // a work file, made here empty, with a name of its own in the folder of
  // `path` and opened for reading and writing; once it is written and closed,
  // ReplaceByWorkFile flushes it to the disk and puts it in the place of
  // `path` in one step (an existing file, not a read-only one, is replaced
  // whole; a symbolic link keeps pointing at the file it names). On failure
  // the old file stays and the work file is removed.
  virtual int CreateWorkFile(const std::string& path, std::string& work_path,
                             std::unique_ptr<HostFile>& file) = 0;
  virtual int ReplaceByWorkFile(const std::string& work_path, const std::string& path) = 0;
  // Cuts or extends a closed file to length bytes.
  virtual int ResizeFile(const std::string& path, int64_t length) = 0;
  // True when both paths name one existing file.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
  virtual int GetAttributes(const std::string& path, uint32_t& attributes) = 0;
  virtual int SetAttributes(const std::string& path, uint32_t attributes) = 0;
  // The local date of the last write of a file or folder.
  virtual int FileDate(const std::string& path, int& year, int& month, int& day) = 0;
  virtual int ChangeDirectory(const std::string& path) = 0;
  virtual int MakeDirectory(const std::string& path) = 0;
  virtual int DeleteDirectory(const std::string& path) = 0;
  // Drive numbers: 0 the current drive, 1 A:, 2 B:, ... False for an invalid drive.
  virtual bool DiskSpace(int drive, int64_t& free_bytes, int64_t& total_bytes) = 0;
  // The current directory, in the script's (Windows) form.
  virtual std::string CurrentDirectory() = 0;
  // The current directory of a drive, in the script's (Windows) form.
  virtual std::string DriveDirectory(int drive) = 0;
  // The entries matching a pattern (a path whose last part may hold * and ?),
  // directories, hidden and system entries included, in the platform's order.
  virtual std::vector<FoundFile> FindFiles(std::string_view pattern) = 0;
};

}  // namespace vestil
