// DBT memo files: creating and opening them, reading a memo with word wrap,
// writing a memo, and copying memos during a pack.
#include "data/dbase/memo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/shortstring.h"
#include "values/convert.h"

namespace vestil {
namespace {

// The memo name keeps the case of the table name's extension.
std::string MemoPathOf(const std::string& table_path) {
  std::string p = table_path;
  if (!p.empty()) {
    char last = p.back();
    p.back() = (last >= 'a' && last <= 'z') ? 't' : 'T';
  }
  return p;
}

// The most blocks a memo file may have: 2 GiB.
constexpr int64_t kMaxMemoBlocks = 0x7fffffff / kMemoBlockSize;

// A file length in blocks, a started block counting whole.
int32_t MemoBlocksOf(int64_t length) {
  return static_cast<int32_t>(std::min<int64_t>((length + kMemoBlockSize - 1) / kMemoBlockSize, kMaxMemoBlocks));
}

std::string MemoName(const DbTable& t) {
  std::string name = t.file_name;
  if (!name.empty()) name.back() = 'T';
  return name;
}

// A memo field that points beyond the memo file.
void MemoMissing(DbEngine& e, const DbTable& t, int32_t block) {
  e.Fail(620, "Memoblock " + std::to_string(block) + " fehlt in " + MemoName(t));
}

// Block 0 of a memo file: the next free block, the rest zero.
bool WriteMemoBlockZero(DbFile* f, int32_t next_free) {
  uint8_t block[kMemoBlockSize] = {};
  WriteLe32(block, static_cast<uint32_t>(next_free));
  return f && f->WriteAt(0, block, sizeof block);
}

}  // namespace

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

bool CreateMemoFile(DbFiles& files, const std::string& path) {
  uint8_t bytes[kMemoBlockSize + 1] = {};
  WriteLe32(bytes, 1);
  bytes[kMemoBlockSize] = 0x1a;
  return ReplaceWhole(files, path, bytes, sizeof bytes) == 0;
}

void OpenMemoFile(DbEngine& e, DbTable& t) {
  t.memo_path = MemoPathOf(t.path);
  int error = 0;
  t.memo = OpenDataFile(*e.files, t.memo_path, error, t.read_only);
  t.memo_block = 0;
  t.memo_blocks = 0;
  if (!t.memo) e.Fail(error, MemoName(t));
}

void BeginMemoPack(DbEngine& e, DbTable& t, MemoPack& pack) {
  if (e.files->CreateWork(t.memo_path, pack.path, pack.file) || !WriteMemoBlockZero(pack.file.get(), 1)) {
    DropMemoPack(e, pack);
    e.Fail(5, MemoName(t));
  }
}

void CopyRecordMemos(DbEngine& e, DbTable& t, MemoPack& pack) {
  DbFile* out = pack.file.get();
  DbFile* in = t.memo.get();
  for (int i = 0; i < t.field_count; ++i) {
    if (t.fields[i].type != 'M') continue;
    std::string text = FieldText(t, i);
    bool ok = true;
    int32_t old_start = MemoBlockNumber(text, ok);
    if (!ok) e.Fail(620, "Kein numerischer Wert in NumberGetN - " + text);
    if (old_start == 0) continue;
    if (auto it = pack.copied.find(old_start); it != pack.copied.end()) {
      StoreMemoBlock(t, i, it->second);
      continue;
    }
    int64_t out_length = out->Length();
    int32_t new_start = MemoBlocksOf(out_length);
    const int64_t in_length = in->Length();
    if (int64_t(old_start) * kMemoBlockSize >= in_length) {
      // Nothing to copy: the field keeps no block of another memo.
      MemoMissing(e, t, old_start);
      StoreMemoBlock(t, i, 0);
      continue;
    }
    uint8_t block[kMemoBlockSize];
    for (int64_t pos = int64_t(old_start) * kMemoBlockSize; pos < in_length; pos += kMemoBlockSize) {
      size_t n = static_cast<size_t>(std::min<int64_t>(kMemoBlockSize, in_length - pos));
      std::memset(block, 0, sizeof block);
      if (!in->ReadAt(pos, block, n)) break;
      void* mark = std::memchr(block, 0x1a, n);
      if (mark) {
        size_t at = static_cast<uint8_t*>(mark) - block;
        std::memset(block + at + 1, 0, kMemoBlockSize - at - 1);
      }
      if (!out->WriteAt(int64_t(new_start) * kMemoBlockSize + (pos - int64_t(old_start) * kMemoBlockSize), block,
                        kMemoBlockSize))
        pack.failed = true;
      if (mark) break;
    }
    pack.copied[old_start] = new_start;
    StoreMemoBlock(t, i, new_start);
  }
}

bool FinishMemoPack(MemoPack& pack) {
  if (!WriteMemoBlockZero(pack.file.get(), MemoBlocksOf(pack.file->Length()))) pack.failed = true;
  pack.file.reset();
  return !pack.failed;
}

bool EndMemoPack(DbEngine& e, DbTable& t, MemoPack& pack) {
  t.memo.reset();
  const int error = e.files->ReplaceByWork(pack.path, t.memo_path);
  pack.path.clear();
  OpenMemoFile(e, t);
  if (error) e.Fail(error, MemoName(t));
  return error == 0;
}

void DropMemoPack(DbEngine& e, MemoPack& pack) {
  pack.file.reset();
  if (!pack.path.empty()) e.files->Erase(pack.path);
  pack.path.clear();
}

int32_t ReadMemo(DbEngine& e, DbTable& t, int32_t start, const std::function<bool(std::string_view)>& add_line) {
  std::string line;
  const size_t width = static_cast<size_t>(t.memo_width);
  int32_t blocks = 0;
  bool full = false;
  auto add = [&](std::string_view s) {
    if (!full && !add_line(s)) full = true;
  };
  uint8_t block[kMemoBlockSize];
  DbFile* f = t.memo.get();
  const int64_t length = f->Length();
  if (int64_t(start) * kMemoBlockSize >= length) {
    MemoMissing(e, t, start);
    return 0;
  }
  for (int64_t pos = int64_t(start) * kMemoBlockSize; pos < length && !full; pos += kMemoBlockSize) {
    size_t n = static_cast<size_t>(std::min<int64_t>(kMemoBlockSize, length - pos));
    if (!f->ReadAt(pos, block, n)) break;
    ++blocks;
    for (size_t i = 0; i < n; ++i) {
      uint8_t b = block[i];
      if (b == 0x0a) continue;
      if (b == 0x0d) {
        add(line);
        line.clear();
        continue;
      }
      if (b == 0x1a) {
        // The end mark closes a line only when it holds text, so that a memo
        // written from the list reads back with the same entries.
        if (!line.empty()) add(line);
        return blocks + static_cast<int32_t>(i) + 1;
      }
      if (b == 0x8d) {
        if (!line.empty() && line.back() != ' ' && line.back() != '-') line.push_back(' ');
      } else {
        line.push_back(static_cast<char>(b));
      }
      if (line.size() > width) {
        size_t cut = line.find_last_of(" -", width - 1);
        if (cut != std::string::npos) {
          add(std::string_view(line).substr(0, cut + 1));
          line.erase(0, cut + 1);
        } else {
          add(std::string_view(line).substr(0, width));
          line.erase(0, width);
        }
      }
    }
  }
  if (!line.empty()) add(line);
  return blocks;
}

bool WriteMemo(DbEngine& e, DbTable& t, int field, const std::vector<std::string_view>& lines) {
  bool ok = true;
  int32_t start = MemoBlockNumber(FieldText(t, field), ok);
  std::string text;
  for (std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  const int32_t needed = static_cast<int32_t>(text.size() / kMemoBlockSize + 1);
  text.push_back('\x1a');
  text.resize(static_cast<size_t>(needed) * kMemoBlockSize, '\0');
  DbFile* f = t.memo.get();
  // In place only over the memo written last for this table, and only while
  // no record refers to it yet: a record written since (or the buffer
  // appended as a copy) may own those blocks. Anything else goes to the end
  // of the file so that no other memo is overwritten.
  bool in_place = start > 0 && start == t.memo_block && needed <= t.memo_blocks && t.memo_unwritten;
  if (!in_place) {
    // At the next free block of block 0, or behind the last whole block when
    // the file holds more. A next free block beyond the file is damage: the
    // file's end is the truth then.
    uint8_t head[4] = {};
    f->ReadAt(0, head, 4);
    const int64_t length = f->Length();
    const int64_t next_free = ReadLe32(head);
    start = static_cast<int32_t>(std::min<int64_t>(length / kMemoBlockSize, kMaxMemoBlocks));
    // A started last block is taken only when it holds nothing but end marks
    // and zeros (as the single 0x1A of a new memo file).
    if (length % kMemoBlockSize) {
      uint8_t tail[kMemoBlockSize] = {};
      size_t n = static_cast<size_t>(length % kMemoBlockSize);
      f->ReadAt(int64_t(start) * kMemoBlockSize, tail, n);
      for (size_t i = 0; i < n; ++i)
        if (tail[i] != 0 && tail[i] != 0x1a) {
          start = MemoBlocksOf(length);
          break;
        }
    }
    if (next_free > start && next_free <= MemoBlocksOf(length)) start = static_cast<int32_t>(next_free);
    if (start < 1) start = 1;
  }
  if (int64_t(start) + needed > kMaxMemoBlocks) {
    e.Fail(100, t.memo_path);
    return false;
  }
  bool written = f->WriteAt(int64_t(start) * kMemoBlockSize, text.data(), text.size());
  written = WriteMemoBlockZero(f, MemoBlocksOf(f->Length())) && written;
  if (!written) {
    e.Fail(100, t.memo_path);
    return false;
  }
  if (in_place) {
    t.memo_blocks = std::max(t.memo_blocks, needed);
  } else {
    t.memo_block = start;
    t.memo_blocks = needed;
  }
  StoreMemoBlock(t, field, start);
  t.memo_unwritten = true;
  return true;
}

}  // namespace vestil
