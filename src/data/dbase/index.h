#pragma once
// NDX index files: B-trees of 512-byte pages over the records of a table.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/dbase/table.h"

namespace vestil {

constexpr int kNdxPageSize = 512;
constexpr int kNdxCachePages = 32;
constexpr size_t kNdxReadCacheSize = 16384;
// The longest key: five keys must still fit in a page.
constexpr int kMaxNdxKeyLength = 100;

// A page being worked on: room for one entry more than a page holds, so that
// an overfull page can be split.
struct NdxPage {
  uint8_t bytes[1024] = {};
};

struct NdxLevel {
  int32_t page = 0;
  int position = 0;  // 0-based entry in the page
  int count = 0;     // keys in the page
  bool interior = false;
};

struct NdxCacheEntry {
  int32_t page = -1;
  bool changed = false;
  uint8_t bytes[kNdxPageSize] = {};
};

struct NdxIndex {
  std::string file_name;
  std::string file_path;  // the name as the file system took it when opened
  DbFileHandle file;
  ReadCache cache;
  uint8_t header[kNdxPageSize] = {};
  std::string key_expression;
  int32_t root = 1;
  int32_t next_free = 2;
  int key_length = 0;
  int max_keys = 0;
  bool numeric = false;
  int entry_size = 0;
  std::vector<NdxLevel> path;  // root first; empty: no position
  int32_t current = 0;
  std::string current_key;
  bool at_begin = false;
  bool at_end = false;
  bool failed = false;  // a page could not be read or written, or is damaged
  int failures = 0;     // how often
  bool marked = false;  // the update mark is in the file
  int64_t walk = 0;     // steps since the last descent (back: negative)
  std::array<NdxCacheEntry, kNdxCachePages> pages;
  std::array<int, kNdxCachePages> order{};  // cache entries, most recent first

  NdxIndex();
  ~NdxIndex();  // writes back the changed pages
  NdxIndex(const NdxIndex&) = delete;
  NdxIndex& operator=(const NdxIndex&) = delete;
};

// Opens name (".NDX" added when it has no extension); null with engine error
// 2 when it cannot be opened, 901 when its header is not usable, 100 when it
// was not closed after a change.
std::unique_ptr<NdxIndex> NdxOpen(DbEngine& e, std::string_view name, bool read_only);
// Writes the changed pages and clears the update mark; false when a write
// was short.
bool NdxFlush(NdxIndex& x);
// Marks the index as being changed before the first change after opening or
// flushing it (header bytes 8..11); an index found marked on opening was
// not closed after a change and is refused with engine error 100.
bool NdxBeginUpdate(DbEngine& e, NdxIndex& x);
// Closes every index of the table.
void CloseIndexes(DbEngine& e, DbTable& t);
// What a pack needs to write an index again for the packed records: its
// file and its header page (key length and type, expression).
struct NdxRebuild {
  std::string file_name, file_path;
  std::array<uint8_t, kNdxPageSize> header{};
};
// Closes every index of the table, as CloseIndexes, keeping what
// RebuildIndexes needs to write each one again.
std::vector<NdxRebuild> CloseIndexesForRebuild(DbEngine& e, DbTable& t);
// Writes each index file anew over the table's records as they are now; the
// indexes stay closed. An index that misses a record (its key could not be
// made: the engine error says why) stays marked, and opening it gives 100.
void RebuildIndexes(DbEngine& e, DbTable& t, const std::vector<NdxRebuild>& indexes);

// Navigation of the controlling index: the record number at the new
// position; x.at_end / x.at_begin tell when it ran past an end.
int32_t NdxFirst(DbEngine& e, NdxIndex& x);
int32_t NdxLast(DbEngine& e, NdxIndex& x);
int32_t NdxNext(DbEngine& e, NdxIndex& x);
int32_t NdxPrev(DbEngine& e, NdxIndex& x);
// Positions the index on the entry of record n; false when it has none.
bool NdxPositionOn(DbEngine& e, NdxIndex& x, int32_t n);
// Keeps the controlling index up to date after record n was written.
void NdxRecordWritten(DbEngine& e, DbTable& t, int32_t n, bool existed);

// DBINDEX: creates the index `name` over the key expression for the open
// table, makes it the only, controlling index and goes to its first record.
// False with the engine error.
bool NdxCreate(DbEngine& e, DbTable& t, std::string_view expression, std::string_view name);
// @DBUSEINDEX: goes to the first record, replaces the table's indexes by the
// files named in `names` (split at blanks and commas) and goes to the first
// record of the controlling index. Files that cannot be opened leave their
// engine error and are skipped; a damaged file's error (100, 901) outlasts
// a missing file's (2).
void NdxUse(DbEngine& e, DbTable& t, std::string_view names, bool read_only);
// @DBSEEK: searches the controlling index for key; moves to the record found
// and returns its number, or 0.
int32_t NdxSeek(DbEngine& e, DbTable& t, std::string key, bool exact);

}  // namespace vestil
