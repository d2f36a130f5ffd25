// Profile (INI) files and the clipboard.
#include "data/profile.h"

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "core/shortstring.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

constexpr int kWriteFailed = 303;
constexpr size_t kProfileBuffer = 255;  // characters of the value buffer, its NUL included

// Names and values are single profile lines: a line break or NUL in them
// would split the entry and plant lines of its own in the file, so they
// become blanks.
ShortString ProfileText(const ShortString& s) {
  ShortString t = s;
  for (size_t i = 0; i < t.size(); ++i)
    if (t[i] == '\r' || t[i] == '\n' || t[i] == '\0') t[i] = ' ';
  return ShortString(TrimView(t));
}

void WriteIni(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, ',', kFileNameDemand);
  ShortString file = rt.eval.rr.text();
  EvalArg(rt, ',', kAnyType);
  ShortString section = ProfileText(rt.eval.rr.text());
  EvalArg(rt, '=', kAnyType);
  ShortString key = ProfileText(rt.eval.rr.text());
  EvalArg(rt, kRest, kAnyType);
  ShortString value = ProfileText(rt.eval.rr.text());
  if (!rt.host.profile->WriteProfileString(rt.host.files->MapPath(file), section, key, value)) {
    RuntimeWarning(rt, kWriteFailed, file);
  }
}

void ReadIni(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kFileNameDemand);
  ShortString file = rt.eval.rr.text();
  EvalArg(rt, ',', kAnyType);
  ShortString section = ProfileText(rt.eval.rr.text());
  EvalArg(rt, ')', kAnyType);
  ShortString key = ProfileText(rt.eval.rr.text());
  std::string value = rt.host.profile->ReadProfileString(rt.host.files->MapPath(file), section, key);
  if (value.size() > kProfileBuffer - 1) value.resize(kProfileBuffer - 1);
  rt.eval.rr.set_text(TrimView(value));
  rt.eval.rr.type = kTypeString;
  ctx.handled = true;
}

void ClearClip(Runtime& rt) {
  rt.host.profile->ClearClipboard();
  rt.loop.statement_handled = true;
}

void SetClip(Runtime& rt) {
  EvalArg(rt, kRest, kAnyType);
  rt.host.profile->SetClipboardText(rt.eval.rr.text());
  rt.loop.statement_handled = true;
}

void GetClip(Runtime& rt, CallContext& ctx) {
  rt.eval.rr.set_text(rt.host.profile->ClipboardText());  // cut to 255 characters
  rt.eval.rr.type = kTypeString;
  ctx.handled = true;
}

}  // namespace

void RegisterProfile(Runtime& rt) {
  rt.statements[cmd::kWriteIni] = WriteIni;
  rt.statements[cmd::kClearClip] = ClearClip;
  rt.statements[cmd::kSetClip] = SetClip;
  rt.eval.functions[fn::kReadIni] = ReadIni;
  rt.eval.functions[fn::kGetClip] = GetClip;
}

}  // namespace vestil
