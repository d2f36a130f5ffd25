#pragma once
// The argument evaluator and its text helpers.
#include <cstdint>
#include <string_view>

#include "core/shortstring.h"

namespace vestil {

struct Runtime;
struct DecodedLine;

// Terminators: ' ' takes the rest of the text, 'p' selects list mode.
constexpr char kRest = ' ';
constexpr char kList = 'p';

enum Demand { kAnyType = 0, kTextDemand = 1, kNumberDemand = 2, kFileNameDemand = 9 };

// Takes the next argument off the front of ArgText into the ResultRegisters.
void EvalArg(Runtime& rt, char terminator, int demand);

// 1-based position of c at parenthesis depth 0 outside double quotes; 0: none.
size_t FindSeparator(char c, std::string_view text);

// Every occurrence of pattern replaced, from the left, without rescanning.
ShortString ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement);

// Makes line n the one whose decoded form EvalArg keeps and uses (see
// values/decoded.h); the loop calls it for every line it runs.
void UseDecodedLine(Runtime& rt, int n);
// Statements that parse their own text (assignment, INC, INCBY ...) keep
// that parse in the decoded line: the name they write to, upper-cased and
// trimmed, the text after it, and the name's remembered resolution.
struct StatementParse {
  std::string_view name;
  std::string_view rest;
  int entry = -1;  // the kept parse in the current line (its remembered
                   // resolution: EvalState::line->args[entry].ref); -1: none
};
// The parse kept for `text` (ArgText at the statement's start); false when
// there is none. AddStatementParse keeps one (entry -1 when the text is not
// a line's or the line has no room).
bool FindStatementParse(Runtime& rt, std::string_view text, StatementParse& parse);
void AddStatementParse(Runtime& rt, std::string_view text, StatementParse& parse);

// After line `dl` (text begin..end) has run the general way: binds its
// whole-statement form (DecodedLine::fast) when its parts are known by now.
void BindFastStatement(Runtime& rt, DecodedLine& dl, const char* begin, const char* end);

// Evaluates a separate text (saving and restoring ArgText).
void EvalText(Runtime& rt, std::string_view text, char terminator, int demand);

}  // namespace vestil
