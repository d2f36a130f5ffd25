// The binder: the offset slot of PE and ELF runners, and its refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_util.h"
#include "vestcomp/binder.h"

namespace vestcomp_test {
namespace {

using vestcomp::BindImage;

std::string ProgramFile() {
  auto r = Compile("PRINT \"bound\"\nEND");
  EXPECT_TRUE(r.ok);
  return r.program;
}

uint32_t Le32(const std::string& s, size_t pos) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<uint8_t>(s[pos + k]);
  return v;
}

std::string FakeElf(const std::string& slot_value = std::string(4, '\0')) {
  std::string elf = "\x7f" "ELF" + std::string(300, 'e');
  elf += "<<VESTIL-APPEND-SLOT>>" + slot_value;
  elf += std::string(1000, 'f');
  return elf;
}

// An "MZ" file with e_lfanew at 0x3C and the slot at 0x80.
std::string FakePe(uint32_t pe_offset, uint32_t slot = 0) {
  std::string pe(0x400, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  for (int k = 0; k < 4; ++k) {
    pe[0x3C + k] = static_cast<char>(pe_offset >> (8 * k));
    pe[0x80 + k] = static_cast<char>(slot >> (8 * k));
  }
  if (pe_offset + 4 <= pe.size()) pe.replace(pe_offset, 4, std::string("PE\0\0", 4));
  return pe;
}

// The slot (after the marker in ELF, at 0x80 in PE) gets the offset of the
// appended header; nothing else of the runner changes.
TEST(Binder, SlotGetsTheOffsetAndRefusals) {
  const std::string program = ProgramFile();
  std::string out, error;
  for (const std::string& runner : {FakeElf(), FakePe(0x100)}) {
    ASSERT_TRUE(BindImage(runner, program, out, error)) << error;
    ASSERT_EQ(out.size(), runner.size() + program.size());
    const size_t slot = runner[0] == 'M' ? 0x80 : runner.find("<<VESTIL-APPEND-SLOT>>") + 22;
    EXPECT_EQ(Le32(out, slot), runner.size());
    EXPECT_EQ(out.substr(runner.size()), program);
    EXPECT_EQ(out.substr(0, slot) + std::string(4, '\0') + out.substr(slot + 4, runner.size() - slot - 4), runner);
  }
  auto refused = [&](const std::string& runner, const std::string& prog, const char* why) {
    out.clear();
    error.clear();
    EXPECT_FALSE(BindImage(runner, prog, out, error)) << why;
    EXPECT_TRUE(out.empty());
    EXPECT_NE(error.find(why), std::string::npos) << error;
  };
  refused(FakePe(0x80), program, "PE header starts at 0x80");
  refused(FakePe(0x100, 0x1234), program, "already has a program appended (offset 0x1234)");
  refused(FakePe(0x100).substr(0, 0x82), program, "too short");
  refused(FakeElf(std::string("\x10\0\0\0", 4)), program, "already has a program appended");
  refused("\x7f" "ELF plain", program, "no append slot");
  refused(FakeElf() + FakeElf(), program, "more than once");
  refused("\x7f" "ELF<<VESTIL-APPEND-SLOT>>\0\0", program, "cut off");
  refused("#!/bin/sh\n", program, "neither a Windows (MZ) nor an ELF");
  refused(FakeElf(), "not a program", "no VESTIL header");
  refused(FakeElf(), program + "\x05" "ab", "damaged");
  refused(FakeElf(), program + "\xff", "damaged");
  vestcomp::BindOptions unchecked;
  unchecked.unchecked_program = true;
  EXPECT_TRUE(BindImage(FakeElf(), "junk", out, error, unchecked));
}

TEST(Binder, FilesKeepTheRunnersPermissionsPlusExecute) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("vestcomp-bind-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::create_directories(dir);
  auto write = [](const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
  };
  write(dir / "runner", FakeElf());
  write(dir / "prog.VSC", ProgramFile());
  fs::permissions(dir / "runner", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  std::string error;
  ASSERT_TRUE(vestcomp::BindFiles(dir / "runner", dir / "prog.VSC", dir / "app", error)) << error;
  auto p = fs::status(dir / "app").permissions();
  EXPECT_NE(p & fs::perms::owner_exec, fs::perms::none);
  EXPECT_NE(p & fs::perms::group_exec, fs::perms::none);
  EXPECT_EQ(p & fs::perms::others_read, fs::perms::none);
  EXPECT_EQ(fs::file_size(dir / "app"), FakeElf().size() + ProgramFile().size());
  EXPECT_FALSE(vestcomp::BindFiles(dir / "runner", dir / "prog.VSC", dir / "runner", error));
  EXPECT_NE(error.find("must not be the runner"), std::string::npos);
  EXPECT_FALSE(vestcomp::BindFiles(dir / "missing", dir / "prog.VSC", dir / "app2", error));
  EXPECT_FALSE(fs::exists(dir / "app2"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vestcomp_test
