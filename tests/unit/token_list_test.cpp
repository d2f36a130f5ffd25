// The token list against the tables built from it (which the compiler and the
// lister read) and against the runtime's dispatch tables.
#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "base/tokens.h"
#include "core/runtime.h"
#include "platform/terminal/terminal_host.h"
#include "runtime/assemble.h"

namespace vestil {
namespace {

struct Entry {
  int byte;
  std::string_view keyword;
};

const Entry kCommands[] = {
#define VESTIL_COMMAND(byte, keyword, name) {byte, keyword},
#include "base/tokens.def"
};
const Entry kSecondKeywords[] = {
#define VESTIL_COMMAND_KEYWORD(name, keyword) {cmd::k##name, keyword},
#include "base/tokens.def"
};
const Entry kFunctions[] = {
#define VESTIL_FUNCTION(byte, keyword, name) {byte, keyword},
#include "base/tokens.def"
};
const Entry kSysVars[] = {
#define VESTIL_SYSVAR(byte, keyword, name) {byte, keyword},
#include "base/tokens.def"
};

TEST(TokenList, NamesAndKeywordsLeadToTheSameByte) {
  for (const Entry& e : kCommands) {
    EXPECT_EQ(CommandTokenOf(e.keyword), e.byte) << e.keyword;
    ASSERT_NE(CommandName(static_cast<uint8_t>(e.byte)), nullptr) << e.keyword;
    EXPECT_EQ(CommandName(static_cast<uint8_t>(e.byte)), e.keyword);
  }
  for (const Entry& e : kSecondKeywords) {
    EXPECT_EQ(CommandTokenOf(e.keyword), e.byte) << e.keyword;
    EXPECT_NE(CommandName(static_cast<uint8_t>(e.byte)), e.keyword);  // the lister writes the first
  }
  for (const Entry& e : kFunctions) {
    EXPECT_EQ(FunctionTokenOf(e.keyword), e.byte) << e.keyword;
    ASSERT_NE(FunctionName(static_cast<uint8_t>(e.byte)), nullptr) << e.keyword;
    EXPECT_EQ(FunctionName(static_cast<uint8_t>(e.byte)), e.keyword);
  }
  for (const Entry& e : kSysVars) {
    EXPECT_EQ(SysVarTokenOf(e.keyword), e.byte) << e.keyword;
    ASSERT_NE(SysVarName(static_cast<uint8_t>(e.byte)), nullptr) << e.keyword;
    EXPECT_EQ(SysVarName(static_cast<uint8_t>(e.byte)), e.keyword);
  }
  EXPECT_EQ(kCommandTokenCount, std::size(kCommands) + std::size(kSecondKeywords));
  EXPECT_EQ(kFunctionTokenCount, std::size(kFunctions));
  EXPECT_EQ(kSysVarTokenCount, std::size(kSysVars));
  // One byte, three tokens: a search for a name finds one thing.
  static_assert(cmd::kCase == 0x81 && fn::kAdd == 0x81 && sv::kDlgResult == 0x81);
}

// The assembled runtime binds a handler (or its not-implemented stand-in) to
// every listed token and to nothing else; CASE and CASENOT are resolved by
// the loop.
TEST(TokenList, RuntimeDispatchCoversExactlyTheList) {
  TerminalHost host({"vestrun"});
  auto rt = AssembleRuntime(host.host());
  bool command[256] = {}, function[256] = {}, sysvar[256] = {};
  for (const Entry& e : kCommands) command[e.byte] = true;
  for (const Entry& e : kFunctions) function[e.byte] = true;
  for (const Entry& e : kSysVars) sysvar[e.byte] = true;
  command[cmd::kCase] = command[cmd::kCaseNot] = false;
  for (int t = 0; t < 256; ++t) {
    EXPECT_EQ(rt->statements[t] != nullptr, command[t]) << std::hex << "command 0x" << t;
    EXPECT_EQ(rt->eval.functions[t] != nullptr, function[t]) << std::hex << "function 0x" << t;
    EXPECT_EQ(rt->eval.system_variables[t] != nullptr, sysvar[t]) << std::hex << "system variable 0x" << t;
  }
}

}  // namespace
}  // namespace vestil
