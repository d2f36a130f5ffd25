#pragma once
// The dBase engine: up to 16 open dBase III tables (.DBF) with their NDX
// indexes (dbase_ndx.*) and DBT memo files (dbase_dbt.*).
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/runtime.h"
#include "core/shortstring.h"

namespace vestil {

struct Runtime;
struct NdxIndex;

constexpr int kTableSlots = 16;        // slots 1..15 can be closed, 1..8 opened
constexpr int kOpenableSlots = 8;
constexpr int kIndexSlots = 16;
constexpr int kMaxStructureFields = 128;
constexpr size_t kRecordCacheSize = 4096;
constexpr size_t kHeaderCacheSize = 8192;

// An open C file, closed when its owner goes.
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a mapped path for reading and writing (read only when read_only is
// set or writing is not allowed). error receives a Windows-style code (2 not
// found, 5 denied).
FileHandle OpenDataFile(const std::string& path, int& error, bool read_only = false);
// FILEMODE 0 opens tables, indexes and memo files read-only.
bool ReadOnlyMode(const Runtime& rt);
// Reads or writes count bytes at pos; false on a short transfer.
bool ReadAt(std::FILE* f, int64_t pos, void* buffer, size_t count);
bool WriteAt(std::FILE* f, int64_t pos, const void* buffer, size_t count);
int64_t FileLength(std::FILE* f);

// A file read through a window of cached bytes; writes go straight to the
// file and refresh the window where they overlap it.
struct ReadCache {
  std::vector<uint8_t> data;
  int64_t start = 0;
  size_t filled = 0;
  size_t capacity = kRecordCacheSize;
  void Reset() { filled = 0; }
  bool Read(std::FILE* f, int64_t pos, void* buffer, size_t count);
  bool Write(std::FILE* f, int64_t pos, const void* buffer, size_t count);
};

struct DbField {
  ShortString name;  // up to the first zero byte, trailing blanks removed
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
  ShortString name;
};

struct DbTable {
  ShortString file_name;  // as opened, with ".DBF" added
  std::string path;       // mapped
  FileHandle dbf;
  FileHandle memo;
  std::string memo_path;
  uint8_t header[32] = {};
  int state = 0;  // 0 closed, 1 open, 2 modified
  bool read_only = false;  // opened under FILEMODE 0
  bool has_memo = false;
  ShortString last_update;
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

struct DbaseState : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kDbase;
  std::array<std::unique_ptr<DbTable>, kTableSlots> slots;  // [0] unused
  int current = 0;
  int pending_message = 0;  // the engine error, as a catalogue number; 0 none
  ShortString pending_detail;
};

// --- shared by the table, index and memo parts ------------------------------
// Sets the pending engine error: the engine code is mapped to its message.
inline DbaseState& Dbase(Runtime& rt) { return rt.Family<DbaseState>(); }

void SetEngineError(Runtime& rt, int code, std::string_view detail);
// Raises the pending engine error (as a warning or as a fatal error) and
// clears it. Returns false when the statement must end.
void RaiseEngineWarning(Runtime& rt);
void RaiseEngineFatal(Runtime& rt);
// The current table, or null when its slot holds none.
DbTable* CurrentTable(Runtime& rt);
// Index of the field named name (upper case, trimmed), or -1.
int FindField(const DbTable& t, std::string_view name);
// The field's bytes in the record buffer; updates current_field.
ShortString FieldText(DbTable& t, int index);
// Stores text, blank-padded and cut, into the record buffer.
void StoreField(DbTable& t, int index, std::string_view text);
// Reads record n into the buffer; false (with engine error 100) when n is
// not a record of the table.
bool ReadRecord(Runtime& rt, DbTable& t, int32_t n);
// Writes the buffer as record target (appends when target is outside).
int32_t WriteRecordBuffer(Runtime& rt, DbTable& t, int32_t target);
// Text conversions of the console's OEM font (TextFontIndex 1).
std::string ToOemIfNeeded(Runtime& rt, std::string_view text);
std::string FromOemIfNeeded(Runtime& rt, std::string_view text);
// Reads a "#n" table number off the argument text; false when the
// statement must end (message 105 given).
bool TableNumberArg(Runtime& rt, char terminator, int32_t& n);

// System variables 0xa0..0xac, 0xc2, 0xc3 of the current table.
void ReadDbaseVariable(Runtime& rt, uint8_t token);

// The engine's statements and functions.
void RegisterDbase(Runtime& rt);

}  // namespace vestil
