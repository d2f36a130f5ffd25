#pragma once
// DBT memo files: 512-byte blocks, block 0 holding the next free block; a
// memo is a run of blocks ended by 0x1A.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "data/dbase.h"

namespace vestil {

constexpr int kMemoBlockSize = 512;

// A new memo file: block 0 with the next free block 1, then one 0x1A.
bool CreateMemoFile(const std::string& path);
// Opens the memo file of an open table (its name with the last letter "T").
void OpenMemoFile(Runtime& rt, DbTable& t);

// The work file of a pack that receives the memos of the kept records.
struct MemoPack {
  FileHandle file;
  std::string path;
};
void BeginMemoPack(Runtime& rt, DbTable& t, MemoPack& pack);
// Copies the memos of the record in the buffer and renumbers its fields.
void CopyRecordMemos(Runtime& rt, DbTable& t, MemoPack& pack);
// Replaces the memo file by the work file and reopens it.
void EndMemoPack(Runtime& rt, DbTable& t, MemoPack& pack);

// The memo's start block in a field's text; blank gives 0. ok is false for a
// text that is not a number.
int32_t MemoBlockNumber(std::string_view text, bool& ok);
// Stores a start block, right-aligned in 10 characters, into the field.
void StoreMemoBlock(DbTable& t, int field, int32_t block);
// Block 0 of a memo file: the next free block, the rest zero.
bool WriteMemoBlockZero(std::FILE* f, int32_t next_free);
// A file length in blocks, a started block counting whole.
int32_t MemoBlocksOf(int64_t length);

// @DBGETMEMO and @DBPUTMEMO (dbase_memo.cpp).
void RegisterDbaseMemo(Runtime& rt);

}  // namespace vestil
