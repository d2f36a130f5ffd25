// Text functions. Results are cut to 255 bytes; positions count from 1.
#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

ShortString TextArg(Runtime& rt, char terminator, int demand = kAnyType) {
  EvalArg(rt, terminator, demand);
  return rt.eval.rr.text();
}

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.i;
}

void AddText(Runtime& rt, CallContext& c) {
  ShortString a = TextArg(rt, ',');
  a.append(TextArg(rt, ')'));
  TextResult(rt, c, a);
}

void Chr(Runtime& rt, CallContext& c) {
  char ch = static_cast<char>(NumberArg(rt, ')') & 0xff);
  TextResult(rt, c, std::string_view(&ch, 1));
}

void Ord(Runtime& rt, CallContext& c) {
  ShortString s = TextArg(rt, ')');
  NumberResult(rt, c, s.empty() ? 0 : s.byte(0), kTypeInteger);
}

void Len(Runtime& rt, CallContext& c) { NumberResult(rt, c, static_cast<int32_t>(TextArg(rt, ')').size()), kTypeInteger); }

void InStr(Runtime& rt, CallContext& c) {
  ShortString needle = TextArg(rt, ',');
  ShortString s = TextArg(rt, ')');
  size_t p = needle.empty() ? std::string_view::npos : s.view().find(needle.view());
  NumberResult(rt, c, p == std::string_view::npos ? 0 : static_cast<int32_t>(p + 1), kTypeInteger);
}

// Evaluates a position and raises 204 when it is below 1.
bool Position(Runtime& rt, char terminator, int32_t& pos) {
  pos = NumberArg(rt, terminator);
  if (pos >= 1) return true;
  RuntimeError(rt, msg::kStringIndexBelowOne, "");
  return false;
}

void Mid(Runtime& rt, CallContext& c) {
  ShortString s = TextArg(rt, ',');
  int32_t pos;
  bool ok = Position(rt, ',', pos);
  int32_t count = NumberArg(rt, ')');
  if (!ok || pos > static_cast<int32_t>(s.size()) || count <= 0) return TextResult(rt, c, "");
  TextResult(rt, c, s.view().substr(pos - 1, static_cast<size_t>(count)));
}

void Del(Runtime& rt, CallContext& c) {
  ShortString s = TextArg(rt, ',');
  int32_t pos;
  bool ok = Position(rt, ',', pos);
  int32_t count = NumberArg(rt, ')');
  if (!ok || pos > static_cast<int32_t>(s.size()) || count <= 0) return TextResult(rt, c, s);
  std::string r = s.str();
  r.erase(pos - 1, static_cast<size_t>(count));
  TextResult(rt, c, r);
}

void Ins(Runtime& rt, CallContext& c) {
  ShortString ins = TextArg(rt, ',');
  ShortString s = TextArg(rt, ',');
  int32_t pos;
  if (!Position(rt, ')', pos)) return TextResult(rt, c, s);
  std::string r = s.str();
  size_t at = pos > static_cast<int32_t>(s.size()) + 1 ? s.size() : static_cast<size_t>(pos - 1);
  r.insert(at, ins.view());
  TextResult(rt, c, r);
}

void SubStr(Runtime& rt, CallContext& c) {
  ShortString s = TextArg(rt, ',');
  int32_t n = NumberArg(rt, ',');
  bool ok = n >= 1;
  if (!ok) RuntimeError(rt, msg::kSubstringNumberBelowOne, "");
  ShortString sep = TextArg(rt, ')');
  if (!ok) return TextResult(rt, c, "");
  // An empty separator never occurs: the whole text is field 1.
  auto find = [&sep](std::string_view t) { return sep.empty() ? std::string_view::npos : t.find(sep.view()); };
  std::string_view rest = s.view();
  for (int32_t k = 1; k < n && !rest.empty(); ++k) {
    size_t p = find(rest);
    rest = p == std::string_view::npos ? std::string_view() : rest.substr(p + sep.size());
  }
  size_t p = find(rest);
  TextResult(rt, c, p == std::string_view::npos ? rest : rest.substr(0, p));
}

void Trim(Runtime& rt, CallContext& c) { TextResult(rt, c, TrimView(TextArg(rt, ')'))); }

void UpperText(Runtime& rt, CallContext& c) { TextResult(rt, c, Upper(TextArg(rt, ')'))); }

void LowerText(Runtime& rt, CallContext& c) {
  ShortString s = TextArg(rt, ')');
  for (size_t i = 0; i < s.size(); ++i) {
    uint8_t b = s.byte(i);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) s[i] = static_cast<char>(b + 32);
  }
  TextResult(rt, c, s);
}

void Translate(Runtime& rt, CallContext& c) {
  ShortString s = TextArg(rt, ',');
  ShortString find = TextArg(rt, ',', kTextDemand);
  ShortString replace = TextArg(rt, ')', kTextDemand);
  TextResult(rt, c, ReplaceAll(s, find, replace));
}

}  // namespace

void RegisterTextFunctions(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[fn::kAddText] = AddText; f[fn::kChr] = Chr; f[fn::kOrd] = Ord; f[fn::kLen] = Len; f[fn::kInstr] = InStr;
  f[fn::kMid] = Mid; f[fn::kDel] = Del; f[fn::kIns] = Ins; f[fn::kSubstr] = SubStr; f[fn::kTrim] = Trim;
  f[fn::kUpper] = UpperText; f[fn::kLower] = LowerText; f[fn::kTranslate] = Translate;
}

}  // namespace vestil
