// Fuzz target: an index file (.NDX) over a table of 40 records, walked both
// ways, searched, updated by writes and appends, flushed and opened again.
// Findings: a walk that does not end, an index grown beyond what writes need.

#include "fuzz_check.h"

namespace {

constexpr int kRecords = 40;
constexpr int kWrites = 6;

void Exercise(DbEngine& e, DbTable& t) {
  if (!t.index_active) return;
  NdxIndex& x = *t.indexes[0];
  const int64_t budget = int64_t(x.next_free) * (x.max_keys + 2) + 8;
  fuzz::WalkAll(e, t, true, budget);
  fuzz::WalkAll(e, t, false, budget);
  NdxSeek(e, t, "K1", false);
  NdxSeek(e, t, "K17", true);
  NdxSeek(e, t, "12.5", true);
  e.Clear();
  MoveTo(e, t, DbMove::kNumber, 7);
  MoveTo(e, t, DbMove::kNumber, kRecords + 5);
  e.Clear();
  MoveTo(e, t, DbMove::kFirst, 0);
  FindInField(e, t, 0, "NONE");
  e.Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemFiles fs;
  DbEngine e;
  e.files = &fs;
  if (!fuzz::MakeTable(e, fs, "name;c;10;0\nnum;n;8;2\n")) Finding("no table");
  DbTable t;
  if (!fuzz::OpenTable(e, t, "T.DBF")) Finding("the table does not open");
  for (int r = 1; r <= kRecords; ++r) {
    StoreField(t, 0, "K" + std::to_string(r * 7 % kRecords));
    StoreField(t, 1, std::to_string(r % 9) + ".5");
    WriteRecordBuffer(e, t, -1);
  }
  e.Clear();
  fs["I.NDX"].assign(data, data + size);
  const int64_t pages = (static_cast<int64_t>(size) + kNdxPageSize - 1) / kNdxPageSize;
  // Each key write splits at most one page per level and makes a new root.
  fs.limit = (pages + int64_t(kWrites) * 42) * kNdxPageSize;
  NdxUse(e, t, "I", false);
  e.Clear();
  Exercise(e, t);
  if (t.index_active) {
    MoveTo(e, t, DbMove::kNumber, 3);
    StoreField(t, 0, "CHANGED");
    WriteRecordBuffer(e, t, 3);
    for (int k = 0; k < kWrites - 1; ++k) {
      StoreField(t, 0, "N" + std::to_string(k));
      StoreField(t, 1, std::to_string(k));
      WriteRecordBuffer(e, t, -1);
    }
    e.Clear();
    CloseIndexes(e, t);
    e.Clear();
    Require(!fs.over_limit, "the index grew beyond the pages the writes need");
    NdxUse(e, t, "I", false);
    e.Clear();
    Exercise(e, t);
  }
  return 0;
}
