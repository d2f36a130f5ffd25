// The file channels: ASSIGN, the text side (RESET, REWRITE, APPEND, CLOSE,
// ERASE, RENAME, @EOF, PRINT #, INPUT #), the binary side (OPENRW, CLOSERW,
// PUTBYTE, SEEK, BLOCKWRITE, @GETBYTE, @GETFILEPOS, @GETFILESIZE,
// @BLOCKREAD) and the attributes of a channel's file.
#include "data/channels.h"

#include <algorithm>
#include <cstdio>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

int TextReader::AtEnd(bool& at_end) {
  at_end = false;
  if (pos < buffer.size()) return 0;
  buffer.resize(4096);
  size_t got = 0;
  int err = file->Read(buffer.data(), buffer.size(), got);
  buffer.resize(got);
  pos = 0;
  at_end = got == 0;
  return err;
}

int TextReader::ReadLine(ShortString& line) {
  line.clear();
  for (;;) {
    bool end;
    if (int err = AtEnd(end)) return err;
    if (end) return 0;
    char c = buffer[pos++];
    if (c == '\n') return 0;
    if (c == '\r') {
      // CR LF, or a CR alone, ends the line.
      if (int err = AtEnd(end)) return err;
      if (!end && buffer[pos] == '\n') ++pos;
      return 0;
    }
    line.push_back(c);
  }
}

int TakeIoResult(Runtime& rt) {
  auto& s = Channels(rt);
  int v = s.io_result | s.find_error;
  s.io_result = 0;
  s.find_error = 0;
  return v;
}

FileAccess OpenModeAccess(int mode) {
  switch (mode) {
    case 0: return FileAccess::kRead;
    case 1: return FileAccess::kWrite;
    default: return FileAccess::kReadWrite;
  }
}

namespace {

FileChannel& Channel(Runtime& rt, int n) { return Channels(rt).channels[n]; }

// Leaves a failure pending; success keeps what is pending.
void Fail(Runtime& rt, int code) {
  if (code) Channels(rt).io_result = code;
}

std::string Mapped(Runtime& rt, std::string_view name) { return rt.host.files->MapPath(name); }

// The channel argument of a statement: "#", the number up to "," (or to the
// end). With hash_optional the "#" may be missing (BLOCKWRITE). Returns the
// channel, or 0 after an error.
int StatementChannel(Runtime& rt, int limit, bool hash_optional = false) {
  auto& at = rt.loop.arg_text;
  rt.loop.statement_handled = true;
  if (!at.empty() && at[0] == '#') {
    at.remove_prefix(1);
  } else if (!hash_optional) {
    RuntimeError(rt, msg::kFileHandleExpected, "");
    return 0;
  }
  at = TrimView(at);
  EvalArg(rt, ',', kNumberDemand);
  int n = rt.eval.rr.i;
  if (n < 1 || n > limit) {
    RuntimeError(rt, msg::kFileNumberOutOfRange, "");
    return 0;
  }
  Channels(rt).current_channel = n;
  return n;
}

// The channel argument of a function, with or without "#".
int FunctionChannel(Runtime& rt, char terminator, int limit) {
  auto& at = rt.loop.arg_text;
  while (!at.empty() && Byte(at[0]) <= 32) at.remove_prefix(1);
  if (!at.empty() && at[0] == '#') at.remove_prefix(1);
  EvalArg(rt, terminator, kNumberDemand);
  int n = rt.eval.rr.i;
  if (n < 1 || n > limit) {
    RuntimeError(rt, msg::kFileNumberOutOfRange, "");
    return 0;
  }
  Channels(rt).current_channel = n;
  return n;
}

// --- the text side ------------------------------------------------------------

void CloseText(FileChannel& c) {
  c.text.file.reset();
  c.text.buffer.clear();
  c.text.pos = 0;
  c.text_mode = TextMode::kClosed;
}

// Opens the text side; an open side is closed first.
void OpenText(Runtime& rt, FileChannel& c, TextMode mode, bool create, bool at_end) {
  if (!c.assigned) return Fail(rt, io_error::kNotAssigned);
  CloseText(c);
  std::unique_ptr<HostFile> f;
  const FileAccess access = mode == TextMode::kInput ? FileAccess::kRead : FileAccess::kWrite;
  int err = rt.host.files->OpenHostFile(Mapped(rt, c.text_name), access, create, f);
  if (!err && at_end) {
    int64_t size = 0;
    err = f->Size(size);
    if (!err) err = f->Seek(size);
  }
  if (err) return Fail(rt, err);
  c.text.file = std::move(f);
  c.text_mode = mode;
}

void Assign(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  EvalArg(rt, kRest, kFileNameDemand);
  FileChannel& c = Channel(rt, n);
  c.name = rt.eval.rr.text();
  c.text_name = c.name;
  c.data_name = c.name;
  // A channel without a name reports "not assigned" as one never assigned.
  c.assigned = !c.name.empty();
}

void Reset(Runtime& rt) {
  if (int n = StatementChannel(rt, kOpenChannelLimit)) OpenText(rt, Channel(rt, n), TextMode::kInput, false, false);
}

void Rewrite(Runtime& rt) {
  if (int n = StatementChannel(rt, kOpenChannelLimit)) OpenText(rt, Channel(rt, n), TextMode::kOutput, true, false);
}

void Append(Runtime& rt) {
  if (int n = StatementChannel(rt, kOpenChannelLimit)) OpenText(rt, Channel(rt, n), TextMode::kOutput, false, true);
}

void Close(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  FileChannel& c = Channel(rt, n);
  if (c.text_mode == TextMode::kClosed) return Fail(rt, c.assigned ? io_error::kNotOpen : io_error::kNotAssigned);
  CloseText(c);
}

void Erase(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  FileChannel& c = Channel(rt, n);
  if (!c.assigned) return Fail(rt, io_error::kNotAssigned);
  Fail(rt, rt.host.files->EraseFile(Mapped(rt, c.text_name)));
}

void Rename(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  EvalArg(rt, kRest, kTextDemand);
  ShortString to = rt.eval.rr.text();
  FileChannel& c = Channel(rt, n);
  if (!c.assigned) return Fail(rt, io_error::kNotAssigned);
  int err = rt.host.files->RenameFile(Mapped(rt, c.text_name), Mapped(rt, to));
  if (err) return Fail(rt, err);
  // The binary side keeps the name of the last ASSIGN.
  c.name = to;
  c.text_name = to;
}

void SetFAttr(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  EvalArg(rt, kRest, kNumberDemand);
  uint32_t attributes = static_cast<uint32_t>(rt.eval.rr.i);
  FileChannel& c = Channel(rt, n);
  if (!c.assigned) return Fail(rt, io_error::kNotAssigned);
  Fail(rt, rt.host.files->SetAttributes(Mapped(rt, c.name), attributes));
}

// @EOF(#n): 1 when the text side open for input has no byte left. A side not
// open for input answers 1 and leaves its code pending.
void Eof(Runtime& rt, CallContext& ctx) {
  int n = FunctionChannel(rt, ')', kChannelCount - 1);
  int32_t v = 1;
  if (n) {
    FileChannel& c = Channel(rt, n);
    if (c.text_mode == TextMode::kInput) {
      bool end = true;
      int err = c.text.AtEnd(end);
      Fail(rt, err);
      v = end || err ? 1 : 0;
    } else {
      Fail(rt, c.text_mode == TextMode::kOutput ? io_error::kNotOpenForInput
               : c.assigned                     ? io_error::kNotOpen
                                                : io_error::kNotAssigned);
    }
  }
  NumberResult(rt, ctx, v, kTypeInteger);
}

// --- the binary side ------------------------------------------------------------

// The open binary side, or nullptr with the code pending.
HostFile* Data(Runtime& rt, int n) {
  FileChannel& c = Channel(rt, n);
  if (c.data) return c.data.get();
  Fail(rt, c.assigned ? io_error::kNotOpen : io_error::kNotAssigned);
  return nullptr;
}

// Writes bytes at the current position; a short write is a failure.
void WriteData(Runtime& rt, HostFile& f, const void* bytes, size_t count) {
  if (!count) return;
  size_t done = 0;
  int err = f.Write(bytes, count, done);
  if (!err && done < count) err = io_error::kShortWrite;
  Fail(rt, err);
}

void OpenRW(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  FileChannel& c = Channel(rt, n);
  Channels(rt).io_result = 0;
  if (!c.assigned) return Fail(rt, io_error::kNotAssigned);
  c.data.reset();
  const std::string path = Mapped(rt, c.data_name);
  std::unique_ptr<HostFile> f;
  int err = rt.host.files->OpenHostFile(path, OpenModeAccess(Channels(rt).file_open_mode), false, f);
  // Only a missing file is created: a file that exists but cannot be opened
  // (locked, no access) keeps its contents and its code stays pending.
  if (err == 2) err = rt.host.files->OpenHostFile(path, FileAccess::kReadWrite, true, f);
  if (err) return Fail(rt, err);
  c.data = std::move(f);
}

void CloseRW(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  if (Data(rt, n)) Channel(rt, n).data.reset();
}

void PutByte(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  EvalArg(rt, kRest, kNumberDemand);
  const uint8_t b = static_cast<uint8_t>(rt.eval.rr.i);
  if (HostFile* f = Data(rt, n)) WriteData(rt, *f, &b, 1);
}

void Seek(Runtime& rt) {
  int n = StatementChannel(rt, kOpenChannelLimit);
  if (!n) return;
  EvalArg(rt, kRest, kNumberDemand);
  const int32_t pos = rt.eval.rr.l;
  HostFile* f = Data(rt, n);
  if (!f) return;
  Fail(rt, pos < 0 ? io_error::kNegativeSeek : f->Seek(pos));
}

// The area argument of BLOCKWRITE and @BLOCKREAD: the name up to the next
// ",", then offset and count. Returns the block with the range checked, or
// nullptr after an error.
AreaBlock* AreaRange(Runtime& rt, char last_terminator, int32_t& offset, int32_t& count) {
  auto& at = rt.loop.arg_text;
  size_t comma = at.find(',');
  ShortString name = UpperTrim(comma == std::string_view::npos ? at : at.substr(0, comma));
  at = comma == std::string_view::npos ? std::string_view() : at.substr(comma + 1);
  if (name.empty() || name[name.size() - 1] != '#') {
    RuntimeError(rt, msg::kAreaVariableExpected, "");
    return nullptr;
  }
  EvalArg(rt, ',', kNumberDemand);
  offset = rt.eval.rr.l;
  EvalArg(rt, last_terminator, kNumberDemand);
  count = rt.eval.rr.l;
  auto* e = rt.vars.areas.Find(name);
  if (!e) {
    RuntimeError(rt, msg::kVariableNotDeclared, name);
    return nullptr;
  }
  AreaBlock* b = e->value.get();
  // Negative offsets and counts would reach outside the block as well.
  if (offset < 0 || count < 0 || static_cast<int64_t>(offset) + count > b->size) {
    RuntimeError(rt, msg::kBoundExceeded, "");
    return nullptr;
  }
  return b;
}

void BlockWrite(Runtime& rt) {
  int n = StatementChannel(rt, kChannelCount - 1, true);
  if (!n) return;
  int32_t offset, count;
  AreaBlock* b = AreaRange(rt, kRest, offset, count);
  if (!b || count == 0) return;
  if (HostFile* f = Data(rt, n)) WriteData(rt, *f, b->bytes.get() + offset, static_cast<size_t>(count));
}

void BlockRead(Runtime& rt, CallContext& ctx) {
  int n = FunctionChannel(rt, ',', kChannelCount - 1);
  int32_t got = 0;
  if (n) {
    int32_t offset, count;
    AreaBlock* b = AreaRange(rt, ')', offset, count);
    HostFile* f = b && count > 0 ? Data(rt, n) : nullptr;
    if (f) {
      size_t done = 0;
      Fail(rt, f->Read(b->bytes.get() + offset, static_cast<size_t>(count), done));
      got = static_cast<int32_t>(done);
    }
  }
  NumberResult(rt, ctx, got, kTypeLong);
}

// @GETBYTE(#n): the next byte, or -1 when none could be read (at the end of
// the file 100 is pending).
void GetByte(Runtime& rt, CallContext& ctx) {
  int n = FunctionChannel(rt, ')', kChannelCount - 1);
  int32_t v = -1;
  if (HostFile* f = n ? Data(rt, n) : nullptr) {
    uint8_t b = 0;
    size_t done = 0;
    int err = f->Read(&b, 1, done);
    if (!err && done == 0) err = io_error::kReadPastEnd;
    Fail(rt, err);
    if (!err) v = b;
  }
  NumberResult(rt, ctx, v, kTypeInteger);
}

void GetFilePos(Runtime& rt, CallContext& ctx) {
  int n = FunctionChannel(rt, ')', kChannelCount - 1);
  int64_t pos = -1;
  if (HostFile* f = n ? Data(rt, n) : nullptr) {
    if (int err = f->Position(pos)) {
      Fail(rt, err);
      pos = -1;
    }
  }
  NumberResult(rt, ctx, static_cast<int32_t>(pos), kTypeLong);
}

void GetFileSize(Runtime& rt, CallContext& ctx) {
  int n = FunctionChannel(rt, ')', kOpenChannelLimit);
  int64_t size = -1;
  if (HostFile* f = n ? Data(rt, n) : nullptr) {
    if (int err = f->Size(size)) {
      Fail(rt, err);
      size = -1;
    }
  }
  NumberResult(rt, ctx, static_cast<int32_t>(size), kTypeLong);
}

// @GETFATTR(#n): the attributes of the file Name; 65535 when they cannot be read.
void GetFAttr(Runtime& rt, CallContext& ctx) {
  int n = FunctionChannel(rt, ')', kChannelCount - 1);
  uint32_t attributes = 0xFFFFFFFF;
  if (n && rt.host.files->GetAttributes(Mapped(rt, Channel(rt, n).name), attributes)) attributes = 0xFFFFFFFF;
  NumberResult(rt, ctx, static_cast<int32_t>(attributes & 0xFFFF), kTypeInteger);
}

// @GETFDATE$(#n): the local date of the last write as YYYYMMDD; empty when
// the file cannot be found.
void GetFDate(Runtime& rt, CallContext& ctx) {
  int n = FunctionChannel(rt, ')', kChannelCount - 1);
  int year, month, day;
  if (!n || rt.host.files->FileDate(Mapped(rt, Channel(rt, n).name), year, month, day)) return TextResult(rt, ctx, "");
  char buf[16];
  std::snprintf(buf, sizeof buf, "%8ld", static_cast<long>(year) * 10000L + month * 100L + day);
  TextResult(rt, ctx, buf);
}

}  // namespace

int TakeChannelPrefix(Runtime& rt) {
  auto& at = rt.loop.arg_text;
  at.remove_prefix(1);
  at = TrimView(at);
  EvalArg(rt, ',', kNumberDemand);
  int n = rt.eval.rr.i;
  if (n < 1 || n > kOpenChannelLimit) {
    RuntimeError(rt, msg::kFileNumberOutOfRange, "");
    return 0;
  }
  Channels(rt).current_channel = n;
  return n;
}

void ChannelWrite(Runtime& rt, int channel, std::string_view bytes) {
  FileChannel& c = Channel(rt, channel);
  switch (c.text_mode) {
    case TextMode::kOutput:
      WriteData(rt, *c.text.file, bytes.data(), bytes.size());
      break;
    case TextMode::kInput:
      Fail(rt, io_error::kNotOpenForOutput);
      break;
    case TextMode::kClosed:
      Fail(rt, c.assigned ? io_error::kNotOpen : io_error::kNotAssigned);
      break;
  }
}

void ChannelReadLine(Runtime& rt, int channel, ShortString& line) {
  FileChannel& c = Channel(rt, channel);
  line.clear();
  switch (c.text_mode) {
    case TextMode::kInput:
      Fail(rt, c.text.ReadLine(line));
      break;
    case TextMode::kOutput:
      Fail(rt, io_error::kNotOpenForInput);
      break;
    case TextMode::kClosed:
      Fail(rt, c.assigned ? io_error::kNotOpen : io_error::kNotAssigned);
      break;
  }
}

void RegisterFileNameStatements(Runtime& rt);

void RegisterFileChannels(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kAssign] = Assign;
  s[cmd::kRename] = Rename;
  s[cmd::kAppend] = Append;
  s[cmd::kClose] = Close;
  s[cmd::kErase] = Erase;
  s[cmd::kReset] = Reset;
  s[cmd::kRewrite] = Rewrite;
  s[cmd::kSetFAttr] = SetFAttr;
  s[cmd::kOpenRw] = OpenRW;
  s[cmd::kCloseRw] = CloseRW;
  s[cmd::kPutByte] = PutByte;
  s[cmd::kSeek] = Seek;
  s[cmd::kBlockWrite] = BlockWrite;
  auto& f = rt.eval.functions;
  f[fn::kGetByte] = GetByte;
  f[fn::kGetFilePos] = GetFilePos;
  f[fn::kGetFileSize] = GetFileSize;
  f[fn::kEof] = Eof;
  f[fn::kGetFAttr] = GetFAttr;
  f[fn::kGetFDate] = GetFDate;
  f[fn::kBlockRead] = BlockRead;
  RegisterFileNameStatements(rt);
  RegisterDirectorySearch(rt);
  // %IORESULT: read and cleared.
  rt.eval.system_variables[sv::kIoResult] = [](Runtime& r, uint8_t) { r.eval.rr.i = TakeIoResult(r); };
  rt.InstallFamily<ChannelState>();
}

}  // namespace vestil
