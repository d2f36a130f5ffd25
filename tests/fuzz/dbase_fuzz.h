#pragma once
// Shared by the dBase fuzz targets: a table made by the engine itself in
// memory, and the checks that turn a hang or a grown file into a crash.
#include <string>

#include "../dbase/mem_files.h"
#include "data/dbase/index.h"
#include "data/dbase/memo.h"
#include "data/dbase/table.h"
#include "fuzz_check.h"

namespace vestil::fuzz {

// Creates T.DBF from a structure text and opens it; false when it fails.
inline bool OpenTable(DbEngine& e, DbTable& t, const std::string& path) {
  t.file_name = path;
  t.path = path;
  if (!LoadStructure(e, t)) return false;
  t.record.assign(t.record_length, ' ');
  return AttachTable(e, t, false);
}

inline bool MakeTable(DbEngine& e, MemFiles& fs, const char* structure) {
  std::string s(structure);
  fs["S.TXT"].assign(s.begin(), s.end());
  return CreateTable(e, "S.TXT", "T");
}

// Walks to the end with next (or to the start with previous) within a step
// budget: a walk that does not end is a hang.
inline int WalkAll(DbEngine& e, DbTable& t, bool forward, int64_t budget) {
  int steps = 0;
  MoveTo(e, t, forward ? DbMove::kFirst : DbMove::kLast, 0);
  int32_t before = -1;
  while (!t.at_end && !e.Failed()) {
    if (++steps > budget) Finding("a walk does not end");
    if (!forward && t.current_record == before) break;  // stays on the first
    before = t.current_record;
    MoveTo(e, t, forward ? DbMove::kNext : DbMove::kPrev, 0);
    if (!forward) {
      NdxIndex* x = t.index_active ? t.indexes[0].get() : nullptr;
      if (!x || x->at_begin) break;
    }
  }
  e.Clear();
  return steps;
}

}  // namespace vestil::fuzz
