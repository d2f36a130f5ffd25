// Files and folders by name: COPY, CHDIR, MKDIR, RMDIR, LOADTEXT, FILEMODE,
// @FILESIZE, @CHOOSEDIR$, the drive functions and the directory search.
#include <algorithm>
#include <limits>
#include <memory>
#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "data/channels.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

constexpr size_t kCopyBuffer = 32768;

void LongResult(Runtime& rt, CallContext& ctx, int64_t v) {
  // Sizes beyond the long range are held at its top instead of wrapping.
  NumberResult(rt, ctx, static_cast<int32_t>(std::clamp<int64_t>(v, -1, std::numeric_limits<int32_t>::max())),
               kTypeLong);
}

// Opens a file for COPY, @FILESIZE and LOADTEXT; 0 or the error code.
int Open(Runtime& rt, std::string_view name, FileAccess access, bool create, std::unique_ptr<HostFile>& f) {
  return rt.host.files->OpenHostFile(rt.host.files->MapPath(name), access, create, f);
}

void Copy(Runtime& rt) {
  auto& rr = rt.eval.rr;
  rt.loop.statement_handled = true;
  Channels(rt).io_result = 0;
  EvalArg(rt, '>', kFileNameDemand);
  ShortString source = rr.text();
  EvalArg(rt, kRest, kFileNameDemand);
  ShortString destination = rr.text();
  std::unique_ptr<HostFile> in, out;
  if (Open(rt, source, OpenModeAccess(Channels(rt).file_open_mode), false, in)) {
    RuntimeError(rt, msg::kCannotReadFile, source);
    return;
  }
  // Creating the destination would empty a source that is the same file.
  if (rt.host.files->SameFile(rt.host.files->MapPath(source), rt.host.files->MapPath(destination)) ||
      Open(rt, destination, FileAccess::kReadWrite, true, out)) {
    RuntimeError(rt, msg::kCannotCreateFile, destination);
    return;
  }
  auto buffer = std::make_unique<char[]>(kCopyBuffer);
  for (;;) {
    size_t got = 0, written = 0;
    if (in->Read(buffer.get(), kCopyBuffer, got)) {
      RuntimeError(rt, msg::kReadError, source);
      return;
    }
    if (got == 0) break;
    // A short write (a full disk) is a failure, not a silent end of the copy.
    if (out->Write(buffer.get(), got, written) || written < got) {
      RuntimeError(rt, msg::kWriteError, destination);
      return;
    }
  }
}

// The path of CHDIR, MKDIR and RMDIR: a final backslash goes unless the path
// is a drive's root such as C:\.
std::string FolderArgument(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, kRest, kFileNameDemand);
  ShortString path = rt.eval.rr.text();
  if (path.size() > 3 && path[path.size() - 1] == '\\') path.resize(path.size() - 1);
  return rt.host.files->MapPath(path);
}

void Fail(Runtime& rt, int code) {
  if (code) Channels(rt).io_result = code;
}

void ChDir(Runtime& rt) {
  std::string p = FolderArgument(rt);
  Fail(rt, rt.host.files->ChangeDirectory(p));
}

void MkDir(Runtime& rt) {
  std::string p = FolderArgument(rt);
  Fail(rt, rt.host.files->MakeDirectory(p));
}

void RmDir(Runtime& rt) {
  std::string p = FolderArgument(rt);
  Fail(rt, rt.host.files->DeleteDirectory(p));
}

void FileMode(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, kRest, kNumberDemand);
  Channels(rt).file_open_mode = rt.eval.rr.i & 0xff;
}

// LOADTEXT area#, name: the lines of a text file as one zero-terminated text,
// each line followed by CR LF, as far as the area holds them.
void LoadText(Runtime& rt) {
  auto& at = rt.loop.arg_text;
  rt.loop.statement_handled = true;
  size_t comma = at.find(',');
  ShortString area = UpperTrim(comma == std::string_view::npos ? at : at.substr(0, comma));
  at = comma == std::string_view::npos ? std::string_view() : at.substr(comma + 1);
  if (area.empty() || area[area.size() - 1] != '#') {
    RuntimeError(rt, msg::kAreaVariableExpected, "");
    return;
  }
  auto* e = rt.vars.areas.Find(area);
  if (!e) {
    RuntimeError(rt, msg::kVariableNotDeclared, area);
    return;
  }
  AreaBlock* b = e->value.get();
  if (!b->bytes) {
    RuntimeError(rt, msg::kAreaNotDimensioned, "");
    return;
  }
  EvalArg(rt, kRest, kFileNameDemand);
  ShortString name = rt.eval.rr.text();
  TextReader reader;
  if (Open(rt, name, FileAccess::kRead, false, reader.file)) {
    RuntimeError(rt, msg::kCannotReadFile, name);
    return;
  }
  uint8_t* text = b->bytes.get();
  const int64_t capacity = static_cast<int64_t>(b->size) - 3;
  int64_t length = 0;
  text[0] = 0;
  for (;;) {
    bool end;
    if (reader.AtEnd(end) || end) break;
    ShortString line;
    if (reader.ReadLine(line)) break;
    if (length + static_cast<int64_t>(line.size()) >= capacity) {
      RuntimeWarning(rt, msg::kTextDoesNotFitArea, "");
      break;
    }
    std::copy(line.data(), line.data() + line.size(), text + length);
    length += static_cast<int64_t>(line.size());
    text[length++] = '\r';
    text[length++] = '\n';
    text[length] = 0;
  }
}

void FileSize(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kFileNameDemand);
  ShortString name = rt.eval.rr.text();
  std::unique_ptr<HostFile> f;
  int64_t size = -1;
  if (Open(rt, name, OpenModeAccess(Channels(rt).file_open_mode), false, f) || f->Size(size)) {
    size = -1;
    RuntimeWarning(rt, msg::kFileNotFound, name);
  }
  LongResult(rt, ctx, size);
}

void ChooseDir(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  ShortString title = rt.eval.rr.text();
  std::string path;
  const bool chosen = rt.host.dialogs->ChooseDirectory(title, path);
  if (!chosen) path.clear();
  rt.dialog_list.dialog_result = chosen ? 1 : 2;
  TextResult(rt, ctx, path);
}

// The drive of a text: its first character upper-cased, A = 1; the empty text
// is the current drive (0). -1 for no drive at all.
int Drive(Runtime& rt) {
  EvalArg(rt, ')', kTextDemand);
  const ShortString& t = rt.eval.rr.text();
  if (t.empty()) return 0;
  int d = Byte(UpperLatin1(t[0])) - 64;
  return d >= 1 && d <= 26 ? d : -1;
}

void DiskFree(Runtime& rt, CallContext& ctx) {
  int d = Drive(rt);
  int64_t free_bytes = 0, total = 0;
  LongResult(rt, ctx, d >= 0 && rt.host.files->DiskSpace(d, free_bytes, total) ? free_bytes : -1);
}

void DiskSize(Runtime& rt, CallContext& ctx) {
  int d = Drive(rt);
  int64_t free_bytes = 0, total = 0;
  LongResult(rt, ctx, d >= 0 && rt.host.files->DiskSpace(d, free_bytes, total) ? total : -1);
}

void GetDir(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  const ShortString t = rt.eval.rr.text();
  int d = t.empty() ? 0 : Byte(UpperLatin1(t[0])) - 64;
  if (d < 0 || d > 26) {
    // No drive of that letter: its root, as Windows names it.
    std::string root(1, UpperLatin1(t[0]));
    return TextResult(rt, ctx, root + ":\\");
  }
  TextResult(rt, ctx, rt.host.files->DriveDirectory(d));
}

}  // namespace

void RegisterFileNameStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kCopy] = Copy;
  s[cmd::kChDir] = ChDir;
  s[cmd::kMkDir] = MkDir;
  s[cmd::kRmDir] = RmDir;
  s[cmd::kLoadText] = LoadText;
  s[cmd::kFileMode] = FileMode;
  auto& f = rt.eval.functions;
  f[fn::kFileSize] = FileSize;
  f[fn::kChooseDir] = ChooseDir;
  f[fn::kDiskFree] = DiskFree;
  f[fn::kDiskSize] = DiskSize;
  f[fn::kGetDir] = GetDir;
}

}  // namespace vestil
