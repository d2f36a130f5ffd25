// Fuzz target: DBCREATE's structure file; the table made from it is opened
// and gets a record. Findings: a created table that does not open, a field
// length or record length against the rules, a text that does not read back.

#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemFiles fs;
  fs["S.TXT"].assign(data, data + size);
  DbEngine e;
  e.files = &fs;
  if (!CreateTable(e, "S.TXT", "T")) {
    Require(e.Failed(), "a refused structure gives no error");
    return 0;
  }
  Require(!e.Failed(), "a created table left an error");
  DbTable t;
  Require(fuzz::OpenTable(e, t, "T.DBF"), "a created table does not open");
  uint32_t sum = 1;
  for (int i = 0; i < t.field_count; ++i) {
    const DbField& f = t.fields[i];
    Require(f.length >= 1, "a field of length 0");
    Require(f.decimals <= f.length, "more decimals than the field is long");
    if (f.type == 'D') Require(f.length == 8, "a date field not 8 long");
    if (f.type == 'L') Require(f.length == 1, "a logical field not 1 long");
    if (f.type == 'M') Require(f.length == 10, "a memo field not 10 long");
    sum += f.length;
  }
  Require(t.record_length == sum, "the record length is not the sum of the fields");
  for (int i = 0; i < t.field_count; ++i)
    if (t.fields[i].type == 'C') StoreField(t, i, "F" + std::to_string(i));
  WriteRecordBuffer(e, t, -1);
  Require(!e.Failed(), "an append to a new table failed");
  MoveTo(e, t, DbMove::kFirst, 0);
  Require(t.current_record == 1, "the appended record is not there");
  for (int i = 0; i < t.field_count; ++i) {
    if (t.fields[i].type != 'C') continue;
    std::string want = "F" + std::to_string(i);
    want.resize(t.fields[i].length, ' ');
    Require(FieldText(t, i) == want, "a field text does not read back");
  }
  return 0;
}
