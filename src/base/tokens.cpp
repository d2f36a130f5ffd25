// The token tables built from tokens.def, the one list of every CommandToken,
// FunctionToken and SysVarToken, and their lookups. The compiler, the lister
// and the runtime's dispatch all use them; the byte values are part of the
// program-file format and never change.
#include "base/tokens.h"

namespace vestil {

// The tables in the order of tokens.def; a second keyword follows the first,
// so that the name lookups below give the first.
constexpr TokenName kCommandTokens[] = {
#define VESTIL_COMMAND(byte, keyword, name) {byte, keyword},
#define VESTIL_COMMAND_KEYWORD(name, keyword) {cmd::k##name, keyword},
#include "base/tokens.def"
};
const int kCommandTokenCount = sizeof(kCommandTokens) / sizeof(kCommandTokens[0]);

constexpr TokenName kFunctionTokens[] = {
#define VESTIL_FUNCTION(byte, keyword, name) {byte, keyword},
#include "base/tokens.def"
};
const int kFunctionTokenCount = sizeof(kFunctionTokens) / sizeof(kFunctionTokens[0]);

constexpr TokenName kSysVarTokens[] = {
#define VESTIL_SYSVAR(byte, keyword, name) {byte, keyword},
#include "base/tokens.def"
};
const int kSysVarTokenCount = sizeof(kSysVarTokens) / sizeof(kSysVarTokens[0]);

namespace {

// The list is checked when this file compiles: no byte twice within a kind
// (a second keyword is not a second entry), no keyword twice within a kind.
template <size_t N>
constexpr bool DistinctBytes(const uint8_t (&bytes)[N]) {
  bool seen[256] = {};
  for (uint8_t b : bytes) {
    if (seen[b]) return false;
    seen[b] = true;
  }
  return true;
}

constexpr bool SameKeyword(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

// Pairs whose first letters differ are skipped at once, which keeps the
// check within every compiler's constant-evaluation limit.
template <size_t N>
constexpr bool DistinctKeywords(const TokenName (&t)[N]) {
  for (size_t i = 0; i < N; ++i)
    for (size_t j = i + 1; j < N; ++j)
      if (t[i].name[0] == t[j].name[0] && SameKeyword(t[i].name, t[j].name)) return false;
  return true;
}

constexpr uint8_t kCommandBytes[] = {
#define VESTIL_COMMAND(byte, keyword, name) byte,
#include "base/tokens.def"
};
constexpr uint8_t kFunctionBytes[] = {
#define VESTIL_FUNCTION(byte, keyword, name) byte,
#include "base/tokens.def"
};
constexpr uint8_t kSysVarBytes[] = {
#define VESTIL_SYSVAR(byte, keyword, name) byte,
#include "base/tokens.def"
};

static_assert(DistinctBytes(kCommandBytes), "two commands in tokens.def share a byte");
static_assert(DistinctBytes(kFunctionBytes), "two functions in tokens.def share a byte");
static_assert(DistinctBytes(kSysVarBytes), "two system variables in tokens.def share a byte");
static_assert(DistinctKeywords(kCommandTokens), "a command keyword occurs twice in tokens.def");
static_assert(DistinctKeywords(kFunctionTokens), "a function keyword occurs twice in tokens.def");
static_assert(DistinctKeywords(kSysVarTokens), "a system-variable keyword occurs twice in tokens.def");

}  // namespace

}  // namespace vestil

namespace vestil {
namespace {

struct Index {
  const char* by_token[256] = {};
  void Fill(const TokenName* t, int n) {
    for (int i = 0; i < n; ++i)
      if (!by_token[t[i].token]) by_token[t[i].token] = t[i].name;
  }
};

const Index& Commands() {
  static const Index ix = [] { Index i; i.Fill(kCommandTokens, kCommandTokenCount); return i; }();
  return ix;
}
const Index& Functions() {
  static const Index ix = [] { Index i; i.Fill(kFunctionTokens, kFunctionTokenCount); return i; }();
  return ix;
}
const Index& SysVars() {
  static const Index ix = [] { Index i; i.Fill(kSysVarTokens, kSysVarTokenCount); return i; }();
  return ix;
}

int Find(const TokenName* t, int n, std::string_view name) {
  for (int i = 0; i < n; ++i)
    if (name == t[i].name) return t[i].token;
  return -1;
}

}  // namespace

const char* CommandName(uint8_t token) { return Commands().by_token[token]; }
const char* FunctionName(uint8_t token) { return Functions().by_token[token]; }
const char* SysVarName(uint8_t token) { return SysVars().by_token[token]; }
int CommandTokenOf(std::string_view k) { return Find(kCommandTokens, kCommandTokenCount, k); }
int FunctionTokenOf(std::string_view k) { return Find(kFunctionTokens, kFunctionTokenCount, k); }
int SysVarTokenOf(std::string_view k) { return Find(kSysVarTokens, kSysVarTokenCount, k); }

bool CommandHasHandler(uint8_t t) {
  if (t < 0x27 || t == 0xff) return false;
  if (t >= 0x28 && t <= 0x3f) return false;
  if (t >= 0x41 && t <= 0x48) return false;
  return true;  // 0x81 and 0x82 are resolved by the loop before dispatch
}

bool FunctionIsBuiltIn(uint8_t t) { return t >= 0x3d && Functions().by_token[t] != nullptr; }

}  // namespace vestil
