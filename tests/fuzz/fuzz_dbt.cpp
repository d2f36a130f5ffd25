// Fuzz target: 30 bytes of three memo fields, then a memo file (.DBT); memos read, written (new and
// in place), packed, read again. Findings: a file grown beyond what was written, an overwritten byte.
#include <algorithm>
#include <vector>

#include "fuzz_check.h"

namespace {

constexpr size_t kFieldBytes = 30;

int ReadAll(DbEngine& e, DbTable& t) {
  int lines = 0;
  for (int32_t r = 1; r <= t.record_count; ++r) {
    if (!ReadRecord(e, t, r)) continue;
    bool ok = true;
    int32_t start = MemoBlockNumber(FieldText(t, 1), ok);
    // The dialog list takes 10000 lines.
    if (start > 0) ReadMemo(e, t, start, [&lines](std::string_view) { return ++lines < 10000; });
    e.Clear();
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kFieldBytes) return 0;
  MemFiles fs;
  DbEngine e;
  e.files = &fs;
  if (!fuzz::MakeTable(e, fs, "name;c;4;0\nmemo;m;10;0\n")) Finding("no table");
  const MemBytes original(data + kFieldBytes, data + size);
  fs["T.DBT"] = original;
  DbTable t;
  if (!fuzz::OpenTable(e, t, "T.DBF")) Finding("the table does not open");
  for (int r = 0; r < 3; ++r) {
    StoreField(t, 0, std::to_string(r));
    std::memcpy(t.record.data() + t.fields[1].offset, data + 10 * r, 10);
    WriteRecordBuffer(e, t, -1);
  }
  e.Clear();
  ReadAll(e, t);
  // New memos for records 1 and 2, the second rewritten in place.
  int64_t written = 0;
  const std::vector<std::string_view> one = {"eins", "zwei"};
  const std::vector<std::string> long_lines(3, std::string(200, 'x'));
  const std::vector<std::string_view> three(long_lines.begin(), long_lines.end());
  for (int r = 1; r <= 2; ++r) {
    ReadRecord(e, t, r);
    if (WriteMemo(e, t, 1, r == 1 ? three : one)) written += (r == 1 ? 2 : 1) * kMemoBlockSize;
    if (r == 2 && WriteMemo(e, t, 1, one)) written += kMemoBlockSize;
    WriteRecordBuffer(e, t, r);
    e.Clear();
  }
  const MemBytes& now = fs["T.DBT"];
  const int64_t old_blocks = (static_cast<int64_t>(original.size()) + kMemoBlockSize - 1) / kMemoBlockSize;
  Require(static_cast<int64_t>(now.size()) <= std::max<int64_t>(old_blocks, 1) * kMemoBlockSize + written,
          "the memo file grew beyond what was written");
  // Nothing behind block 0 changed, but a started last block of end marks
  // and zeros.
  size_t free_from = original.size();
  if (original.size() % kMemoBlockSize) {
    size_t tail = original.size() / kMemoBlockSize * kMemoBlockSize;
    if (std::all_of(original.begin() + tail, original.end(), [](uint8_t b) { return b == 0 || b == 0x1a; }))
      free_from = tail;
  }
  for (size_t i = kMemoBlockSize; i < free_from; ++i)
    Require(now[i] == original[i], "a memo write overwrote the file");
  ReadRecord(e, t, 3);
  t.record[0] = '*';
  WriteRecordBuffer(e, t, 3);
  PackTable(e, t);
  e.Clear();
  Require(t.record_count == 2, "the pack lost records");
  ReadAll(e, t);
  return 0;
}
