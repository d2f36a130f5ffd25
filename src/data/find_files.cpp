// The directory search: @FINDFIRST$ and @FINDNEXT$. One search per process:
// @FINDNEXT$ continues the last @FINDFIRST$.
#include "base/tokens.h"
#include "core/runtime.h"
#include "data/channels.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

// The next result; at the end the empty text, and the stored file error code
// becomes 18.
void NextFound(Runtime& rt, CallContext& ctx) {
  auto& s = Channels(rt);
  if (s.next_found >= s.found.size()) {
    s.find_error = io_error::kNoMoreFiles;
    return TextResult(rt, ctx, "");
  }
  TextResult(rt, ctx, s.found[s.next_found++]);
}

// Every entry counts (attribute mask 0x37: read-only, hidden, system,
// directory, archive); a folder whose only attribute is "directory" is
// given in brackets.
void FindFirst(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  ShortString mask = rt.eval.rr.text();
  auto& s = Channels(rt);
  s.found.clear();
  s.next_found = 0;
  for (const FoundFile& f : rt.host.files->FindFiles(rt.host.files->MapPath(mask))) {
    if (f.attributes == kAttributeDirectory) s.found.push_back(ShortString("[" + f.name + "]"));
    else s.found.push_back(ShortString(f.name));
  }
  NextFound(rt, ctx);
}

// No arguments: only the closing parenthesis follows.
void FindNext(Runtime& rt, CallContext& ctx) { NextFound(rt, ctx); }

}  // namespace

void RegisterDirectorySearch(Runtime& rt) {
  rt.eval.functions[fn::kFindFirst] = FindFirst;
  rt.eval.functions[fn::kFindNext] = FindNext;
}

}  // namespace vestil
