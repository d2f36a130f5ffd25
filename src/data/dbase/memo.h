#pragma once
// DBT memo files: 512-byte blocks, block 0 holding the next free block; a
// memo is a run of blocks ended by 0x1A.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/dbase/table.h"

namespace vestil {

constexpr int kMemoBlockSize = 512;

// A new memo file: block 0 with the next free block 1, then one 0x1A.
bool CreateMemoFile(DbFiles& files, const std::string& path);
// Opens the memo file of an open table (its name with the last letter "T").
void OpenMemoFile(DbEngine& e, DbTable& t);

// The work file of a pack that receives the memos of the kept records.
struct MemoPack {
  DbFileHandle file;
  std::string path;
  bool failed = false;  // a block could not be written
  // The new start block of each memo copied, by its old one: records that
  // share a memo (a buffer appended twice) share its one copy.
  std::map<int32_t, int32_t> copied;
};
void BeginMemoPack(DbEngine& e, DbTable& t, MemoPack& pack);
// Copies the memos of the record in the buffer and renumbers its fields.
void CopyRecordMemos(DbEngine& e, DbTable& t, MemoPack& pack);
// Closes the work file whole (its block 0 written); false when a block of it
// could not be written.
bool FinishMemoPack(MemoPack& pack);
// Puts the finished work file in the memo file's place and reopens it;
// false with an engine error when that fails (the old memo file stays).
bool EndMemoPack(DbEngine& e, DbTable& t, MemoPack& pack);
// Removes the work file of a pack that does not complete.
void DropMemoPack(DbEngine& e, MemoPack& pack);

// The memo's start block in a field's text; blank gives 0. ok is false for a
// text that is not a number.
int32_t MemoBlockNumber(std::string_view text, bool& ok);
// Stores a start block, right-aligned in 10 characters, into the field.
void StoreMemoBlock(DbTable& t, int field, int32_t block);

// Reads the memo from block `start` line by line into add (which returns
// false when it takes no more lines), with word wrap at t.memo_width. The
// result is the number of blocks read plus the position of 0x1A in the last
// one.
int32_t ReadMemo(DbEngine& e, DbTable& t, int32_t start, const std::function<bool(std::string_view)>& add);
// Writes the lines, each ended by CR LF, as the memo of memo field `field`
// and stores its start block in the record buffer; false with an engine
// error when it could not be written.
bool WriteMemo(DbEngine& e, DbTable& t, int field, const std::vector<std::string_view>& lines);

}  // namespace vestil
