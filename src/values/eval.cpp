// The argument evaluator: takes one argument off the front of ArgText, works
// out its value into the ResultRegisters and reports the separator.
#include "values/eval.h"

#include <cmath>
#include <string>

#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "base/tokens.h"
#include "values/dispatch.h"
#include "values/real48.h"

namespace vestil {

size_t FindSeparator(char c, std::string_view text) {
  int depth = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    if (depth == 0 && text[i] == c) return i + 1;
    if (text[i] == '"') {
      size_t q = text.find('"', i + 1);
      if (q == std::string_view::npos) return 0;
      i = q;
    }
    if (text[i] == '(') {
      ++depth;
    } else if (text[i] == ')') {
      --depth;
    }
  }
  return 0;
}

ShortString ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement) {
  ShortString out;
  if (pattern.empty()) {
    out.assign(text);
    return out;
  }
  size_t pos = 0;
  for (;;) {
    size_t hit = text.find(pattern, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(replacement);
    pos = hit + pattern.size();
  }
  out.append(text.substr(pos));
  return out;
}

void EvalText(Runtime& rt, std::string_view text, char terminator, int demand) {
  std::string_view saved = rt.loop.arg_text;
  rt.loop.arg_text = text;
  EvalArg(rt, terminator, demand);
  rt.loop.arg_text = saved;
}

namespace {

// The views of a decoded text or number literal, in the result registers.
[[gnu::always_inline]]
inline void LoadDecodedLiteral(ResultRegisters& rr, const DecodedArg& d, std::string_view text) {
  if (d.kind == DecodedKind::kText) {
    rr.type = kTypeString;
  } else {
    rr.type = d.type;
    rr.i = rr.l = d.i;
    rr.f = d.f;
  }
  rr.set_text_stable(text);
}

void DecodeLiteral(Runtime& rt, std::string_view body, int demand) {
  auto& rr = rt.eval.rr;
  if (body.find('\\') == std::string_view::npos && body.find('\x01') == std::string_view::npos) {
    rr.set_text(body);
    return;
  }
  ShortString s = ReplaceAll(body, "\\\\", "\x01");
  if (demand != kFileNameDemand) {
    s = ReplaceAll(s, "\\n", "\r");
    s = ReplaceAll(s, "\\a", "\x08");
    s = ReplaceAll(s, "\\t", "\t");
    s = ReplaceAll(s, "\\.", "\\");
  }
  s = ReplaceAll(s, "\x01", "\\");
  rr.set_text(s);
}

// Looks a name up by the read rule and fills the views; false when no entry.
template <typename Table>
auto* Lookup(Table& table, std::string_view name, VarRef* ref) {
  return ref ? table.Find(name, *ref) : table.Find(name);
}

bool ReadVariable(Runtime& rt, std::string_view name, char kind, VarRef* ref) {
  auto& rr = rt.eval.rr;
  auto& vars = rt.vars;
  const int width = rt.format.number_width;
  switch (kind) {
    case '#': {
      auto* e = Lookup(vars.areas, name, ref);
      if (!e) return false;
      const AreaBlock* b = e->value.get();
      int32_t h = (b && b->bytes) ? static_cast<int32_t>(b->handle) : 0;
      rr.l = rr.i = h;
      rr.f = h;
      rr.set_text_integer(h, width);
      if (h == 0) RuntimeError(rt, msg::kAreaNotDimensioned, "");
      return true;
    }
    case '$': {
      auto* e = Lookup(vars.strings, name, ref);
      if (!e) return false;
      rr.set_text(e->value);
      const char c = e->value.empty() ? 'x' : e->value[0];
      if ((c < '0' || c > '9') && c != ' ' && c != '+' && c != '-' && c != '$' && c != '.') {
        // No number starts so: both conversions read nothing.
        rr.l = rr.i = 0;
        rr.f = 0;
        return true;
      }
      TextToInt(e->value, rr.i);
      rr.l = rr.i;
      TextToFloat(e->value, rr.f);
      return true;
    }
    case '!': {
      auto* e = Lookup(vars.floats, name, ref);
      if (!e) return false;
      rr.f = e->value;
      rr.l = rr.i = FloatToLong(e->value);
      rr.set_text_float(e->value, rt.format.decimal_places, width);
      return true;
    }
    case '&':
    case '%': {
      auto* e = Lookup(kind == '&' ? vars.longs : vars.integers, name, ref);
      if (!e) return false;
      rr.l = rr.i = e->value;
      rr.f = e->value;
      rr.set_text_integer(e->value, width);
      return true;
    }
  }
  return false;
}

// The steps of EvalArg. EvalArg is the hottest path of the interpreter: its
// steps are inlined into it, so the split costs no call.

// After the dispatcher has consumed a call's arguments: the ")" that closes
// a call without arguments, then the separator that follows the call.
[[gnu::always_inline]]
inline void FinishCall(EvalState& ev, std::string_view& at, char terminator, bool list) {
  if (!at.empty() && at[0] == ')') at.remove_prefix(1);
  if (at.empty()) {
    ev.delimiter.assign(' ');
    if (list) ev.list_end = true;
  } else if (at[0] == terminator || (list && (at[0] == ',' || at[0] == ';'))) {
    ev.delimiter.assign(at[0]);
    at.remove_prefix(1);
    // A separator that closes the text ends the list, as it does after a
    // plain element: PRINT @ADD(1,2); leaves no empty element behind.
    if (list && at.empty()) ev.list_end = true;
  }
}

// "@" and a function token: runs the function, which takes its own
// arguments off ArgText.
[[gnu::always_inline]]
inline void EvalCall(Runtime& rt, char terminator, bool list) {
  auto& at = rt.loop.arg_text;
  uint8_t token = at.size() > 1 ? Byte(at[1]) : 0;
  at.remove_prefix(at.size() > 1 ? 2 : 1);
  DispatchFunction(rt, token);
  FinishCall(rt.eval, at, terminator, list);
}

// Takes the next element off the front of ArgText and records the separator
// that ended it.
[[gnu::always_inline]]
inline std::string_view CutElement(EvalState& ev, std::string_view& at, char terminator, bool list) {
  std::string_view elem;
  if (list) {
    size_t c = FindSeparator(',', at), s = FindSeparator(';', at);
    size_t p = (c && s) ? (c < s ? c : s) : (c ? c : s);
    if (!p) {
      elem = at;
      at = std::string_view();
      ev.delimiter.assign(' ');
      ev.list_end = true;
    } else {
      elem = at.substr(0, p - 1);
      ev.delimiter.assign(at[p - 1]);
      at.remove_prefix(p);
      if (at.empty()) ev.list_end = true;
    }
  } else if (terminator == kRest) {
    elem = at;
    at = std::string_view();
    ev.delimiter.assign(' ');
  } else {
    size_t p = FindSeparator(terminator, at);
    if (p) {
      elem = at.substr(0, p - 1);
      at.remove_prefix(p);
    } else {
      elem = at;
      at = std::string_view();
    }
    ev.delimiter.assign(terminator);
  }
  return elem;
}

[[gnu::always_inline]]
inline bool IsTextLiteral(std::string_view elem) {
  return !elem.empty() && elem.front() == '"' && elem.back() == '"';
}

// A text literal: the quotes go, the escapes are decoded.
[[gnu::always_inline]]
inline void EvalTextLiteral(Runtime& rt, std::string_view elem, int demand) {
  auto& rr = rt.eval.rr;
  rr.type = kTypeString;
  DecodeLiteral(rt, elem.size() >= 2 ? elem.substr(1, elem.size() - 2) : std::string_view(), demand);
  rt.eval.arg_token = rr.text();
  rt.eval.token = rt.eval.arg_token.view();
}

// A number literal; a text that is no number warns with 214 and is a text.
[[gnu::always_inline]]
inline void EvalNumber(Runtime& rt, const ShortString& name) {
  auto& rr = rt.eval.rr;
  rr.type = name.view().find('.') != std::string_view::npos ? kTypeFloat : kTypeLong;
  bool overflow = false;
  double f = 0;
  bool ok;
  if (TextToInt(name, rr.i, &overflow) && name[0] != '$') {
    f = rr.i;  // a whole decimal number: the float conversion agrees
    ok = true;
  } else {
    ok = TextToFloat(name, f);
  }
  if (overflow && ok) {
    // Digits beyond the 32-bit range: the integer views saturate.
    rr.i = f < 0 ? INT32_MIN : INT32_MAX;
  }
  rr.l = rr.i;
  rr.f = f;
  rr.set_text(name);
  if (!ok) {
    rr.type = kTypeString;
    RuntimeWarning(rt, msg::kNotANumber, name);
  }
}

// The element of a system variable as the reader takes it: in ArgToken.
const ShortString& SystemVariableName(Runtime& rt, std::string_view name) {
  auto& ev = rt.eval;
  if (name.data() != ev.arg_token.data()) {
    ev.arg_token.assign(name);
    ev.token = ev.arg_token.view();
  }
  return ev.arg_token;
}

// An upper-cased element that is not a text literal, sorted by its kind
// character: a variable, a system variable (the kind character first) or,
// without one, a number. A variable without an entry warns with 215 except
// while DECLARE and PARAMETERS create their names.
[[gnu::always_inline]]
inline void EvalName(Runtime& rt, std::string_view name, VarRef* ref) {
  auto& rr = rt.eval.rr;
  char first = name.empty() ? '\0' : name[0];
  char last = name.empty() ? '\0' : name[name.size() - 1];
  bool found = true;
  if (last == '#') {
    rr.type = kTypeLong;
    found = ReadVariable(rt, name, '#', ref);
  } else if (last == '$' || first == '$') {
    rr.type = kTypeString;
    if (first == '$') ReadSystemVariable(rt, SystemVariableName(rt, name));
    else found = ReadVariable(rt, name, '$', ref);
  } else if (last == '!' || first == '!') {
    rr.type = kTypeFloat;
    if (first == '!') {
      ReadSystemVariable(rt, SystemVariableName(rt, name));
      rr.set_text_float(rr.f, rt.format.decimal_places, rt.format.number_width);
    } else {
      found = ReadVariable(rt, name, '!', ref);
    }
  } else if (last == '&' || first == '&' || last == '%' || first == '%') {
    char kind = (last == '&' || first == '&') ? '&' : '%';
    rr.type = kind == '&' ? kTypeLong : kTypeInteger;
    if (first == kind) {
      ReadSystemVariable(rt, SystemVariableName(rt, name));
      rr.set_text_integer(rr.l, rt.format.number_width);
    } else {
      found = ReadVariable(rt, name, kind, ref);
    }
  } else {
    EvalNumber(rt, name);
  }
  if (!found) {
    uint8_t tk = rt.loop.command_token;
    if (tk != cmd::kDeclare && tk != cmd::kParameters) RuntimeWarning(rt, msg::kVariableNotDeclared, name);
  }
}

// The type demand: 216 when the value's type does not meet it.
[[gnu::always_inline]]
inline void CheckDemand(Runtime& rt, int demand) {
  const uint8_t type = rt.eval.rr.type;
  if (demand == kFileNameDemand) demand = kTextDemand;
  if ((demand == kTextDemand && type != kTypeString) || (demand == kNumberDemand && type == kTypeString))
    RuntimeError(rt, msg::kWrongParameterType, rt.eval.token);
}

// The decoded entry for ArgText as it is now, or -1.
[[gnu::always_inline]]
inline int FindDecoded(const DecodedLine& dl, size_t offset, std::string_view at, char terminator, bool file_name) {
  for (int k = dl.first[offset]; k; ) {
    const DecodedArg& d = dl.args[k - 1];
    if (d.size == at.size() && d.terminator == terminator && d.file_name == file_name &&
        d.kind != DecodedKind::kTarget && d.kind != DecodedKind::kCall)
      return k - 1;
    k = d.next;
  }
  return -1;
}

// Its texts are read in place (the ResultRegisters keep views of them), so
// the pool never grows beyond the room it was made with.
// The room is made when the line records its first text.
bool PoolFull(EvalState& ev, size_t more) {
  DecodedLine& dl = *ev.line;
  const size_t room = 3 * static_cast<size_t>(ev.line_end - ev.line_begin) + 64;
  if (dl.pool.empty() && dl.pool.capacity() < room) dl.pool.reserve(room);
  return dl.pool.size() + more > dl.pool.capacity() || dl.args.size() >= 255;
}

// Adds an entry, first among those at its place.
void AddEntry(Runtime& rt, DecodedArg& d) {
  DecodedLine& dl = *rt.eval.line;
  const size_t offset = static_cast<size_t>(d.at - rt.eval.line_begin);
  d.next = dl.first[offset];
  dl.args.push_back(d);
  dl.first[offset] = static_cast<uint8_t>(dl.args.size());
}

uint16_t AddToPool(DecodedLine& dl, std::string_view text) {
  uint16_t off = static_cast<uint16_t>(dl.pool.size());
  dl.pool.append(text);
  return off;
}

// The first run of an element of the line: the text path, with what it
// found kept as the element's decoded entry.
void DecodeElement(Runtime& rt, char terminator, int demand, bool list) {
  auto& ev = rt.eval;
  auto& at = rt.loop.arg_text;
  DecodedArg d;
  d.at = at.data();
  d.size = static_cast<uint16_t>(at.size());
  d.terminator = terminator;
  d.file_name = demand == kFileNameDemand;
  const size_t before = at.size();
  const bool list_end = ev.list_end;
  ev.list_end = false;
  std::string_view elem = CutElement(ev, at, terminator, list);
  d.advance = static_cast<uint8_t>(before - at.size());
  d.delimiter = ev.delimiter.empty() ? ' ' : ev.delimiter[0];
  d.list_end = ev.list_end;
  ev.list_end = list_end || d.list_end;
  DecodedLine& dl = *ev.line;
  if (IsTextLiteral(elem)) {
    EvalTextLiteral(rt, elem, demand);
    d.kind = DecodedKind::kText;
    d.text_length = static_cast<uint16_t>(ev.arg_token.size());
    if (PoolFull(ev, ev.arg_token.size())) return;
    d.text_offset = AddToPool(dl, ev.arg_token);
    AddEntry(rt, d);
    return;
  }
  ShortString& name = ev.arg_token;
  name.assign(elem);
  for (size_t i = 0; i < name.size(); ++i) name[i] = UpperLatin1(name[i]);
  ev.token = name.view();
  const char first = name.empty() ? '\0' : name[0];
  const char last = name.empty() ? '\0' : name[name.size() - 1];
  const bool named = last == '#' || first == '$' || last == '$' || first == '!' || last == '!' || first == '&' ||
                     last == '&' || first == '%' || last == '%';
  d.text_length = static_cast<uint16_t>(name.size());
  if (named) {
    d.kind = DecodedKind::kName;
    // The kind of a plain variable; 0 for a system variable or an area.
    if (first != '$' && first != '!' && first != '&' && first != '%' && last != '#') d.type = static_cast<uint8_t>(last);
    EvalName(rt, name, &d.ref);
    if (PoolFull(ev, name.size())) return;
    d.text_offset = AddToPool(*ev.line, name);
    AddEntry(rt, d);
    return;
  }
  EvalNumber(rt, name);
  // A literal that is no number warns each time it runs: it stays on the
  // text path.
  if (ev.rr.type == kTypeString || PoolFull(ev, name.size())) return;
  d.kind = DecodedKind::kNumber;
  d.type = ev.rr.type;
  d.i = ev.rr.i;
  d.f = ev.rr.f;
  d.text_offset = AddToPool(*ev.line, name);
  AddEntry(rt, d);
}

// A later run of an element: the decoded entry gives the cut and the value.
[[gnu::always_inline]]
inline void EvalDecoded(Runtime& rt, int k) {
  auto& ev = rt.eval;
  auto& at = rt.loop.arg_text;
  auto& rr = ev.rr;
  DecodedLine& dl = *ev.line;
  const DecodedArg& d = dl.args[k];
  at.remove_prefix(d.advance);
  ev.delimiter.assign(std::string_view(&d.delimiter, 1));
  if (d.list_end) ev.list_end = true;
  const std::string_view text = dl.Text(d);
  ev.token = text;
  switch (d.kind) {
    case DecodedKind::kText:
    case DecodedKind::kNumber:
      LoadDecodedLiteral(rr, d, text);
      return;
    default: {
      VarRef ref = d.ref;
      EvalName(rt, text, &ref);
      ev.line->args[k].ref = ref;
      return;
    }
  }
}

}  // namespace

void UseDecodedLine(Runtime& rt, int n) {
  auto& ev = rt.eval;
  if (!ev.decode || n < 1 || n > rt.program.line_count) {
    ev.line = nullptr;
    ev.line_begin = ev.line_end = nullptr;
    return;
  }
  if (ev.decoded.empty()) ev.decoded.resize(static_cast<size_t>(rt.program.line_count) + 1);
  const std::string& s = rt.program.Line(n);
  ev.line = &ev.decoded[n];
  ev.line_begin = s.data();
  ev.line_end = s.data() + s.size();
}

bool FindStatementParse(Runtime& rt, std::string_view text, StatementParse& parse) {
  auto& ev = rt.eval;
  if (!ev.line || text.data() < ev.line_begin || text.data() >= ev.line_end) return false;
  const DecodedLine& dl = *ev.line;
  if (const int k = dl.statement_parse; k && text.data() == ev.line_begin + 1 && dl.args[k - 1].size == text.size()) {
    const DecodedArg& d = dl.args[k - 1];
    parse.name = dl.Text(d);
    parse.rest = std::string_view(d.at + d.rest_offset, d.rest_length);
    parse.entry = k - 1;
    return true;
  }
  for (int k = dl.first[text.data() - ev.line_begin]; k; ) {
    const DecodedArg& d = dl.args[k - 1];
    if (d.kind == DecodedKind::kTarget && d.size == text.size()) {
      parse.name = dl.Text(d);
      parse.rest = std::string_view(d.at + d.rest_offset, d.rest_length);
      parse.entry = k - 1;
      return true;
    }
    k = d.next;
  }
  return false;
}

void AddStatementParse(Runtime& rt, std::string_view text, StatementParse& parse) {
  auto& ev = rt.eval;
  parse.entry = -1;
  if (!ev.line || text.data() < ev.line_begin || text.data() >= ev.line_end) return;
  DecodedLine& dl = *ev.line;
  if (PoolFull(ev, parse.name.size())) return;
  DecodedArg d;
  d.kind = DecodedKind::kTarget;
  d.at = text.data();
  d.size = static_cast<uint16_t>(text.size());
  d.text_length = static_cast<uint16_t>(parse.name.size());
  d.text_offset = AddToPool(dl, parse.name);
  d.rest_offset = static_cast<uint8_t>(parse.rest.empty() ? 0 : parse.rest.data() - text.data());
  d.rest_length = static_cast<uint8_t>(parse.rest.size());
  AddEntry(rt, d);
  parse.entry = static_cast<int>(dl.args.size()) - 1;
  if (text.data() == ev.line_begin + 1) dl.statement_parse = static_cast<uint8_t>(dl.args.size());
}

void BindFastStatement(Runtime& rt, DecodedLine& dl, const char* begin, const char* end) {
  ++dl.fast_tries;
  const size_t size = static_cast<size_t>(end - begin);
  if (size < 1) return;
  const uint8_t token = Byte(begin[0]);
  uint8_t fast = kFastNone;
  if (token == cmd::kEndWhile) {
    // ENDWHILE with no text after it.
    if (size == 1) fast = kFastEndWhile;
  } else if (dl.rest_call) {
    // The condition or value: a fused call of two operands taken to the end
    // of the statement's text, its operands and what it takes off ArgText
    // known.
    const DecodedArg& c = dl.args[dl.rest_call - 1];
    if (c.kind != DecodedKind::kCall || !c.tail_known || c.operand[0] < 0 || c.operand[1] < 0 ||
        c.advance != c.size || c.size < 2 || c.at + c.size != end || c.delimiter != ' ' || c.list_end ||
        rt.eval.fused[Byte(c.at[1])] != kFusedArithmetic)
      return;
    if (token == cmd::kWhile || token == cmd::kWhileNot) {
      if (c.at == begin + 1) fast = token == cmd::kWhile ? kFastWhile : kFastWhileNot;
    } else if (token == cmd::kAssignment && dl.statement_parse) {
      const DecodedArg& t = dl.args[dl.statement_parse - 1];
      if (t.size == size - 1 && c.at == t.at + t.rest_offset && c.size == t.rest_length && t.text_length) {
        switch (dl.Text(t).back()) {
          case '%': fast = kFastAssignInteger; break;
          case '&': fast = kFastAssignLong; break;
          case '!': fast = kFastAssignFloat; break;
          default: break;
        }
      }
    }
  }
  if (fast == kFastNone) return;
  FastForm& form = dl.form;
  form.token = token;
  form.begin = begin;
  form.end = end;
  if (fast != kFastEndWhile) {
    const DecodedArg& c = dl.args[dl.rest_call - 1];
    form.function = Byte(c.at[1]);
    const auto operand = [&](const DecodedArg& d, FastOperand& o) {
      o.kind = d.kind == DecodedKind::kNumber ? 0 : d.type;
      o.l = d.i;
      o.f = d.f;
      o.ref = d.ref;
    };
    operand(dl.args[c.operand[0]], form.x);
    operand(dl.args[c.operand[1]], form.y);
    form.token_text = dl.Text(dl.args[c.operand[1]]);
    if (dl.statement_parse) form.target = dl.args[dl.statement_parse - 1].ref;
  }
  dl.fast = fast;
}

namespace {

// The decoded entry k of a literal or a number variable whose resolution is
// still right, without a call; false (and nothing changed) for the rest.
[[gnu::always_inline]]
inline bool EvalDecodedFast(Runtime& rt, DecodedLine& dl, int k, int demand) {
  auto& ev = rt.eval;
  auto& rr = ev.rr;
  DecodedArg& d = dl.args[k];
  const std::string_view text = dl.Text(d);
  switch (d.kind) {
    case DecodedKind::kNumber:
    case DecodedKind::kText:
      LoadDecodedLiteral(rr, d, text);
      break;
    case DecodedKind::kName:
      if (d.type == '%' || d.type == '&') {
        auto* e = (d.type == '%' ? rt.vars.integers : rt.vars.longs).Check(d.ref);
        if (!e) return false;
        rr.type = d.type == '%' ? kTypeInteger : kTypeLong;
        rr.l = rr.i = e->value;
        rr.f = e->value;
        rr.set_text_integer(e->value, rt.format.number_width);
      } else if (d.type == '!') {
        auto* e = rt.vars.floats.Check(d.ref);
        if (!e) return false;
        rr.type = kTypeFloat;
        rr.f = e->value;
        rr.l = rr.i = FloatToLong(e->value);
        rr.set_text_float(e->value, rt.format.decimal_places, rt.format.number_width);
      } else {
        return false;
      }
      break;
    default:
      return false;
  }
  rt.loop.arg_text.remove_prefix(d.advance);
  ev.delimiter.assign(d.delimiter);
  if (d.list_end) ev.list_end = true;
  ev.token = text;
  CheckDemand(rt, demand);
  return true;
}

// A call of an arithmetic or comparison function whose two operands are
// whole-number leaves of the decoded line (literals, integer and long
// variables): the operands are read from their entries and the result
// computed at once, with what the call leaves behind (ArgText, the separator,
// ArgToken, the views) exactly as the handler's. False, with nothing changed,
// when the call is not one of these or its operands are not decoded yet.
bool WholeLeaf(const DecodedArg& d) {
  if (d.kind == DecodedKind::kName) return d.type == '%' || d.type == '&';
  return d.kind == DecodedKind::kNumber && d.type == kTypeLong && d.f >= -549755813888.0 &&
         d.f <= 549755813888.0 && d.f == static_cast<double>(static_cast<int64_t>(d.f));
}

// The kCall entry for ArgText as it is now, or -1.
[[gnu::always_inline]]
inline int FindCall(const DecodedLine& dl, size_t offset, size_t size, char terminator) {
  for (int j = dl.first[offset]; j;) {
    const DecodedArg& d = dl.args[j - 1];
    if (d.kind == DecodedKind::kCall && d.size == size && d.terminator == terminator) return j - 1;
    j = d.next;
  }
  return -1;
}

// The first runs of a call that may be fused: its entry is made, then its
// operands are found (they are decoded by the first run through the
// handler). True when the call is fused from now on.
[[gnu::noinline]] bool PrepareFusedCall(Runtime& rt, char terminator, int k) {
  auto& ev = rt.eval;
  auto& at = rt.loop.arg_text;
  DecodedLine& dl = *ev.line;
  const size_t off = static_cast<size_t>(at.data() - ev.line_begin);
  if (k < 0) {
    if (PoolFull(ev, 0)) return false;
    DecodedArg c;
    c.kind = DecodedKind::kCall;
    c.at = at.data();
    c.size = static_cast<uint16_t>(at.size());
    c.terminator = terminator;
    AddEntry(rt, c);
    return false;
  }
  if (dl.args[k].operand[0] == -2) return false;
  const bool binary = ev.fused[Byte(at[1])] == kFusedArithmetic;
  std::string_view rest = at.substr(2);
  int k1 = FindDecoded(dl, off + 2, rest, binary ? ',' : ')', false);
  if (k1 < 0) return false;
  int k2 = k1;
  if (binary) {
    const size_t adv1 = dl.args[k1].advance;
    k2 = adv1 < rest.size() ? FindDecoded(dl, off + 2 + adv1, rest.substr(adv1), ')', false) : -1;
    if (k2 < 0) return false;
  }
  if (!WholeLeaf(dl.args[k1]) || !WholeLeaf(dl.args[k2])) {
    dl.args[k].operand[0] = -2;
    return false;
  }
  dl.args[k].operand[0] = static_cast<int16_t>(k1);
  dl.args[k].operand[1] = static_cast<int16_t>(k2);
  return true;
}

// The first run of a fused call: the ")" and the separator after the call
// are taken as the dispatcher takes them, and what that took is kept.
[[gnu::noinline]] void RecordCallTail(EvalState& ev, std::string_view& at, DecodedArg& c, const DecodedArg& d1,
                                      const DecodedArg& d2, bool binary, char terminator) {
  const size_t before = at.size();
  const bool list_end = ev.list_end;
  ev.list_end = false;
  at.remove_prefix(2 + d1.advance + (binary ? d2.advance : 0));
  ev.delimiter.assign(d2.delimiter);
  FinishCall(ev, at, terminator, terminator == kList);
  c.advance = static_cast<uint8_t>(before - at.size());
  c.delimiter = ev.delimiter.empty() ? ' ' : ev.delimiter[0];
  c.list_end = ev.list_end;
  c.tail_known = true;
  ev.list_end = list_end || c.list_end;
}

// The fused call of entry k, whose operands are known.
[[gnu::always_inline]]
inline bool RunFusedCall(Runtime& rt, DecodedLine& dl, int k, char terminator, int demand) {
  auto& ev = rt.eval;
  auto& at = rt.loop.arg_text;
  DecodedArg& c = dl.args[k];
  const uint8_t token = Byte(at[1]);
  const uint8_t fused = ev.fused[token];
  const bool binary = fused == kFusedArithmetic;
  DecodedArg& d1 = dl.args[c.operand[0]];
  DecodedArg& d2 = dl.args[c.operand[1]];
  int32_t a, b = 0;
  double fa, fb = 0;
  if (!LeafValue(rt.vars, d1, a, fa) || (binary && !LeafValue(rt.vars, d2, b, fb)) || !CallStackLeft(ev.stack_base))
    return false;
  auto& rr = ev.rr;
  if (binary) {
    FusedArithmetic(token, a, fa, b, fb, rr);
    if (rr.type == kTypeFloat) rr.set_text_float(rr.f, rt.format.decimal_places, rt.format.number_width);
    else rr.set_text_integer(rr.l, rt.format.number_width);
  } else {
    // An index out of bounds takes the handler's way to its error.
    auto& v = rt.vars;
    const bool longs = fused == kFusedArrayLong;
    if (a < 0 || a > (longs ? v.bound_long : v.bound_int)) return false;
    const int32_t value = longs ? v.array_long[a] : v.array_int[a];
    rr.type = longs ? kTypeLong : kTypeInteger;
    rr.l = rr.i = value;
    rr.f = value;
    rr.set_text_integer(value, rt.format.number_width);
  }
  ev.token = dl.Text(d2);
  if (c.tail_known) [[likely]] {
    at.remove_prefix(c.advance);
    ev.delimiter.assign(c.delimiter);
    if (c.list_end) ev.list_end = true;
  } else {
    RecordCallTail(ev, at, c, d1, d2, binary, terminator);
    if (terminator == kRest) dl.rest_call = static_cast<uint8_t>(k + 1);
  }
  CheckDemand(rt, demand);
  return true;
}

[[gnu::noinline]] bool EvalFusedCall(Runtime& rt, char terminator, int demand) {
  auto& ev = rt.eval;
  auto& at = rt.loop.arg_text;
  DecodedLine& dl = *ev.line;
  int k = FindCall(dl, static_cast<size_t>(at.data() - ev.line_begin), at.size(), terminator);
  if ((k < 0 || dl.args[k].operand[0] < 0) && !PrepareFusedCall(rt, terminator, k)) return false;
  return RunFusedCall(rt, dl, k, terminator, demand);
}



// Everything but the fast cases above.
[[gnu::noinline]] void EvalArgText(Runtime& rt, char terminator, int demand);

// An argument that is a call: fused, or through the dispatcher. Kept out of
// EvalArg, whose other cases then need no large frame.
// The dispatcher's way, kept out of the fused call's frame.
void EvalDispatchedCall(Runtime& rt, char terminator, int demand) {
  rt.eval.rr.type = kTypeNone;
  EvalCall(rt, terminator, terminator == kList);
  CheckDemand(rt, demand);
}

[[gnu::noinline]] void EvalCallArg(Runtime& rt, char terminator, int demand) {
  auto& ev = rt.eval;
  const auto& at = rt.loop.arg_text;
  // The line's ready call taken to the end of ArgText (a condition, the
  // value of an assignment) is found without a search.
  if (terminator == kRest && ev.line && ev.line->rest_call) {
    DecodedLine& dl = *ev.line;
    const int k = dl.rest_call - 1;
    const DecodedArg& c = dl.args[k];
    if (at.data() == c.at && at.size() == c.size && RunFusedCall(rt, dl, k, kRest, demand)) return;
  }
  if (ev.line && at.size() > 2 && ev.fused[Byte(at[1])] && at.data() >= ev.line_begin && at.data() < ev.line_end &&
      EvalFusedCall(rt, terminator, demand))
    return;
  EvalDispatchedCall(rt, terminator, demand);
}

}  // namespace

void EvalArg(Runtime& rt, char terminator, int demand) {
  auto& ev = rt.eval;
  const auto& at = rt.loop.arg_text;
  if (!at.empty() && at[0] == '@') {
    EvalCallArg(rt, terminator, demand);
    return;
  }
  if (ev.line && !at.empty() && at.data() >= ev.line_begin && at.data() < ev.line_end) {
    DecodedLine& dl = *ev.line;
    int k = FindDecoded(dl, at.data() - ev.line_begin, at, terminator, demand == kFileNameDemand);
    if (k >= 0 && EvalDecodedFast(rt, dl, k, demand)) return;
  }
  EvalArgText(rt, terminator, demand);
}

namespace {

void EvalArgText(Runtime& rt, char terminator, int demand) {
  auto& ev = rt.eval;
  auto& at = rt.loop.arg_text;
  const bool list = terminator == kList;
  ev.rr.type = kTypeNone;
  if (at.empty() && !list) RuntimeError(rt, msg::kTooFewParameters, "");

  if (!at.empty() && at[0] == '@') {
    EvalCall(rt, terminator, list);
  } else if (ev.line && !at.empty() && at.data() >= ev.line_begin && at.data() < ev.line_end) {
    int k = FindDecoded(*ev.line, at.data() - ev.line_begin, at, terminator, demand == kFileNameDemand);
    if (k >= 0) EvalDecoded(rt, k);
    else DecodeElement(rt, terminator, demand, list);
  } else {
    std::string_view elem = CutElement(ev, at, terminator, list);
    if (IsTextLiteral(elem)) {
      EvalTextLiteral(rt, elem, demand);
    } else {
      // The upper-cased element is the name; it is upper-cased in place.
      ShortString& name = ev.arg_token;
      name.assign(elem);
      for (size_t i = 0; i < name.size(); ++i) name[i] = UpperLatin1(name[i]);
      ev.token = name.view();
      EvalName(rt, name, nullptr);
    }
  }
  CheckDemand(rt, demand);
}

}  // namespace
}  // namespace vestil
