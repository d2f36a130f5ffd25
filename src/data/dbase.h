#pragma once
// The dBase functions and statements of scripts: up to 16 open dBase III
// tables with their NDX indexes and DBT memo files, over the engine of
// data/dbase/ (table.h, index.h, memo.h).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/runtime.h"
#include "data/dbase/files.h"
#include "data/dbase/table.h"

namespace vestil {


constexpr int kTableSlots = 16;  // slots 1..15 can be closed, 1..8 opened
constexpr int kOpenableSlots = 8;

// The engine's files as the host gives them.
class HostDbFiles : public DbFiles {
 public:
  FileSystem* files = nullptr;
  std::string MapPath(std::string_view name) override;
  int Open(const std::string& path, DbAccess access, DbFileHandle& file) override;
  int Erase(const std::string& path) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Resize(const std::string& path, int64_t length) override;
  int CreateWork(const std::string& path, std::string& work_path, DbFileHandle& file) override;
  int ReplaceByWork(const std::string& work_path, const std::string& path) override;
};

struct DbaseState : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kDbase;
  std::array<std::unique_ptr<DbTable>, kTableSlots> slots;  // [0] unused
  int current = 0;
  HostDbFiles files;
  // Its error is the pending engine error, shared by all tables.
  DbEngine engine;
};

inline DbaseState& Dbase(Runtime& rt) { return rt.Family<DbaseState>(); }

// The engine, working with the host's files.
DbEngine& Engine(Runtime& rt);
// Raises the pending engine error (as a warning or as a fatal error) with
// its message and clears it.
void RaiseEngineWarning(Runtime& rt);
void RaiseEngineFatal(Runtime& rt);
// The current table, or null when its slot holds none.
DbTable* CurrentTable(Runtime& rt);
// Text conversions of the console's OEM font (TextFontIndex 1).
std::string ToOemIfNeeded(Runtime& rt, std::string_view text);
std::string FromOemIfNeeded(Runtime& rt, std::string_view text);
// Reads a "#n" table number off the argument text; false when the
// statement must end (message 105 given).
bool TableNumberArg(Runtime& rt, char terminator, int32_t& n);

// The system variables of the current table.
void ReadDbaseVariable(Runtime& rt, uint8_t token);

// The engine's statements and functions.
void RegisterDbase(Runtime& rt);
void RegisterDbaseIndex(Runtime& rt);  // dbase_index_functions.cpp
void RegisterDbaseMemo(Runtime& rt);   // dbase_memo_functions.cpp

}  // namespace vestil
