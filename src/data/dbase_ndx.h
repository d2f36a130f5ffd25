#pragma once
// NDX index files: B-trees of 512-byte pages over the records of a table.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/shortstring.h"
#include "data/dbase.h"

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
  ShortString file_name;
  FileHandle file;
  ReadCache cache;
  uint8_t header[kNdxPageSize] = {};
  ShortString key_expression;
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
  bool failed = false;  // a page could not be read or written
  std::array<NdxCacheEntry, kNdxCachePages> pages;
  std::array<int, kNdxCachePages> order{};  // cache entries, most recent first

  NdxIndex();
  ~NdxIndex();  // writes back the changed pages
  NdxIndex(const NdxIndex&) = delete;
  NdxIndex& operator=(const NdxIndex&) = delete;
};

// Opens name + ".NDX" for the table; null (engine error 2) when it cannot.
std::unique_ptr<NdxIndex> NdxOpen(Runtime& rt, std::string_view name);
// Writes the changed pages; false when a write was short.
bool NdxFlush(NdxIndex& x);
// Closes every index of the table.
void CloseIndexes(Runtime& rt, DbTable& t);

// Navigation of the controlling index: the record number at the new
// position; x.at_end / x.at_begin tell when it ran past an end.
int32_t NdxFirst(Runtime& rt, NdxIndex& x);
int32_t NdxLast(Runtime& rt, NdxIndex& x);
int32_t NdxNext(Runtime& rt, NdxIndex& x);
int32_t NdxPrev(Runtime& rt, NdxIndex& x);
// Positions the index on the entry of record n; false when it has none.
bool NdxPositionOn(Runtime& rt, NdxIndex& x, int32_t n);
// Keeps the controlling index up to date after record n was written.
void NdxRecordWritten(Runtime& rt, DbTable& t, int32_t n, bool existed);

void RegisterDbaseIndex(Runtime& rt);

}  // namespace vestil
