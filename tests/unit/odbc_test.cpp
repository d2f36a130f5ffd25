// The display widths of result columns and the cells of console lines.
#include <gtest/gtest.h>

#include "data/odbc.h"

namespace vestil {
namespace {

TEST(OdbcWidth, EveryTypeOfTheTable) {
  struct Row {
    int16_t type;
    uint64_t size;
    uint64_t width;
  };
  const Row rows[] = {
      {2, 8, 10},   {3, 12, 14},  {4, 99, 11},   {5, 99, 6},    {6, 99, 22},  {8, 99, 22}, {7, 99, 13},
      {9, 99, 10},  {10, 99, 8},  {11, 99, 23},  {-7, 99, 1},   {-6, 99, 4},  {-5, 99, 20}, {-2, 16, 32},
      {-3, 5, 10},  {-1, 9999, 50}, {1, 20, 21}, {12, 255, 256}, {-9, 0, 1}, {91, 7, 8},
  };
  for (const Row& r : rows) EXPECT_EQ(SqlDisplayWidth(r.type, r.size, 1), r.width) << "type " << r.type;
}

TEST(OdbcWidth, RaisedToTheName) {
  EXPECT_EQ(SqlDisplayWidth(4, 10, 12), 12u);  // KUNDENNUMMER INTEGER
  EXPECT_EQ(SqlDisplayWidth(4, 10, 11), 11u);
  EXPECT_EQ(SqlDisplayWidth(-7, 1, 0), 1u);
  EXPECT_EQ(SqlDisplayWidth(-2, 0, 3), 3u);
}

TEST(OdbcCell, PadCutAndWidthModulo256) {
  ShortString line;
  AppendSqlCell(line, "abc", 5);
  AppendSqlCell(line, "abcdef", 4);
  AppendSqlCell(line, "xyz", 256);  // 256 counts as 0
  AppendSqlCell(line, "q", 257);    // and 257 as 1
  EXPECT_EQ(line, "abc  abcdq");
  ShortString full(std::string(250, 'a'));
  AppendSqlCell(full, "bb", 10);
  EXPECT_EQ(full.size(), 255u);
  EXPECT_EQ(full.view().substr(248), "aabb   ");
}

}  // namespace
}  // namespace vestil
