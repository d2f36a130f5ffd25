// DBT memo files: reading a memo into the dialog list with word wrap,
// writing the dialog list as a memo, and copying memos during a pack.
#include "data/dbase_dbt.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/errors.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {

void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The memo name keeps the case of the table name's extension.
std::string MemoPathOf(const std::string& table_path) {
  std::string p = table_path;
  if (!p.empty()) {
    char last = p.back();
    p.back() = (last >= 'a' && last <= 'z') ? 't' : 'T';
  }
  return p;
}

}  // namespace

int32_t MemoBlocksOf(int64_t length) { return static_cast<int32_t>((length + kMemoBlockSize - 1) / kMemoBlockSize); }

bool WriteMemoBlockZero(std::FILE* f, int32_t next_free) {
  uint8_t block[kMemoBlockSize] = {};
  PutLE32(block, static_cast<uint32_t>(next_free));
  return WriteAt(f, 0, block, sizeof block);
}

int32_t MemoBlockNumber(std::string_view text, bool& ok) {
  std::string_view v = TrimView(text);
  int32_t n = 0;
  ok = v.empty() || TextToInt(v, n);
  if (!ok || n < 0) n = 0;
  return n;
}

void StoreMemoBlock(DbTable& t, int field, int32_t block) {
  char text[16];
  std::snprintf(text, sizeof text, "%10ld", static_cast<long>(block));
  StoreField(t, field, text);
}

bool CreateMemoFile(const std::string& path) {
  FileHandle f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  uint8_t bytes[kMemoBlockSize + 1] = {};
  PutLE32(bytes, 1);
  bytes[kMemoBlockSize] = 0x1a;
  return std::fwrite(bytes, 1, sizeof bytes, f.get()) == sizeof bytes;
}

void OpenMemoFile(Runtime& rt, DbTable& t) {
  t.memo_path = MemoPathOf(t.path);
  int error = 0;
  t.memo = OpenDataFile(t.memo_path, error, ReadOnlyMode(rt));
  t.memo_block = 0;
  t.memo_blocks = 0;
  if (!t.memo) {
    std::string name(t.file_name.view());
    if (!name.empty()) name.back() = 'T';
    SetEngineError(rt, error, name);
  }
}

void BeginMemoPack(Runtime& rt, DbTable& t, MemoPack& pack) {
  std::string folder = t.memo_path;
  size_t slash = folder.find_last_of("\\/");
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  pack.path = folder + "DB3$$$.D$$";
  pack.file.reset(std::fopen(pack.path.c_str(), "w+b"));
  if (!pack.file || !WriteMemoBlockZero(pack.file.get(), 1)) {
    pack.file.reset();
    SetEngineError(rt, 5, "DB3$$$.D$$");
    return;
  }
  std::setvbuf(pack.file.get(), nullptr, _IONBF, 0);
}

void CopyRecordMemos(Runtime& rt, DbTable& t, MemoPack& pack) {
  std::FILE* out = pack.file.get();
  std::FILE* in = t.memo.get();
  for (int i = 0; i < t.field_count; ++i) {
    if (t.fields[i].type != 'M') continue;
    ShortString text = FieldText(t, i);
    bool ok = true;
    int32_t old_start = MemoBlockNumber(text.view(), ok);
    if (!ok) SetEngineError(rt, 620, "Kein numerischer Wert in NumberGetN - " + text.str());
    if (old_start == 0) continue;
    int64_t out_length = FileLength(out);
    int32_t new_start = MemoBlocksOf(out_length);
    const int64_t in_length = FileLength(in);
    uint8_t block[kMemoBlockSize];
    for (int64_t pos = int64_t(old_start) * kMemoBlockSize; pos < in_length; pos += kMemoBlockSize) {
      size_t n = static_cast<size_t>(std::min<int64_t>(kMemoBlockSize, in_length - pos));
      std::memset(block, 0, sizeof block);
      if (!ReadAt(in, pos, block, n)) break;
      void* mark = std::memchr(block, 0x1a, n);
      if (mark) {
        size_t at = static_cast<uint8_t*>(mark) - block;
        std::memset(block + at + 1, 0, kMemoBlockSize - at - 1);
      }
      WriteAt(out, int64_t(new_start) * kMemoBlockSize + (pos - int64_t(old_start) * kMemoBlockSize), block,
              kMemoBlockSize);
      if (mark) break;
    }
    StoreMemoBlock(t, i, new_start);
  }
}

void EndMemoPack(Runtime& rt, DbTable& t, MemoPack& pack) {
  WriteMemoBlockZero(pack.file.get(), MemoBlocksOf(FileLength(pack.file.get())));
  pack.file.reset();
  t.memo.reset();
  std::remove(t.memo_path.c_str());
  if (std::rename(pack.path.c_str(), t.memo_path.c_str()) != 0) SetEngineError(rt, 5, t.memo_path);
  OpenMemoFile(rt, t);
}


}  // namespace vestil
