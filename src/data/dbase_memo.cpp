// The memo functions: @DBGETMEMO reads a memo into the dialog list with word
// wrap, @DBPUTMEMO writes the dialog list as a memo.
#include <cstdio>
#include <string>

#include "core/errors.h"
#include "core/runtime.h"
#include "data/dbase_dbt.h"
#include "core/dialog_list.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

uint32_t GetLE32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

// Reads the memo from block `start` into the dialog list; the result is the
// number of blocks read plus the position of 0x1A in the last one. A memo
// without its end mark stops at the end of the file.
int32_t ReadMemo(Runtime& rt, DbTable& t, int32_t start) {
  std::string line;
  const size_t width = static_cast<size_t>(t.memo_width);
  int32_t blocks = 0;
  bool full = false;
  auto add = [&](std::string_view s) {
    if (!full && !ListAdd(rt, s)) full = true;
  };
  uint8_t block[kMemoBlockSize];
  std::FILE* f = t.memo.get();
  const int64_t length = FileLength(f);
  for (int64_t pos = int64_t(start) * kMemoBlockSize; pos < length && !full; pos += kMemoBlockSize) {
    size_t n = static_cast<size_t>(std::min<int64_t>(kMemoBlockSize, length - pos));
    if (!ReadAt(f, pos, block, n)) break;
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

int FindMemoField(Runtime& rt, DbTable& t, const ShortString& name) {
  int i = FindField(t, name);
  if (i < 0) {
    t.current_field = FieldInfo();
    SetEngineError(rt, 602, name);
  }
  return i;
}

void DbGetMemo(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  ShortString name = rt.eval.rr.text();
  NumberResult(rt, ctx, -1, kTypeLong);
  DbTable* t = CurrentTable(rt);
  if (!t) return RuntimeWarning(rt, 610, "");
  int i = FindMemoField(rt, *t, name);
  if (i >= 0) FieldText(*t, i);
  if (i < 0 || t->fields[i].type != 'M') {
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, -1, kTypeLong);
  }
  ListClear(rt);
  bool ok = true;
  int32_t start = MemoBlockNumber(FieldText(*t, i).view(), ok);
  int32_t result = 0;
  // A blank or zero block number is no memo: the list stays empty.
  if (start > 0 && t->memo) result = ReadMemo(rt, *t, start);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, result, kTypeLong);
}

void DbPutMemo(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  ShortString name = rt.eval.rr.text();
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = CurrentTable(rt);
  if (!t) return RuntimeWarning(rt, 610, "");
  int i = FindMemoField(rt, *t, name);
  if (i < 0 || t->fields[i].type != 'M' || !t->memo) {
    if (i >= 0) FieldText(*t, i);
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, 0, kTypeLong);
  }
  bool ok = true;
  int32_t start = MemoBlockNumber(FieldText(*t, i).view(), ok);
  std::string text;
  for (int32_t k = 0; k <= rt.dialog_list.last; ++k) {
    text.append(rt.dialog_list.items[static_cast<size_t>(k)].view());
    text.append("\r\n");
  }
  const int32_t needed = static_cast<int32_t>(text.size() / kMemoBlockSize + 1);
  text.push_back('\x1a');
  text.resize(static_cast<size_t>(needed) * kMemoBlockSize, '\0');
  std::FILE* f = t->memo.get();
  // In place only over the memo written last for this table, and only while
  // no record refers to it yet: a record written since (or the buffer
  // appended as a copy) may own those blocks. Anything else goes to the end
  // of the file so that no other memo is overwritten.
  bool in_place = start > 0 && start == t->memo_block && needed <= t->memo_blocks && t->memo_unwritten;
  if (!in_place) {
    uint8_t head[4] = {};
    ReadAt(f, 0, head, 4);
    int64_t length = FileLength(f);
    start = std::max<int32_t>(static_cast<int32_t>(GetLE32(head)), static_cast<int32_t>(length / kMemoBlockSize));
    if (start < 1) start = 1;
  }
  bool written = WriteAt(f, int64_t(start) * kMemoBlockSize, text.data(), text.size());
  written = WriteMemoBlockZero(f, MemoBlocksOf(FileLength(f))) && written;
  if (!written) {
    SetEngineError(rt, 100, t->memo_path);
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, 0, kTypeLong);
  }
  if (in_place) {
    t->memo_blocks = std::max(t->memo_blocks, needed);
  } else {
    t->memo_block = start;
    t->memo_blocks = needed;
  }
  StoreMemoBlock(*t, i, start);
  t->memo_unwritten = true;
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, 1, kTypeLong);
}

}  // namespace

void RegisterDbaseMemo(Runtime& rt) {
  rt.eval.functions[0x47] = DbGetMemo;
  rt.eval.functions[0x48] = DbPutMemo;
}

}  // namespace vestil
