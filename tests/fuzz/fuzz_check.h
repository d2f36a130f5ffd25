#pragma once
// What the fuzz targets share: a finding aborts with its name; the dBase
// targets make their tables with the engine itself, in memory, and turn a
// walk that does not end into a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../dbase/mem_files.h"
#include "data/dbase/index.h"
#include "data/dbase/memo.h"
#include "data/dbase/table.h"

namespace vestil::fuzz {

[[noreturn]] inline void Finding(const char* what) {
  std::fprintf(stderr, "FINDING: %s\n", what);
  std::abort();
}

inline void Require(bool ok, const char* what) {
  if (!ok) Finding(what);
}

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
inline void WalkAll(DbEngine& e, DbTable& t, bool forward, int64_t budget) {
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
}

}  // namespace vestil::fuzz

// The targets name the engine's types and these checks without a prefix.
using namespace vestil;
using vestil::fuzz::Finding;
using vestil::fuzz::Require;
