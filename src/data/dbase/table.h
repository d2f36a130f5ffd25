#pragma once
// The dBase III table engine: the DBF format, navigation, field access,
// record writes, packing and creating tables. Plain code over the file
// interface of files.h: failures are left in DbEngine::error for the caller
// to report.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/dbase/files.h"

namespace vestil {

struct NdxIndex;

constexpr int kIndexSlots = 16;
constexpr int kMaxStructureFields = 128;

// The pending engine error: an engine code (2 file missing, 100 record or
// page not found, 157 not a table, 501 key not numeric, 601 key expression,
// 602..605 field not found, 620 memo block, 800..803 structure file, 901 index
// header, or an operating-system code) with its detail text. Code 0: none.
struct DbError {
  int code = 0;
  std::string detail;
};

// What every engine operation works with: the files and the pending error.
struct DbEngine {
  DbFiles* files = nullptr;
  DbError error;
  void Fail(int code, std::string_view detail) {
    error.code = code;
    error.detail.assign(detail);
  }
  bool Failed() const { return error.code != 0; }
  void Clear() { error = DbError(); }
};

struct DbField {
  std::string name;  // up to the first zero byte, trailing blanks removed
  char type = 'C';
  uint8_t length = 0;
  uint8_t decimals = 0;
  uint32_t offset = 0;  // inside the record; the first field has offset 1
};

// The field touched last; type ' ' after a failed access.
struct FieldInfo {
  char type = ' ';
  int32_t decimals = 0;
  int32_t length = 0;
  int32_t number = 0;
  std::string name;
};

struct DbTable {
  std::string file_name;  // as opened, with ".DBF" added
  std::string path;       // mapped
  DbFileHandle dbf;
  DbFileHandle memo;
  std::string memo_path;
  uint8_t header[32] = {};
  int state = 0;           // 0 closed, 1 open, 2 modified
  bool read_only = false;  // opened under FILEMODE 0
  bool has_memo = false;
  std::string last_update;
  int32_t record_count = 0;
  uint16_t header_length = 0;
  uint16_t record_length = 0;
  int field_count = 0;
  std::vector<DbField> fields;
  std::vector<uint8_t> record;  // record_length bytes
  int32_t current_record = 0;
  bool deleted = false;
  bool at_end = false;
  bool found = false;
  std::array<std::unique_ptr<NdxIndex>, kIndexSlots> indexes;
  bool index_active = false;
  FieldInfo current_field;
  int memo_width = 80;
  int32_t memo_block = 0;   // where the last memo was written
  int32_t memo_blocks = 0;  // and how many blocks it took
  // True while those blocks are referenced by the record buffer only: no
  // record has been written since, so they may be overwritten in place.
  bool memo_unwritten = false;
  ReadCache cache;

  DbTable();
  // Writes the header back when modified and closes indexes and files.
  ~DbTable();
  DbTable(const DbTable&) = delete;
  DbTable& operator=(const DbTable&) = delete;
};

enum class DbMove { kFirst, kLast, kNext, kPrev, kNumber };

// The name with ".DBF" added when it has no extension.
std::string TableFileName(std::string_view name);
// Reads the header and the field descriptors of t.path (t.file_name names it
// in errors); false with engine error 157 for a file that is no table this
// engine can trust, or the file's own error.
bool LoadStructure(DbEngine& e, DbTable& t);
// Opens a loaded table's file (read only when asked) and its memo file, and
// marks it open before the first record. False with the open error.
bool AttachTable(DbEngine& e, DbTable& t, bool read_only);

// Index of the field named name (upper case, trimmed), or -1.
int FindField(const DbTable& t, std::string_view name);
// The field's bytes in the record buffer; updates current_field.
std::string FieldText(DbTable& t, int index);
// Stores text, blank-padded and cut, into the record buffer.
void StoreField(DbTable& t, int index, std::string_view text);
void BlankRecord(DbTable& t);

// Reads record n into the buffer; false (engine error 100) when n is not a
// record of the table.
bool ReadRecord(DbEngine& e, DbTable& t, int32_t n);
// Writes the buffer as record target (appends when target is outside) and
// updates the controlling index; returns the record number written.
int32_t WriteRecordBuffer(DbEngine& e, DbTable& t, int32_t target);
// Moves to the first, last, next or previous record (in index order under an
// active index) or to record n.
void MoveTo(DbEngine& e, DbTable& t, DbMove m, int32_t n);
// Searches from the current record on for a record whose field contains
// `want` (compared upper-cased); 0 when none, the table then at its end.
int32_t FindInField(DbEngine& e, DbTable& t, int field, std::string_view want);
// Removes the deleted records (and their memos); returns the new count.
int32_t PackTable(DbEngine& e, DbTable& t);

// Creates an empty table `name` (".DBF" added) from a structure description
// file; false with the engine error.
bool CreateTable(DbEngine& e, std::string_view structure, std::string_view name);

// Name upper-casing (Latin-1 letters included) and blank trimming.
std::string UpperName(std::string_view s);

}  // namespace vestil
