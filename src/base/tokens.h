#pragma once
// Token tables of the program-file format (see tokens.cpp).
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

// Well-known command tokens used by the loader, the loop and the scans.
namespace tok {
constexpr uint8_t kComment = 0x27;
constexpr uint8_t kCallStatement = 0x40;
constexpr uint8_t kCase = 0x81;
constexpr uint8_t kCaseNot = 0x82;
constexpr uint8_t kDefFn = 0x83;
constexpr uint8_t kEndIf = 0x84;
constexpr uint8_t kIf = 0x85;
constexpr uint8_t kElse = 0x86;
constexpr uint8_t kIfNot = 0x87;
constexpr uint8_t kWhile = 0x88;
constexpr uint8_t kWhileNot = 0x89;
constexpr uint8_t kEndWhile = 0x8a;
constexpr uint8_t kReturn = 0x8b;
constexpr uint8_t kEndProc = 0x8c;
constexpr uint8_t kGoto = 0x8d;
constexpr uint8_t kGosub = 0x8e;
constexpr uint8_t kProc = 0x8f;
constexpr uint8_t kDeclare = 0xcc;
constexpr uint8_t kAssign = 0xce;
constexpr uint8_t kParameters = 0xcf;
constexpr uint8_t kElseIf = 0xf3;
constexpr uint8_t kLabel = 0xfe;
// The token our compiler writes for a procedure call (any token without a
// handler acts as one).
constexpr uint8_t kProcCall = 0xff;
// The FunctionToken our compiler writes for calls of user-declared functions.
constexpr uint8_t kUserFunction = 0x60;
}  // namespace tok

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
