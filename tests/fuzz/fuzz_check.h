#pragma once
// What the fuzz targets share: a finding aborts with its name; the dBase
// targets make their tables with the engine itself on files in memory (a
// write that would make a file longer than `limit` fails and sets
// `over_limit`), and turn a walk that does not end into a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/dbase/files.h"
#include "data/dbase/index.h"
#include "data/dbase/memo.h"
#include "data/dbase/table.h"

namespace vestil {

using MemBytes = std::vector<uint8_t>;

class MemFile : public DbFile {
 public:
  MemFile(std::shared_ptr<MemBytes> data, bool writable, int64_t limit, bool& over)
      : data_(std::move(data)), writable_(writable), limit_(limit), over_(over) {}
  size_t Read(int64_t pos, void* buffer, size_t count) override {
    if (pos < 0 || pos >= static_cast<int64_t>(data_->size())) return 0;
    size_t n = std::min(count, data_->size() - static_cast<size_t>(pos));
    std::memcpy(buffer, data_->data() + pos, n);
    return n;
  }
  bool WriteAt(int64_t pos, const void* buffer, size_t count) override {
    if (!writable_ || pos < 0) return false;
    if (pos + static_cast<int64_t>(count) > limit_) {
      over_ = true;
      return false;
    }
    if (data_->size() < pos + count) data_->resize(static_cast<size_t>(pos) + count, 0);
    std::memcpy(data_->data() + pos, buffer, count);
    return true;
  }
  int64_t Length() override { return static_cast<int64_t>(data_->size()); }

 private:
  std::shared_ptr<MemBytes> data_;
  bool writable_;
  int64_t limit_;
  bool& over_;
};

class MemFiles : public DbFiles {
 public:
  std::map<std::string, std::shared_ptr<MemBytes>> files;
  int64_t limit = int64_t(1) << 30;
  bool over_limit = false;
  MemBytes& operator[](const std::string& path) {
    auto& p = files[path];
    if (!p) p = std::make_shared<MemBytes>();
    return *p;
  }

  int Open(const std::string& path, DbAccess access, DbFileHandle& file) override {
    if (access == DbAccess::kCreate) files[path] = std::make_shared<MemBytes>();
    auto it = files.find(path);
    if (it == files.end()) return 2;
    file = std::make_unique<MemFile>(it->second, access != DbAccess::kRead, limit, over_limit);
    return 0;
  }
  int Erase(const std::string& path) override { return files.erase(path) ? 0 : 2; }
  int Rename(const std::string& from, const std::string& to) override {
    return files.count(to) && files.count(from) ? 183 : ReplaceByWork(from, to);
  }
  int CreateWork(const std::string& path, std::string& work_path, DbFileHandle& file) override {
    work_path = path + "~" + std::to_string(++works_);
    return Open(work_path, DbAccess::kCreate, file);
  }
  int ReplaceByWork(const std::string& work_path, const std::string& path) override {
    if (!files.count(work_path)) return 2;
    files[path] = files[work_path];
    files.erase(work_path);
    return 0;
  }
  int Resize(const std::string& path, int64_t length) override {
    if (!files.count(path)) return 2;
    files[path]->resize(static_cast<size_t>(length), 0);
    return 0;
  }
  int works_ = 0;  // work files made
};

}  // namespace vestil

namespace vestil::fuzz {

[[noreturn]] inline void Finding(const char* what) {
  std::fprintf(stderr, "FINDING: %s\n", what);
  std::abort();
}

inline void Require(bool ok, const char* what) {
  if (!ok) Finding(what);
}

// Creates T.DBF from a structure text and opens it; false when it fails.
inline bool OpenTable(DbEngine& e, DbTable& t, const std::string& path) {
  t.file_name = path;
  t.path = path;
  if (!LoadStructure(e, t)) return false;
  t.record.assign(t.record_length, ' ');
  return AttachTable(e, t, false);
}

inline bool MakeTable(DbEngine& e, MemFiles& fs, const char* structure) {
  std::string s(structure);
  fs["S.TXT"].assign(s.begin(), s.end());
  return CreateTable(e, "S.TXT", "T");
}

// Walks to the end with next (or to the start with previous) within a step
// budget: a walk that does not end is a hang.
inline void WalkAll(DbEngine& e, DbTable& t, bool forward, int64_t budget) {
  int steps = 0;
  MoveTo(e, t, forward ? DbMove::kFirst : DbMove::kLast, 0);
  int32_t before = -1;
  while (!t.at_end && !e.Failed()) {
    if (++steps > budget) Finding("a walk does not end");
    if (!forward && t.current_record == before) break;  // stays on the first
    before = t.current_record;
    MoveTo(e, t, forward ? DbMove::kNext : DbMove::kPrev, 0);
    if (!forward) {
      NdxIndex* x = t.index_active ? t.indexes[0].get() : nullptr;
      if (!x || x->at_begin) break;
    }
  }
  e.Clear();
}

}  // namespace vestil::fuzz

// The targets name the engine's types and these checks without a prefix.
using namespace vestil;
using vestil::fuzz::Finding;
using vestil::fuzz::Require;
