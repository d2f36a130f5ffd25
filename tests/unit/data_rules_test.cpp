// The data side's readers and writers below the statements: serial mode
// definitions, the text line reader at its buffer edges, the console
// runner's INI engine and the library calls' exchange file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/channels.h"
#include "data/dll_calls.h"
#include "data/serial_mode.h"
#include "platform/terminal/profile_file.h"
#include "values/variables.h"

namespace vestil {
namespace {

constexpr uint32_t kDtrOn = 1u << CommState::kDtrControlShift, kRtsOn = 1u << CommState::kRtsControlShift;
constexpr uint32_t kBin = CommState::kBinary, kXonXoff = CommState::kOutX | CommState::kInX;

TEST(DataRules, SerialModeDefinitions) {
  CommState odd;  // what a definition leaves alone: data bits, parity, stop bits, limits, other flags
  odd.baud = 4800;
  odd.data_bits = 6;
  odd.parity = CommState::kOdd;
  odd.stop_bits = CommState::kTwoStopBits;
  odd.xon_limit = 100;
  odd.xoff_limit = 200;
  odd.flags = kBin | kXonXoff | CommState::kOutCtsFlow | CommState::kDsrSensitivity | 0x4000;
  CommState seven, slow;
  seven.data_bits = 7;
  slow.baud = 110;
  slow.stop_bits = CommState::kOneStopBit;
  struct Row { const char* def; const CommState* before; uint32_t baud; int data, parity, stop; uint32_t flags; };
  const CommState plain;
  const uint32_t kHardware = CommState::kOutCtsFlow | CommState::kOutDsrFlow | 2u << CommState::kDtrControlShift |
                             2u << CommState::kRtsControlShift;
  const Row rows[] = {
      {"baud=19200 parity=E data=7 stop=2", &plain, 19200, 7, CommState::kEven, CommState::kTwoStopBits,
       kBin | CommState::kParityCheck | kDtrOn | kRtsOn},
      // Keys and letters in any case, the port's name before them, blanks around.
      {"  COM3:  BAUD=96 Parity=o DATA=5 Stop=1.5 ", &plain, 9600, 5, CommState::kOdd,
       CommState::kOneAndHalfStopBits, kBin | CommState::kParityCheck | kDtrOn | kRtsOn},
      {"9600,n,8,1", &plain, 9600, 8, CommState::kNoParity, CommState::kOneStopBit, kBin | kDtrOn | kRtsOn},
      // Two-digit rates; empty fields keep theirs; a retry letter sets flow control.
      {"com1: 19, e, , 2, x", &seven, 19200, 7, CommState::kEven, CommState::kTwoStopBits,
       kBin | CommState::kParityCheck | kDtrOn | kRtsOn | kXonXoff},
      {"48,n,8,1,p", &plain, 4800, 8, CommState::kNoParity, CommState::kOneStopBit, kBin | kHardware},
      // Flow control is switched off unless asked for; DTR and RTS are on.
      {"baud=1200", &odd, 1200, 6, CommState::kOdd, CommState::kTwoStopBits,
       kBin | CommState::kParityCheck | kDtrOn | kRtsOn | 0x4000},
      {"baud=9600 xon=on odsr=on octs=on idsr=on dtr=hs rts=tog", &plain, 9600, 8, CommState::kNoParity,
       CommState::kOneStopBit, kBin | kXonXoff | CommState::kOutDsrFlow | CommState::kOutCtsFlow |
       CommState::kDsrSensitivity | 2u << CommState::kDtrControlShift | 3u << CommState::kRtsControlShift},
      // 110 without a stop field takes two stop bits; with one, or unchanged, it keeps it.
      {"baud=110", &plain, 110, 8, CommState::kNoParity, CommState::kTwoStopBits, kBin | kDtrOn | kRtsOn},
      {"110,n,8,1", &plain, 110, 8, CommState::kNoParity, CommState::kOneStopBit, kBin | kDtrOn | kRtsOn},
      {"parity=n", &slow, 110, 8, CommState::kNoParity, CommState::kOneStopBit, kBin | kDtrOn | kRtsOn},
  };
  for (const Row& r : rows) {
    CommState s = *r.before;
    CommTimeouts t{50, 50, 50, 50, 50};
    ASSERT_TRUE(ParseCommDefinition(r.def, s, t)) << r.def;
    EXPECT_EQ(s.baud, r.baud) << r.def;
    EXPECT_EQ(s.data_bits, r.data) << r.def;
    EXPECT_EQ(s.parity, r.parity) << r.def;
    EXPECT_EQ(s.stop_bits, r.stop) << r.def;
    EXPECT_EQ(s.flags, r.flags) << r.def;
    EXPECT_EQ(s.xon_limit + s.xoff_limit, r.before->xon_limit + r.before->xoff_limit) << r.def;
    EXPECT_EQ(t.read_interval + t.write_constant, 100u) << r.def;  // without "to=" the timeouts stay
  }
  auto parse = [](const char* def) {
    CommState s;
    CommTimeouts t{};
    EXPECT_TRUE(ParseCommDefinition(def, s, t)) << def;
    return s;
  };
  EXPECT_EQ(parse("parity=m").parity, CommState::kMark);
  EXPECT_EQ(parse("parity=S").parity, CommState::kSpace);
  EXPECT_EQ(parse("11").baud + parse("57600").baud, 110u + 57600u);
  CommState s;
  CommTimeouts t{50, 50, 50, 50, 50};
  ASSERT_TRUE(ParseCommDefinition("baud=9600 to=on", s, t));
  EXPECT_EQ(t.read_interval + t.read_multiplier + t.read_constant + t.write_multiplier, 0u);
  EXPECT_EQ(t.write_constant, 60000u);
  ASSERT_TRUE(ParseCommDefinition("baud=9600 TO=OFF dtr=off rts=off", s, t));
  EXPECT_EQ(t.write_constant, 0u);
  EXPECT_EQ(s.flags, kBin);
  // Refused definitions change nothing.
  for (const char* bad :
       {"", "   ", "COM1:", "baud=", "baud=0", "baud=96x", "parity=x", "data=4", "data=9", "stop=3", "stop=1.0",
        "xon=yes", "dtr=tog", "rts=maybe", "speed=9600", "baud 9600", "baud=9600 parity", "9600,q,8,1", "9600,n,4,1",
        "9600,n,8,3", "9600,n,8,1,z", "9600,n,8,1,x,1", "abc", "-9600,n,8,1", "9999999999"}) {
    CommState b;
    b.baud = 2400;
    CommTimeouts bt{1, 2, 3, 4, 5};
    EXPECT_FALSE(ParseCommDefinition(bad, b, bt)) << bad;
    EXPECT_TRUE(b.baud == 2400u && b.flags == kBin && bt.write_constant == 5u) << bad;
  }
}

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
  int Write(const void*, size_t, size_t& done) override { return done = 0, 5; }
  int Seek(int64_t p) override { return pos_ = static_cast<size_t>(p), 0; }
  int Position(int64_t& p) override { return p = static_cast<int64_t>(pos_), 0; }
  int Size(int64_t& s) override { return s = static_cast<int64_t>(data_.size()), 0; }

 private:
  std::string data_;
  size_t chunk_, pos_ = 0;
};

TEST(DataRules, TextReaderLineEndsCutAndBufferEdges) {
  auto read_all = [](const std::string& data, size_t chunk) {
    TextReader r;
    r.file = std::make_unique<MemoryFile>(data, chunk);
    std::vector<std::string> lines;
    for (bool end = false; r.AtEnd(end) == 0 && !end;) {
      ShortString line;
      EXPECT_EQ(r.ReadLine(line), 0);
      lines.push_back(line.str());
    }
    return lines;
  };
  using Lines = std::vector<std::string>;
  for (size_t chunk : {1u, 2u, 4096u})
    EXPECT_EQ(read_all("a\r\nb\nc\rd\r\n\r\ne", chunk), (Lines{"a", "b", "c", "d", "", "e"})) << chunk;
  EXPECT_EQ(read_all("x\r\n", 4096), Lines{"x"});  // a final line end gives no empty line
  EXPECT_TRUE(read_all("", 4096).empty());
  std::string longline(5000, 'q');
  longline[254] = 'L';
  EXPECT_EQ(read_all(longline + "\r\nnext", 4096), (Lines{std::string(254, 'q') + "L", "next"}));  // cut at 255
  // CR as the last byte of the first 4096-byte read, LF the first of the next: one line end.
  EXPECT_EQ(read_all(std::string(4095, 'a') + "\r\nb", 4096), (Lines{std::string(4095, 'a').substr(0, 255), "b"}));
}

TEST(DataRules, IniUpdatesAreByteExactAndLookupsFollowTheRules) {
  const char* updates[][5] = {
      {"", "S", "k", "v", "[S]\r\nk=v\r\n"}, {"", " S ", " k ", "  v  ", "[S]\r\nk=v\r\n"},
      {"[S]\r\nk=v\r\n", "T", "a", "", "[S]\r\nk=v\r\n\r\n[T]\r\na=\r\n"},
      // A last line without its end gets one; line ends follow the first line.
      {"[S]\nk=v", "T", "a", "b", "[S]\nk=v\n\n[T]\na=b\n"}, {"[S]\n\n", "T", "a", "b", "[S]\n\n[T]\na=b\n"},
      // An existing key keeps its line up to the value; only the first section and key of a name count.
      {"[s]\nKey = old\nk2=x\n", "S", "KEY", "new", "[s]\nKey = new\nk2=x\n"},
      {"[s]\n  Key=old", "s", "key", "n", "[s]\n  Key=n"}, {"[s]\nk=\n", "s", "k", "v", "[s]\nk=v\n"},
      {"[a]\nk=1\nk=2\n[A]\nk=3\n", "A", "k", "x", "[a]\nk=x\nk=2\n[A]\nk=3\n"},
      // A new key goes after the last line of its section; keys before the first section belong to none.
      {"[a]\nx=1\n\n; c\n\n[b]\n", "a", "y", "2", "[a]\nx=1\n\n; c\ny=2\n\n[b]\n"},
      {"[a]\n[b]\n", "a", "y", "2", "[a]\ny=2\n[b]\n"}, {"[a]", "a", "y", "2", "[a]\r\ny=2\r\n"},
      {"k=1\n", "a", "k", "2", "k=1\n\n[a]\nk=2\n"}};
  for (auto& u : updates) EXPECT_EQ(IniUpdate(u[0], u[1], u[2], u[3]), u[4]) << u[0];
  const char* ini = "k=outside\n[ Farben ]\nHinter = blau \r\nquoted=\"  a b  \"\nsingle='x'\nhalf=\"x\nnothing\n"
                    "empty=\n[Farben]\nvorder=rot\n[\xc4rger]\n\xfc=1\n";
  const char* lookups[][3] = {{"FARBEN", "hinter", "blau"}, {"farben", "quoted", "  a b  "},
                              {"farben", "single", "x"}, {"farben", "half", "\"x"}, {"farben", "empty", ""},
                              {"farben", "nothing", "<none>"}, {"farben", "vorder", "<none>"},  // the second [Farben]
                              {"farben", "k", "<none>"}, {"\xe4rger", "\xdc", "1"}, {"fehlt", "k", "<none>"}};
  for (auto& l : lookups) {
    std::string v = "<none>";
    IniLookup(ini, l[0], l[1], v);
    EXPECT_EQ(v, l[2]) << l[0] << " " << l[1];
  }
  std::string v = "<none>";
  IniLookup("", "a", "b", v);
  EXPECT_EQ(v, "<none>");
}

AreaBlock* AddArea(VariableStore& vars, const char* name, int32_t size, uint32_t handle) {
  auto block = std::make_shared<AreaBlock>();
  block->bytes.reset(new uint8_t[static_cast<size_t>(size) + 1]());
  block->size = size;
  block->handle = handle;
  vars.areas.Append(name, block);
  return block.get();
}

TEST(DataRules, LibraryCallsArgumentsNamesAndExchangeFile) {
  using namespace dll;
  VariableStore vars;
  AreaBlock* a = AddArea(vars, "A#", 100, 0x10000);
  AreaBlock* small = AddArea(vars, "B#", 4, 0x20000);
  // Direct calls: numbers widened, an area's handle becomes its address.
  vars.slots[1].l = -1;
  vars.slots[2].l = 0x20000;
  vars.slots[3].l = 0x30000;
  EXPECT_EQ(DirectArguments(vars, 3), (std::vector<intptr_t>{-1, reinterpret_cast<intptr_t>(small->bytes.get()),
                                                             0x30000}));
  EXPECT_TRUE(DirectArguments(vars, 0).empty());
  // Exchange names count on within one millisecond and when the tick count wraps; the last seven digits.
  EXPECT_EQ(NextExchangeNumber(5000, 0), 5000u);
  EXPECT_EQ(NextExchangeNumber(5000, 5000), 5001u);
  EXPECT_EQ(NextExchangeNumber(3, 5001), 5002u);
  EXPECT_EQ(NextExchangeNumber(9000, 5001), 9000u);
  EXPECT_EQ(ExchangeFileName(1234567) + ExchangeFileName(4294967295u) + ExchangeFileName(20000042) +
                ExchangeFileName(0), "P1234567.$P4967295.$P42.$P0.$");
  // Types are checked for count (245) before characters (246).
  const std::pair<const char*, int> types[] = {{"%&#", 0}, {"", 0}, {"%&", 245}, {"%&!", 245}, {"%&!", 246}, {"$", 246}};
  const int counts[] = {3, 0, 3, 2, 3, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(CheckParameterTypes(types[i].first, counts[i]), types[i].second) << i;
  EXPECT_EQ(BridgeCommandLine("OLD.DLL", "Rechne", "%&#", "&", "C:\\TEMP\\P42.$"),
            "VEST16 OLD.DLL|Rechne|%&#|& C:\\TEMP\\P42.$");
  // The bytes of an integer (low 16 bits), a long and an area; the bridge changes the area and appends its result.
  for (int i = 0; i < 100; ++i) a->bytes[i] = static_cast<uint8_t>(i);
  std::array<SlotValue, 3> slots{};
  slots[0].i = 0x12345;  // only the low 16 bits go
  slots[0].l = 0x12345;
  slots[1].l = -2;
  slots[2].l = 0x10000;
  const ExchangeImage image = BuildExchange("%&#", slots, vars);
  ASSERT_EQ(image.bytes.size(), 110u);
  EXPECT_EQ(image.result_position, 110u);
  EXPECT_EQ(image.bytes.substr(0, 11), std::string("\x45\x23\xfe\xff\xff\xff\x64\x00\x00\x00\x00", 11));
  EXPECT_EQ(static_cast<uint8_t>(image.bytes[109]), 99);
  ASSERT_EQ(image.areas.size(), 1u);
  EXPECT_EQ(image.areas[0].position, 6u);
  std::string file = image.bytes.substr(0, 10) + std::string(100, 'z') + std::string("\x78\x56\x34\x12", 4);
  EXPECT_EQ(ReadBackExchange(image, file), 0x12345678);
  EXPECT_TRUE(a->bytes[0] == 'z' && a->bytes[99] == 'z' && a->bytes[100] == 0);  // the byte after the block stays
  // No area: a size of 0. A size field that grew is cut to the area; a short file gives what it has and 0.
  std::array<SlotValue, 2> two{};
  two[0].l = 0x20000;
  two[1].l = 77;
  const ExchangeImage image2 = BuildExchange("##", two, vars);
  ASSERT_EQ(image2.bytes, std::string("\x04\0\0\0\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(image2.result_position, 12u);
  EXPECT_EQ(ReadBackExchange(image2, std::string("\xff\0\0\0abcdefgh", 12)), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(small->bytes.get()), 5), std::string("abcd\0", 5));
  EXPECT_EQ(ReadBackExchange(image2, std::string("\x04\0\0\0x", 5)), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(small->bytes.get()), 2), "xb");
}

}  // namespace
}  // namespace vestil
