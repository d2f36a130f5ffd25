// The line reader of the text side: line ends, the 255-character cut and
// lines that cross the 4096-byte buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/channels.h"

namespace vestil {
namespace {

// A file in memory that hands out at most `chunk` bytes a read.
class MemoryFile : public HostFile {
 public:
  MemoryFile(std::string data, size_t chunk) : data_(std::move(data)), chunk_(chunk) {}
  int Read(void* buffer, size_t count, size_t& done) override {
    done = std::min({count, chunk_, data_.size() - pos_});
    std::memcpy(buffer, data_.data() + pos_, done);
    pos_ += done;
    return 0;
  }
  int Write(const void*, size_t, size_t& done) override {
    done = 0;
    return 5;
  }
  int Seek(int64_t p) override {
    pos_ = static_cast<size_t>(p);
    return 0;
  }
  int Position(int64_t& p) override {
    p = static_cast<int64_t>(pos_);
    return 0;
  }
  int Size(int64_t& s) override {
    s = static_cast<int64_t>(data_.size());
    return 0;
  }

 private:
  std::string data_;
  size_t chunk_;
  size_t pos_ = 0;
};

std::vector<std::string> ReadAll(const std::string& data, size_t chunk) {
  TextReader r;
  r.file = std::make_unique<MemoryFile>(data, chunk);
  std::vector<std::string> lines;
  for (;;) {
    bool end = false;
    EXPECT_EQ(r.AtEnd(end), 0);
    if (end) break;
    ShortString line;
    EXPECT_EQ(r.ReadLine(line), 0);
    lines.push_back(line.str());
  }
  return lines;
}

TEST(TextReader, LineEnds) {
  for (size_t chunk : {1u, 2u, 4096u}) {
    auto lines = ReadAll("a\r\nb\nc\rd\r\n\r\ne", chunk);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"})) << chunk;
  }
  // A final line end gives no empty line after it.
  EXPECT_EQ(ReadAll("x\r\n", 4096), (std::vector<std::string>{"x"}));
  EXPECT_TRUE(ReadAll("", 4096).empty());
}

TEST(TextReader, LongLinesAreCutAndSkipped) {
  std::string longline(5000, 'q');
  longline[254] = 'L';
  longline[255] = 'X';
  auto lines = ReadAll(longline + "\r\nnext", 4096);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 255u);
  EXPECT_EQ(lines[0].back(), 'L');
  EXPECT_EQ(lines[1], "next");
}

TEST(TextReader, CrLfAcrossTheBuffer) {
  // The CR is the last byte of the first 4096-byte read, the LF the first of
  // the next: one line end, not two.
  std::string first(4095, 'a');
  auto lines = ReadAll(first + "\r\nb", 4096);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "b");
}

}  // namespace
}  // namespace vestil
