#pragma once
// The variable store: five tables of named entries (integer, long, float,
// string, area), the four arrays and the parameter slots.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/shortstring.h"
#include "values/value.h"

namespace vestil {

struct Runtime;

constexpr int kMaxVariables = 499;
constexpr int kMaxArrayBound = 32767;
constexpr int kParameterSlotCount = 13;

struct AreaBlock {
  std::unique_ptr<uint8_t[]> bytes;  // size + 1 bytes
  int32_t size = 0;
  uint32_t handle = 0;  // the 32-bit value scripts see
};

// One table of one kind. Entries are numbered from 1 in order of creation;
// names may repeat and the newest entry of a name wins for reads and writes.
// The name index keeps that rule without scanning.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view v) const { return std::hash<std::string_view>{}(v); }
};

// A remembered resolution of a name to an entry (the decoded form of a line
// keeps one per name it reads). It stays right exactly while the entry is
// still the newest of its name. The table's stamp when it was last found
// right saves the check while no entry has come or gone since.
struct VarRef {
  int index = -1;
  const void* name_id = nullptr;
  uint64_t stamp = 0;
};

template <typename V>
class VariableTable {
 public:
  struct Entry {
    ShortString name;
    V value{};
    const void* name_id = nullptr;  // the name's index list: one per name
    bool shadowed = false;          // a newer entry of the same name exists
  };

  int count() const { return static_cast<int>(entries_.size()); }
  bool full() const { return count() >= kMaxVariables; }

  void Append(const ShortString& name, V value) {
    ++stamp_;
    std::vector<int>& list = index_[name.str()];
    if (!list.empty()) entries_[list.back()].shadowed = true;
    entries_.push_back(Entry{name, std::move(value), &list, false});
    list.push_back(count() - 1);
  }

  // The newest entry of the name, or nullptr.
  Entry* Find(std::string_view name) {
    auto it = index_.find(name);
    if (it == index_.end() || it->second.empty()) return nullptr;
    return &entries_[it->second.back()];
  }

  // The entry of a remembered resolution while it is still right, or nullptr.
  Entry* Check(VarRef& ref) {
    if (ref.stamp == stamp_) [[likely]] return &entries_[ref.index];
    if (ref.index < 0 || ref.index >= count()) return nullptr;
    Entry& e = entries_[ref.index];
    if (e.name_id != ref.name_id || e.shadowed) return nullptr;
    ref.stamp = stamp_;
    return &e;
  }

  // The same through a remembered resolution, which is checked and renewed.
  Entry* Find(std::string_view name, VarRef& ref) {
    if (Entry* e = Check(ref)) return e;
    auto it = index_.find(name);
    if (it == index_.end() || it->second.empty()) {
      ref.index = -1;
      ref.stamp = 0;
      return nullptr;
    }
    ref.index = it->second.back();
    ref.name_id = &it->second;
    ref.stamp = stamp_;
    return &entries_[ref.index];
  }

  // Drops every entry from count n on (the return from a procedure). A
  // name's index list stays when it empties, so its identity lives on.
  void Truncate(int n) {
    if (count() > n) ++stamp_;
    while (count() > n) {
      auto it = index_.find(entries_.back().name.view());
      it->second.pop_back();
      if (!it->second.empty()) entries_[it->second.back()].shadowed = false;
      entries_.pop_back();
    }
  }

  Entry& at(int i) { return entries_[i]; }

 private:
  std::vector<Entry> entries_;
  uint64_t stamp_ = 1;  // changes whenever an entry comes or goes
  std::unordered_map<std::string, std::vector<int>, NameHash, std::equal_to<>> index_;
};

struct ScalarCounts {
  int integer = 0, long_ = 0, string = 0, float_ = 0;
};

struct VariableStore {
  VariableTable<int32_t> integers;
  VariableTable<int32_t> longs;
  VariableTable<double> floats;
  VariableTable<ShortString> strings;
  VariableTable<std::shared_ptr<AreaBlock>> areas;
  uint32_t next_area_handle = 0x00010000;

  // The four arrays; a bound of -1 means not dimensioned.
  int bound_int = -1, bound_long = -1, bound_float = -1, bound_string = -1;
  std::vector<int32_t> array_int, array_long;
  std::vector<double> array_float;
  std::vector<ShortString> array_string;

  std::array<SlotValue, kParameterSlotCount> slots{};

  ScalarCounts SaveCounts() const {
    return ScalarCounts{integers.count(), longs.count(), strings.count(), floats.count()};
  }
  void RestoreCounts(const ScalarCounts& c) {
    integers.Truncate(c.integer);
    longs.Truncate(c.long_);
    strings.Truncate(c.string);
    floats.Truncate(c.float_);
  }

  // Resolves a block handle handed out to scripts (used by the DLL layer).
  AreaBlock* ResolveArea(uint32_t handle);
};

// Declares one item as DECLARE does; returns false when the item was skipped.
void DeclareVariable(Runtime& rt, const ShortString& name);

void RegisterVariableStatements(Runtime& rt);
void RegisterVariableFunctions(Runtime& rt);

}  // namespace vestil
