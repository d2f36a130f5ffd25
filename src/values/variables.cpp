// Statements and functions of the variable store.
#include "values/variables.h"

#include <cstring>
#include <new>
#include <string>

#include "base/tokens.h"
#include "base/bytes.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

AreaBlock* VariableStore::ResolveArea(uint32_t handle) {
  for (int i = 0; i < areas.count(); ++i) {
    AreaBlock* b = areas.at(i).value.get();
    if (b && b->bytes && b->handle == handle) return b;
  }
  return nullptr;
}

namespace {

// The next item of a name list: up to the first "," (plain search).
bool NextItem(std::string_view& rest, std::string_view& item) {
  size_t c = rest.find(',');
  if (c == std::string_view::npos) {
    item = rest;
    rest = std::string_view();
    return false;
  }
  item = rest.substr(0, c);
  rest.remove_prefix(c + 1);
  return true;
}

char Kind(const ShortString& name) { return name.empty() ? '\0' : name[name.size() - 1]; }

// Appends one entry; false when the table is full (the message is raised).
bool Append(Runtime& rt, const ShortString& name, const SlotValue* init) {
  auto& v = rt.vars;
  auto full = [&](int message) {
    RuntimeError(rt, message, "");
    return false;
  };
  switch (Kind(name)) {
    case '%':
      if (v.integers.full()) return full(msg::kIntegerVariablesFull);
      v.integers.Append(name, init ? init->i : 0);
      return true;
    case '&':
      if (v.longs.full()) return full(msg::kLongVariablesFull);
      v.longs.Append(name, init ? init->l : 0);
      return true;
    case '$':
      if (v.strings.full()) return full(msg::kStringVariablesFull);
      v.strings.Append(name, init ? init->text : ShortString());
      return true;
    case '!':
      if (v.floats.full()) return full(msg::kFloatVariablesFull);
      v.floats.Append(name, init ? init->f : 0.0);
      return true;
    case '#':
      if (init) return false;  // PARAMETERS makes no area entries
      if (v.areas.full()) return full(msg::kAreaVariablesFull);
      v.areas.Append(name, std::make_shared<AreaBlock>());
      return true;
  }
  return false;
}

void Declare(Runtime& rt) {
  std::string_view rest = rt.loop.arg_text, item;
  bool more = true;
  while (more) {
    more = NextItem(rest, item);
    Append(rt, UpperTrim(item), nullptr);
  }
  rt.loop.arg_text = std::string_view();
  rt.loop.statement_handled = true;
}

void Parameters(Runtime& rt) {
  std::string_view rest = rt.loop.arg_text, item;
  bool more = true;
  const SlotValue empty{};
  for (int k = 1; more; ++k) {
    more = NextItem(rest, item);
    // Items beyond the twelfth have no slot: they start at zero and empty.
    const SlotValue& init = k < kParameterSlotCount ? rt.vars.slots[k] : empty;
    Append(rt, UpperTrim(item), &init);
  }
  rt.loop.arg_text = std::string_view();
  rt.loop.statement_handled = true;
}

// The name a statement writes to and the text after it: the line's kept
// parse, or read now (the text up to the first `sep`, all of it for sep 0)
// and kept. `parsed` holds a name read now. Without its `sep` a statement
// that needs one keeps nothing and gets false.
inline bool TargetParse(Runtime& rt, char sep, bool need_sep, ShortString& parsed, StatementParse& p) {
  auto& at = rt.loop.arg_text;
  if (const DecodedLine* dl = rt.eval.line; dl && dl->statement_parse && at.data() == rt.eval.line_begin + 1) {
    // The parse of the statement's whole text, without a search.
    const int k = dl->statement_parse - 1;
    const DecodedArg& d = dl->args[k];
    if (d.size == at.size()) {
      p.name = dl->Text(d);
      p.rest = std::string_view(d.at + d.rest_offset, d.rest_length);
      p.entry = k;
      at = p.rest;
      return true;
    }
  }
  if (FindStatementParse(rt, at, p)) {
    at = p.rest;
    return true;
  }
  const size_t c = sep ? at.find(sep) : std::string_view::npos;
  parsed = UpperTrim(c == std::string_view::npos ? at : at.substr(0, c));
  p.name = parsed;
  p.rest = c == std::string_view::npos ? std::string_view() : TrimView(at.substr(c + 1));
  if (c == std::string_view::npos && need_sep) {
    at = std::string_view();
    return false;
  }
  AddStatementParse(rt, at, p);
  at = p.rest;
  return true;
}

// The entry a statement writes to: through the remembered resolution of its
// kept parse, or by name.
template <typename Table>
[[gnu::always_inline]] inline auto* FindTarget(Runtime& rt, Table& table, const StatementParse& p) {
  if (p.entry < 0) return table.Find(p.name);
  VarRef& ref = rt.eval.line->args[p.entry].ref;
  if (auto* e = table.Check(ref)) [[likely]] return e;
  return table.Find(p.name, ref);
}

void Assign(Runtime& rt) {
  auto& rr = rt.eval.rr;
  rt.loop.statement_handled = true;
  ShortString parsed;
  StatementParse p;
  if (!TargetParse(rt, '=', true, parsed, p)) {
    RuntimeError(rt, msg::kVariableNotDeclared, p.name);
    return;
  }
  const std::string_view name = p.name;
  const char kind = name.empty() ? '\0' : name.back();
  if (kind == '$') {
    ShortString text;
    rt.eval.list_end = false;
    // An element ended by "," appends one blank, one ended by ";" nothing.
    do {
      EvalArg(rt, kList, kAnyType);
      text.append(rr.text());
      if (rt.eval.delimiter == ",") text.push_back(' ');
    } while (!rt.eval.list_end);
    if (auto* e = FindTarget(rt, rt.vars.strings, p)) {
      e->value = text;
      return;
    }
  } else {
    EvalArg(rt, kRest, kAnyType);
    if (kind == '!') {
      if (auto* e = FindTarget(rt, rt.vars.floats, p)) {
        e->value = rr.f;
        return;
      }
    } else if (kind == '&') {
      if (auto* e = FindTarget(rt, rt.vars.longs, p)) {
        e->value = rr.l;
        return;
      }
    } else if (kind == '%') {
      if (auto* e = FindTarget(rt, rt.vars.integers, p)) {
        e->value = rr.i;
        return;
      }
    }
  }
  RuntimeError(rt, msg::kVariableNotDeclared, name);
}

void Step(Runtime& rt, int32_t sign, bool by_value) {
  rt.loop.statement_handled = true;
  ShortString parsed;
  StatementParse p;
  TargetParse(rt, by_value ? ',' : '\0', false, parsed, p);
  int32_t amount = 1;
  if (by_value) {
    EvalArg(rt, kRest, kAnyType);
    amount = rt.eval.rr.i;
  }
  const std::string_view name = p.name;
  if (name.empty() || name.back() != '%') {
    RuntimeError(rt, msg::kIntegerVariableExpected, "");
    return;
  }
  auto* e = FindTarget(rt, rt.vars.integers, p);
  if (!e) {
    RuntimeError(rt, msg::kVariableNotDeclared, name);
    return;
  }
  uint32_t v = static_cast<uint32_t>(e->value);
  uint32_t d = static_cast<uint32_t>(amount);
  e->value = static_cast<int32_t>(sign > 0 ? v + d : v - d);
}

void Inc(Runtime& rt) { Step(rt, 1, false); }
void Dec(Runtime& rt) { Step(rt, -1, false); }
void IncBy(Runtime& rt) { Step(rt, 1, true); }
void DecBy(Runtime& rt) { Step(rt, -1, true); }

// The newest area entry of a name, with the checks every area statement makes.
AreaBlock* FindArea(Runtime& rt, const ShortString& name, bool need_block) {
  if (Kind(name) != '#') {
    RuntimeError(rt, msg::kAreaVariableExpected, "");
    return nullptr;
  }
  auto* e = rt.vars.areas.Find(name);
  if (!e) {
    RuntimeError(rt, msg::kVariableNotDeclared, name);
    return nullptr;
  }
  if (need_block && !e->value->bytes) {
    RuntimeError(rt, msg::kAreaNotDimensioned, "");
    return nullptr;
  }
  return e->value.get();
}

void DimArea(Runtime& rt) {
  auto& at = rt.loop.arg_text;
  rt.loop.statement_handled = true;
  size_t c = at.find(',');
  ShortString name = UpperTrim(c == std::string_view::npos ? at : at.substr(0, c));
  at = c == std::string_view::npos ? std::string_view() : TrimView(at.substr(c + 1));
  EvalArg(rt, kRest, kAnyType);
  int32_t size = rt.eval.rr.l;
  AreaBlock* b = FindArea(rt, name, false);
  if (!b) return;
  if (b->bytes) {
    RuntimeError(rt, msg::kAreaAlreadyDimensioned, "");
    return;
  }
  // The block starts cleared, so no run depends on what memory held before.
  uint8_t* bytes = size < 0 ? nullptr : new (std::nothrow) uint8_t[static_cast<size_t>(size) + 1]();
  if (!bytes) {
    RuntimeError(rt, msg::kNoMemoryForArea, "");
    return;
  }
  b->bytes.reset(bytes);
  b->size = size;
  b->handle = rt.vars.next_area_handle;
  rt.vars.next_area_handle += 0x10000;
  if (rt.vars.next_area_handle == 0) rt.vars.next_area_handle = 0x10000;
}

void Dispose(Runtime& rt) {
  rt.loop.statement_handled = true;
  ShortString name = UpperTrim(rt.loop.arg_text);
  rt.loop.arg_text = std::string_view();
  AreaBlock* b = FindArea(rt, name, false);
  if (b && b->bytes) {
    b->bytes.reset();
    b->size = 0;
    b->handle = 0;
  }
}

// Bytes the block can take at `offset`: offsets 0..size are valid; multi-byte
// accesses must stay within the size + 1 bytes of the block.
bool InBlock(const AreaBlock& b, int32_t offset, int32_t width) {
  return offset >= 0 && static_cast<int64_t>(offset) + width - 1 <= b.size;
}

void AreaWrite(Runtime& rt, int mode) {
  auto& at = rt.loop.arg_text;
  auto& rr = rt.eval.rr;
  rt.loop.statement_handled = true;
  size_t c = at.find(',');
  ShortString name = UpperTrim(c == std::string_view::npos ? at : at.substr(0, c));
  at = c == std::string_view::npos ? std::string_view() : TrimView(at.substr(c + 1));
  EvalArg(rt, '=', kAnyType);
  int32_t offset = rr.l;
  EvalArg(rt, kRest, kAnyType);
  AreaBlock* b = FindArea(rt, name, true);
  if (!b) return;
  const int width = mode == 1 ? 1 : mode == 2 ? 2 : mode == 3 ? 4 : 1;
  if (!InBlock(*b, offset, width)) {
    RuntimeError(rt, msg::kBoundExceeded, "");
    return;
  }
  uint8_t* p = b->bytes.get() + offset;
  switch (mode) {
    case 1: p[0] = static_cast<uint8_t>(rr.i); break;
    case 2: WriteLe16(p, static_cast<uint16_t>(rr.l)); break;
    case 3: WriteLe32(p, static_cast<uint32_t>(rr.l)); break;
    case 4:
    case 5: {
      const ShortString& t = rr.text();
      size_t i = 0;
      for (; i < t.size() && offset + static_cast<int64_t>(i) + 1 <= b->size; ++i) p[i] = t.byte(i);
      if (mode == 4) p[i] = 0;
      break;
    }
  }
}

void AreaText(Runtime& rt) { AreaWrite(rt, 5); }
void AreaLong(Runtime& rt) { AreaWrite(rt, 3); }
void AreaString(Runtime& rt) { AreaWrite(rt, 4); }
void AreaWord(Runtime& rt) { AreaWrite(rt, 2); }
void AreaByte(Runtime& rt) { AreaWrite(rt, 1); }

void DimArray(Runtime& rt, int which) {
  auto& v = rt.vars;
  rt.loop.statement_handled = true;
  int* bounds[] = {&v.bound_int, &v.bound_long, &v.bound_float, &v.bound_string};
  const int messages[] = {msg::kDimIntTwice, msg::kDimLongTwice, msg::kDimFloatTwice, msg::kDimTextTwice};
  if (*bounds[which] != -1) {
    RuntimeError(rt, messages[which], "");
    return;
  }
  EvalArg(rt, kRest, kAnyType);
  int32_t n = rt.eval.rr.i;
  if (n < 0 || n > kMaxArrayBound) {
    RuntimeError(rt, msg::kElementCountOutOfRange, "");
    return;
  }
  *bounds[which] = n;
  switch (which) {
    case 0: v.array_int.assign(n + 1, 0); break;
    case 1: v.array_long.assign(n + 1, 0); break;
    case 2: v.array_float.assign(n + 1, 0.0); break;
    case 3: v.array_string.assign(n + 1, ShortString()); break;
  }
}

void DimInt(Runtime& rt) { DimArray(rt, 0); }
void DimLong(Runtime& rt) { DimArray(rt, 1); }
void DimFloat(Runtime& rt) { DimArray(rt, 2); }
void DimString(Runtime& rt) { DimArray(rt, 3); }

int Bound(const VariableStore& v, int which) {
  const int b[] = {v.bound_int, v.bound_long, v.bound_float, v.bound_string};
  return b[which];
}

void SetArray(Runtime& rt, int which) {
  auto& v = rt.vars;
  auto& rr = rt.eval.rr;
  rt.loop.statement_handled = true;
  EvalArg(rt, '=', kAnyType);
  int32_t idx = rr.i;
  if (idx < 0 || idx > Bound(v, which)) {
    RuntimeError(rt, msg::kBoundExceeded, "");
    return;
  }
  EvalArg(rt, kRest, kAnyType);
  switch (which) {
    case 0: v.array_int[idx] = rr.i; break;
    case 1: v.array_long[idx] = rr.l; break;
    case 2: v.array_float[idx] = rr.f; break;
    case 3: v.array_string[idx] = rr.text(); break;
  }
}

void SetInt(Runtime& rt) { SetArray(rt, 0); }
void SetLong(Runtime& rt) { SetArray(rt, 1); }
void SetFloat(Runtime& rt) { SetArray(rt, 2); }
void SetString(Runtime& rt) { SetArray(rt, 3); }

void ArrayRead(Runtime& rt, CallContext& ctx, int which) {
  auto& v = rt.vars;
  auto& rr = rt.eval.rr;
  ctx.handled = true;
  EvalArg(rt, ')', kAnyType);
  int32_t idx = rr.i;
  int bound = Bound(v, which);
  const uint8_t types[] = {kTypeInteger, kTypeLong, kTypeFloat, kTypeString};
  rr.type = types[which];
  if (idx < 0 || idx > bound) {
    RuntimeError(rt, msg::kBoundExceeded, std::to_string(bound));
    return;
  }
  switch (which) {
    case 0: rr.l = v.array_int[idx]; break;
    case 1: rr.l = v.array_long[idx]; break;
    case 2: rr.f = v.array_float[idx]; break;
    case 3: rr.set_text(v.array_string[idx]); break;
  }
}

void ArrayInt(Runtime& rt, CallContext& c) { ArrayRead(rt, c, 0); }
void ArrayLong(Runtime& rt, CallContext& c) { ArrayRead(rt, c, 1); }
void ArrayFloat(Runtime& rt, CallContext& c) { ArrayRead(rt, c, 2); }
void ArrayString(Runtime& rt, CallContext& c) { ArrayRead(rt, c, 3); }

void AreaRead(Runtime& rt, CallContext& ctx, int mode) {
  auto& at = rt.loop.arg_text;
  auto& rr = rt.eval.rr;
  ctx.handled = true;
  size_t c = at.find(',');
  ShortString name = UpperTrim(c == std::string_view::npos ? at : at.substr(0, c));
  at = c == std::string_view::npos ? std::string_view() : TrimView(at.substr(c + 1));
  int32_t offset;
  if (mode == 6) {
    EvalArg(rt, ',', kAnyType);
    offset = rr.i;
    EvalArg(rt, ')', kAnyType);
  } else {
    EvalArg(rt, ')', kAnyType);
    offset = rr.i;
  }
  rr.type = mode >= 5 ? (mode == 5 ? kTypeString : kTypeLong) : kTypeLong;
  AreaBlock* b = FindArea(rt, name, true);
  if (!b) return;
  const int width = mode == 1 ? 1 : mode == 2 ? 2 : mode == 3 ? 4 : 1;
  if (!InBlock(*b, offset, width)) {
    RuntimeError(rt, msg::kBoundExceeded, "");
    return;
  }
  const uint8_t* p = b->bytes.get() + offset;
  switch (mode) {
    case 1: rr.l = p[0]; break;
    case 2: rr.l = ReadLe16(p); break;
    case 3: rr.l = static_cast<int32_t>(ReadLe32(p)); break;
    default: {
      ShortString s;
      for (int64_t o = offset; o <= b->size && s.size() < ShortString::kMax; ++o) {
        uint8_t ch = b->bytes[o];
        if (ch == 0) break;
        s.push_back(static_cast<char>(ch));
      }
      rr.set_text(s);
      break;
    }
  }
}

void ReadAreaByte(Runtime& rt, CallContext& c) { AreaRead(rt, c, 1); }
void ReadAreaWord(Runtime& rt, CallContext& c) { AreaRead(rt, c, 2); }
void ReadAreaLong(Runtime& rt, CallContext& c) { AreaRead(rt, c, 3); }
void ReadAreaString(Runtime& rt, CallContext& c) { AreaRead(rt, c, 5); }
void ReadAreaText(Runtime& rt, CallContext& c) { AreaRead(rt, c, 6); }

}  // namespace

void DeclareVariable(Runtime& rt, const ShortString& name) { Append(rt, name, nullptr); }

void RegisterVariableStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kDeclare] = Declare; s[cmd::kParameters] = Parameters; s[cmd::kAssignment] = Assign;
  s[cmd::kInc] = Inc; s[cmd::kDec] = Dec; s[cmd::kIncBy] = IncBy; s[cmd::kDecBy] = DecBy;
  s[cmd::kDim] = DimArea; s[cmd::kDispose] = Dispose;
  s[cmd::kAreaText] = AreaText; s[cmd::kAreaLong] = AreaLong; s[cmd::kAreaString] = AreaString;
  s[cmd::kAreaWord] = AreaWord; s[cmd::kAreaByte] = AreaByte;
  s[cmd::kDimInt] = DimInt; s[cmd::kDimLong] = DimLong; s[cmd::kDimFloat] = DimFloat; s[cmd::kDimText] = DimString;
  s[cmd::kSetArrayInt] = SetInt; s[cmd::kSetArrayLong] = SetLong; s[cmd::kSetArrayFloat] = SetFloat;
  s[cmd::kSetArrayText] = SetString;
}

void RegisterVariableFunctions(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[fn::kArrayInt] = ArrayInt; f[fn::kArrayLong] = ArrayLong; f[fn::kArrayFloat] = ArrayFloat;
  f[fn::kArrayText] = ArrayString;
  rt.eval.fused[fn::kArrayInt] = kFusedArrayInt;
  rt.eval.fused[fn::kArrayLong] = kFusedArrayLong;
  f[fn::kAreaByte] = ReadAreaByte; f[fn::kAreaWord] = ReadAreaWord; f[fn::kAreaLong] = ReadAreaLong;
  f[fn::kAreaString] = ReadAreaString; f[fn::kAreaText] = ReadAreaText;
}

}  // namespace vestil
