#pragma once
// The files of the dBase engine: a small interface that the runtime fills
// with the host's files and the unit tests with files in memory, and the
// read cache that tables and indexes read through.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

namespace vestil {

constexpr size_t kRecordCacheSize = 4096;

// An open file: byte-addressed reads and writes.
class DbFile {
 public:
  virtual ~DbFile() = default;
  // Reads up to count bytes at pos; returns how many were read.
  virtual size_t Read(int64_t pos, void* buffer, size_t count) = 0;
  // False on a short write.
  virtual bool WriteAt(int64_t pos, const void* buffer, size_t count) = 0;
  // False on a short read.
  bool ReadAt(int64_t pos, void* buffer, size_t count) { return Read(pos, buffer, count) == count; }
  // The length in bytes; 0 when it cannot be told.
  virtual int64_t Length() = 0;
};
using DbFileHandle = std::unique_ptr<DbFile>;

enum class DbAccess { kRead, kReadWrite, kCreate };

// The file operations the engine needs. Results are 0 or a Windows error
// code (2 not found, 5 access denied, ...).
class DbFiles {
 public:
  virtual ~DbFiles() = default;
  // Turns a script's file name into a path the other operations take.
  virtual std::string MapPath(std::string_view name) { return std::string(name); }
  // kCreate creates the file or empties it, for reading and writing.
  virtual int Open(const std::string& path, DbAccess access, DbFileHandle& file) = 0;
  virtual int Erase(const std::string& path) = 0;
  // Fails when `to` exists.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  // Cuts or extends a closed file to length bytes.
  virtual int Resize(const std::string& path, int64_t length) = 0;
  // A rewrite never leaves a cut file: a work file beside path, opened for
  // reading and writing, takes the new content; once it is closed,
  // ReplaceByWork puts it in path's place in one step (the old file stays and
  // the work file goes when that fails).
  virtual int CreateWork(const std::string& path, std::string& work_path, DbFileHandle& file) = 0;
  virtual int ReplaceByWork(const std::string& work_path, const std::string& path) = 0;
};

// Writes count bytes as the whole new content of path through a work file:
// 0, kDbWriteFailed, or the error of the step that failed (the old file stays).
constexpr int kDbWriteFailed = -1;
int ReplaceWhole(DbFiles& files, const std::string& path, const void* bytes, size_t count);

// Opens a path for reading and writing, or for reading only when read_only
// is set or writing is refused. error receives 2 (not found), 4 (too many
// open files) or 5 (access denied).
DbFileHandle OpenDataFile(DbFiles& files, const std::string& path, int& error, bool read_only = false);

// A file read through a window of cached bytes; writes go straight to the
// file and refresh the window where they overlap it.
struct ReadCache {
  std::vector<uint8_t> data;
  int64_t start = 0;
  size_t filled = 0;
  size_t capacity = kRecordCacheSize;
  void Reset() { filled = 0; }
  bool Read(DbFile* f, int64_t pos, void* buffer, size_t count);
  bool Write(DbFile* f, int64_t pos, const void* buffer, size_t count);
};

}  // namespace vestil
