// The dBase engine without a runtime, on files in memory: indexes over
// several levels, memos at block limits and a pack on a full disk. Tables,
// their bytes and damaged files are program cases (tests/programs/dbase_*.cases)
// and tests/dbase.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../dbase/mem_files.h"
#include "data/dbase/index.h"
#include "data/dbase/memo.h"
#include "data/dbase/table.h"

namespace vestil {
namespace {

std::string Key(int n) {
  std::string k = std::to_string(n);
  k.insert(k.begin(), 'K');
  return k;
}

class DbaseEngine : public ::testing::Test {
 protected:
  MemFiles fs;
  DbEngine e;
  void SetUp() override { e.files = &fs; }

  void Create(const std::string& structure, const char* name = "T") {
    fs["S.TXT"].assign(structure.begin(), structure.end());
    ASSERT_TRUE(CreateTable(e, "S.TXT", name)) << e.error.code;
  }
  bool Open(DbTable& t, const char* path = "T.DBF") {
    t.file_name = t.path = path;
    if (!LoadStructure(e, t)) return false;
    t.record.assign(t.record_length, ' ');
    return AttachTable(e, t, false);
  }
  void Append(DbTable& t, const std::string& a, const std::string& b = "") {
    StoreField(t, 0, a);
    if (t.field_count > 1) StoreField(t, 1, b);
    WriteRecordBuffer(e, t, -1);
    ASSERT_FALSE(e.Failed()) << e.error.code;
  }
  // The records in walking order (index order under an active index).
  std::vector<int32_t> Walk(DbTable& t) {
    std::vector<int32_t> order;
    MoveTo(e, t, DbMove::kFirst, 0);
    while (!t.at_end && !e.Failed() && order.size() < 100000) {
      order.push_back(t.current_record);
      MoveTo(e, t, DbMove::kNext, 0);
    }
    return order;
  }
  uint32_t Le32(const char* path, size_t at) { return ReadLe32(fs[path].data() + at); }
};

TEST_F(DbaseEngine, IndexOverSeveralLevelsWalksSeeksAndUpdates) {
  Create("name;c;20;0\nn;n;6;0\n");
  DbTable t;
  ASSERT_TRUE(Open(t));
  // 18 keys per page: 400 records make three levels.
  for (int r = 1; r <= 400; ++r) Append(t, Key(r * 7919 % 1000), std::to_string(r % 3));
  ASSERT_TRUE(NdxCreate(e, t, "NAME", "I"));
  EXPECT_EQ(Le32("I.NDX", 8), 0u);  // written back: no update mark
  std::vector<int32_t> order = Walk(t);
  ASSERT_EQ(order.size(), 400u);
  std::vector<std::string> keys;
  for (int32_t r : order) {
    ReadRecord(e, t, r);
    keys.push_back(FieldText(t, 0));
  }
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  EXPECT_EQ(NdxSeek(e, t, "K9999", false), 0);
  int32_t r = NdxSeek(e, t, "K1", false);
  EXPECT_GT(r, 0);
  EXPECT_EQ(FieldText(t, 0).substr(0, 2), "K1");
  EXPECT_EQ(NdxSeek(e, t, "K1", true), 0);  // no key is exactly "K1"
  // A changed key moves its record; an append under the index is found.
  MoveTo(e, t, DbMove::kNumber, 5);
  StoreField(t, 0, "AAA");
  WriteRecordBuffer(e, t, 5);
  Append(t, "ZZZ");
  EXPECT_EQ(Walk(t).front(), 5);
  MoveTo(e, t, DbMove::kLast, 0);
  EXPECT_EQ(t.current_record, 401);
  EXPECT_EQ(NdxSeek(e, t, "AAA", true), 5);
  // Until the index is closed, its file carries the update mark.
  EXPECT_NE(Le32("I.NDX", 8), 0u);
  CloseIndexes(e, t);
  EXPECT_EQ(Le32("I.NDX", 8), 0u);
  NdxUse(e, t, "I", false);
  EXPECT_FALSE(e.Failed());
  EXPECT_EQ(Walk(t).size(), 401u);
}

TEST_F(DbaseEngine, MemosAtBlockLimitsAndAPackOnAFullDisk) {
  Create("name;c;4;0\nmemo;m;10;0\n");
  ASSERT_EQ(fs["T.DBT"].size(), 513u);
  DbTable t;
  ASSERT_TRUE(Open(t));
  auto read = [&](int32_t record) {
    std::vector<std::string> lines;
    ReadRecord(e, t, record);
    bool ok = true;
    int32_t start = MemoBlockNumber(FieldText(t, 1), ok);
    if (start > 0) ReadMemo(e, t, start, [&](std::string_view l) { return lines.emplace_back(l), true; });
    return lines;
  };
  // 510 characters and CR LF fill block 1 exactly: the end mark opens block 2.
  const std::string full(510, 'a');
  Append(t, "A");
  ReadRecord(e, t, 1);
  ASSERT_TRUE(WriteMemo(e, t, 1, {full}));
  WriteRecordBuffer(e, t, 1);
  EXPECT_EQ(fs["T.DBT"].size(), 3u * 512);
  EXPECT_EQ(fs["T.DBT"][1024], 0x1a);
  EXPECT_EQ(Le32("T.DBT", 0), 3u);
  std::vector<std::string> lines = read(1);
  ASSERT_EQ(lines.size(), 7u);  // wrapped at 80 characters
  EXPECT_EQ(lines[0], std::string(80, 'a'));
  EXPECT_EQ(lines[6], std::string(30, 'a'));
  Append(t, "B");
  ReadRecord(e, t, 2);
  ASSERT_TRUE(WriteMemo(e, t, 1, {"zwei"}));
  WriteRecordBuffer(e, t, 2);
  ReadRecord(e, t, 1);
  t.record[0] = '*';
  WriteRecordBuffer(e, t, 1);
  // A pack whose memo work file cannot be written (a full disk) leaves the
  // table and its memos as they were, and no work file.
  const MemBytes dbf = fs["T.DBF"], dbt = fs["T.DBT"];
  fs.limit = 600;
  EXPECT_EQ(PackTable(e, t), 2);
  EXPECT_EQ(e.error.code, 5);
  e.Clear();
  fs.limit = int64_t(1) << 30;
  EXPECT_EQ(fs["T.DBF"], dbf);
  EXPECT_EQ(fs["T.DBT"], dbt);
  for (const auto& [name, bytes] : fs.files) EXPECT_EQ(name.find('~'), std::string::npos) << name;
  EXPECT_EQ(PackTable(e, t), 1);
  EXPECT_FALSE(e.Failed());
  EXPECT_EQ(read(1), std::vector<std::string>{"zwei"});
  EXPECT_EQ(fs["T.DBT"].size(), 2u * 512);
}

}  // namespace
}  // namespace vestil
