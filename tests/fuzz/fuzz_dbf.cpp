// Fuzz target: a table file (.DBF), opened, walked, read, written, appended
// to, searched, packed and opened again. Findings: a walk that does not end,
// a file grown beyond what was written, a record lost.
#include <algorithm>

#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemFiles fs;
  // Room for three appends of the longest records.
  fs.limit = static_cast<int64_t>(size) + 3 * 65536;
  fs["T.DBF"].assign(data, data + size);
  DbEngine e;
  e.files = &fs;
  // A memo file for tables that say they have memos.
  CreateMemoFile(fs, "T.DBT");
  int32_t expected = 0;
  {
    DbTable t;
    if (!fuzz::OpenTable(e, t, "T.DBF")) return 0;
    e.Clear();
    const int32_t count = t.record_count;
    Require(int64_t(t.header_length) + int64_t(count) * t.record_length <= int64_t(size), "count beyond the file");
    fuzz::WalkAll(e, t, true, int64_t(count) + 2);
    for (int i = 0; i < t.field_count; ++i) FieldText(t, i);
    MoveTo(e, t, DbMove::kLast, 0);
    MoveTo(e, t, DbMove::kPrev, 0);
    MoveTo(e, t, DbMove::kNumber, count / 2);
    e.Clear();
    // Rewrite the current record, append three, delete and recall one.
    if (t.field_count > 0) StoreField(t, 0, "FUZZ");
    if (t.current_record > 0) WriteRecordBuffer(e, t, t.current_record);
    e.Clear();
    for (int k = 0; k < 3; ++k) {
      if (t.field_count > 0) StoreField(t, t.field_count - 1, std::to_string(k));
      WriteRecordBuffer(e, t, -1);
      Require(!e.Failed(), "an append failed");
    }
    Require(t.record_count == count + 3, "appends not counted");
    const int64_t end = int64_t(t.header_length) + int64_t(t.record_count) * t.record_length + 1;
    Require(int64_t(fs["T.DBF"].size()) <= std::max<int64_t>(int64_t(size), end),
            "the table grew beyond its records");
    MoveTo(e, t, DbMove::kNumber, 1);
    t.record[0] = '*';
    WriteRecordBuffer(e, t, t.current_record);
    MoveTo(e, t, DbMove::kNumber, 2);
    e.Clear();
    if (t.field_count > 0) {
      MoveTo(e, t, DbMove::kFirst, 0);
      FindInField(e, t, 0, "ZZ");
      e.Clear();
    }
    int32_t deleted = 0;
    for (int32_t r = 1; r <= t.record_count; ++r) {
      Require(ReadRecord(e, t, r), "a record cannot be read back");
      deleted += t.deleted ? 1 : 0;
    }
    expected = PackTable(e, t);
    e.Clear();
    Require(expected == count + 3 - deleted, "the pack lost or kept records");
    Require(!fs.over_limit, "the table grew beyond what was written");
  }
  DbTable u;
  Require(fuzz::OpenTable(e, u, "T.DBF"), "the packed table does not open");
  Require(u.record_count == expected, "records lost after reopening");
  Require(int64_t(fs["T.DBF"].size()) == int64_t(u.header_length) + int64_t(expected) * u.record_length + 1,
          "the packed file's length");
  return 0;
}
