#pragma once
// The decoded form of a program line: what the argument evaluator learns the
// first time it takes an element off a line's text, kept for the next runs.
// A program line never changes, so the cut of an element (its length, the
// separator, what is left), a literal's value and a name's upper-cased text
// depend on the text alone and stay right for the whole run; each entry is
// keyed by where ArgText began, its length and the terminator. What does
// change, which entry a name reads (DECLARE, PARAMETERS, the locals of a
// GOSUB or procedure that go on its return), is kept as a VarRef that every
// read checks in constant time.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "values/variables.h"

namespace vestil {

enum class DecodedKind : uint8_t {
  kText,      // a text literal: the decoded text
  kNumber,    // a number literal: type code, views and its upper-cased text
  kName,      // a variable or system variable: the upper-cased name
  kTarget,    // a statement's own parse: the name it writes to, the rest
  kCall,      // a call of an arithmetic or comparison function (see EvalArg)
};

struct DecodedArg {
  // The key.
  const char* at = nullptr;  // where ArgText began
  uint16_t size = 0;         // its length then
  char terminator = 0;
  bool file_name = false;    // demand 9: only the double backslash decoded
  // The cut.
  DecodedKind kind = DecodedKind::kText;
  uint8_t advance = 0;       // characters the element and its separator take
  char delimiter = ' ';
  bool list_end = false;
  // The value.
  uint8_t type = 0;
  uint16_t text_offset = 0, text_length = 0;  // in the line's pool
  int32_t i = 0;
  double f = 0.0;
  VarRef ref;
  uint8_t rest_offset = 0, rest_length = 0;  // kTarget: the text after the name
  uint8_t next = 0;  // 1 + the index of the next entry at the same place
  // kCall: the entries of its two operands when both are whole numbers
  // (literals or integer and long variables); -1 not known yet, -2 never.
  int16_t operand[2] = {-1, -1};
  // kCall: advance, delimiter and list_end hold what the whole call takes
  // off ArgText and leaves behind, once a run has shown it.
  bool tail_known = false;
};

// A whole statement the loop runs itself, bound after the line has run the
// general way and its parts are known (BindFastStatement): a WHILE whose
// condition is a fused comparison or sum of two whole-number leaves, an
// assignment of such a call to an integer, long or float variable, an
// ENDWHILE. Anything unusual (an operand or target whose entry is not the
// remembered one, a WHILE that ends its loop or nests too deep, ENDWHILE
// without WHILE) takes the general way.
enum FastStatement : uint8_t {
  kFastNone = 0,
  kFastWhile,
  kFastWhileNot,
  kFastAssignInteger,
  kFastAssignLong,
  kFastAssignFloat,
  kFastEndWhile,
};
// Runs of a line the general way that may bind its fast form.
constexpr uint8_t kFastBindTries = 4;

// An operand of a fast form: a whole-number literal, or an integer ('%') or
// long ('&') variable through its own remembered resolution.
struct FastOperand {
  uint8_t kind = 0;  // 0: the literal l, f
  int32_t l = 0;
  double f = 0.0;
  VarRef ref;
};

struct FastForm {
  uint8_t token = 0;     // the line's CommandToken
  uint8_t function = 0;  // the fused call's FunctionToken
  FastOperand x, y;
  VarRef target;         // an assignment's variable
  const char* begin = nullptr;  // the line's text
  const char* end = nullptr;
  std::string_view token_text;  // ArgToken's view after the call: its last operand
};

struct DecodedLine {
  std::vector<DecodedArg> args;  // at most 255
  std::array<uint8_t, 256> first{};  // by offset in the line: 1 + the first entry's index
  std::string pool;  // decoded literals and upper-cased names
  // 1 + the index of the kept parse of the statement's whole text (ArgText
  // from the line's second character), which the statement looks up first.
  uint8_t statement_parse = 0;
  // 1 + the index of a fused call ready to run (operands and tail known)
  // that an argument taken to the end of ArgText was, found without a search.
  uint8_t rest_call = 0;
  uint8_t fast = kFastNone;  // a FastStatement
  uint8_t fast_tries = 0;    // up to kFastBindTries
  FastForm form;             // with a fast form: what it runs
  std::string_view Text(const DecodedArg& d) const {
    return std::string_view(pool.data() + d.text_offset, d.text_length);
  }
};

// The value of an integer ('%') or long ('&') variable through a remembered
// resolution; false when its entry is not the remembered one any more.
[[gnu::always_inline]] inline bool WholeVariableValue(VariableStore& vars, uint8_t type, VarRef& ref, int32_t& l,
                                                      double& f) {
  auto* e = (type == '%' ? vars.integers : vars.longs).Check(ref);
  if (!e) return false;
  l = e->value;
  f = e->value;
  return true;
}

// The value of a whole-number leaf of a fused call (a literal or a variable).
[[gnu::always_inline]] inline bool LeafValue(VariableStore& vars, DecodedArg& d, int32_t& l, double& f) {
  if (d.kind != DecodedKind::kNumber) return WholeVariableValue(vars, d.type, d.ref, l, f);
  l = d.i;
  f = d.f;
  return true;
}

// The same for an operand of a fast form.
[[gnu::always_inline]] inline bool FastValue(VariableStore& vars, FastOperand& o, int32_t& l, double& f) {
  if (o.kind != 0) return WholeVariableValue(vars, o.kind, o.ref, l, f);
  l = o.l;
  f = o.f;
  return true;
}

}  // namespace vestil
