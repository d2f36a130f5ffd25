#pragma once
// Token tables and named tokens of the program-file format; the list itself
// is tokens.def.
#include <cstdint>
#include <string_view>

namespace vestil {

struct TokenName {
  uint8_t token;
  const char* name;  // keyword; functions without "@"; system variables with their kind character
};

extern const TokenName kCommandTokens[];
extern const int kCommandTokenCount;
extern const TokenName kFunctionTokens[];
extern const int kFunctionTokenCount;
extern const TokenName kSysVarTokens[];
extern const int kSysVarTokenCount;

// Named tokens, one constant per entry of tokens.def. The three kinds share
// byte values (0x81 is cmd::kCase, fn::kAdd and sv::kDlgResult).
namespace cmd {
#define VESTIL_COMMAND(byte, keyword, name) inline constexpr uint8_t k##name = byte;
#include "base/tokens.def"
// The token our compiler writes for a procedure call (any token without a
// handler acts as one); it has no keyword.
inline constexpr uint8_t kProcCall = 0xff;
}  // namespace cmd

namespace fn {
#define VESTIL_FUNCTION(byte, keyword, name) inline constexpr uint8_t k##name = byte;
#include "base/tokens.def"
// The FunctionToken our compiler writes for calls of user-declared functions
// (no built-in function has it).
inline constexpr uint8_t kUserFunction = 0x60;
}  // namespace fn

namespace sv {
#define VESTIL_SYSVAR(byte, keyword, name) inline constexpr uint8_t k##name = byte;
#include "base/tokens.def"
}  // namespace sv

// Name lookups. They return nullptr / -1 when there is no entry. For tokens
// with two keywords (ENDWHILE and WEND) the first in the table is returned.
const char* CommandName(uint8_t token);
const char* FunctionName(uint8_t token);
const char* SysVarName(uint8_t token);  // e.g. "%TIMER"
int CommandTokenOf(std::string_view keyword);   // upper-case keyword
int FunctionTokenOf(std::string_view name);     // upper-case, without "@"
int SysVarTokenOf(std::string_view name);       // upper-case, with kind character

// True for the command tokens a statement handler serves (0x27..0xfe minus the
// gaps); every other token makes the line a procedure call.
bool CommandHasHandler(uint8_t token);
// True for FunctionTokens 0x3d..0xfe that have a built-in handler.
bool FunctionIsBuiltIn(uint8_t token);

}  // namespace vestil
