// The table functions and DBCREATE: arguments, table slots and the engine
// error's messages around the table engine of data/dbase/table.h.
#include "data/dbase.h"

#include <filesystem>
#include <string>

#include "core/console_font.h"
#include "core/errors.h"
#include "core/runtime.h"
#include "data/dbase/index.h"
#include "host/host.h"
#include "values/convert.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

// --- the host's files -----------------------------------------------------------

namespace {

class HostDbFile : public DbFile {
 public:
  explicit HostDbFile(std::unique_ptr<HostFile> f) : f_(std::move(f)) {}
  size_t Read(int64_t pos, void* buffer, size_t count) override {
    size_t done = 0;
    if (f_->Seek(pos) || f_->Read(buffer, count, done)) return 0;
    return done;
  }
  bool WriteAt(int64_t pos, const void* buffer, size_t count) override {
    size_t done = 0;
    return f_->Seek(pos) == 0 && f_->Write(buffer, count, done) == 0 && done == count;
  }
  int64_t Length() override {
    int64_t size = 0;
    return f_->Size(size) ? 0 : size;
  }

 private:
  std::unique_ptr<HostFile> f_;
};

}  // namespace

std::string HostDbFiles::MapPath(std::string_view name) { return host->MapPath(name); }

int HostDbFiles::Open(const std::string& path, DbAccess access, DbFileHandle& file) {
  std::unique_ptr<HostFile> f;
  FileAccess a = access == DbAccess::kRead ? FileAccess::kRead : FileAccess::kReadWrite;
  int error = host->OpenHostFile(path, a, access == DbAccess::kCreate, f);
  if (error) return error;
  file = std::make_unique<HostDbFile>(std::move(f));
  return 0;
}

int HostDbFiles::Erase(const std::string& path) { return host->EraseFile(path); }

int HostDbFiles::Rename(const std::string& from, const std::string& to) { return host->RenameFile(from, to); }

// The host has no operation that sets a file's length: the standard library
// does it on the mapped path.
int HostDbFiles::Resize(const std::string& path, int64_t length) {
  std::error_code ec;
  std::filesystem::resize_file(std::filesystem::path(path), static_cast<uintmax_t>(length), ec);
  return ec ? 5 : 0;
}

DbEngine& Engine(Runtime& rt) {
  rt.dbase.files.host = rt.host;
  rt.dbase.engine.files = &rt.dbase.files;
  return rt.dbase.engine;
}

// --- engine errors ----------------------------------------------------------------

namespace {

// The message of an engine code.
int EngineMessage(int code) {
  switch (code) {
    case 2: return 607;
    case 100: case 501: return 608;
    case 601: return 611;
    case 602: case 603: case 604: case 605: return code + 10;
    case 800: return 601;
    case 801: case 802: case 803: return code - 199;
    case 901: case 902: return code - 296;
    default: return code;
  }
}

// Takes the pending error: its message and detail ("!" when it has none).
int TakeEngineError(Runtime& rt, ShortString& detail) {
  DbError& error = rt.dbase.engine.error;
  int message = EngineMessage(error.code);
  if (error.detail.empty()) {
    detail = "!";
  } else {
    detail = ": ";
    detail.append(error.detail);
  }
  error = DbError();
  return message;
}

}  // namespace

// A reported error is no longer pending: later calls do not repeat it.
void RaiseEngineWarning(Runtime& rt) {
  if (!rt.dbase.engine.Failed()) return;
  ShortString detail;
  int m = TakeEngineError(rt, detail);
  RuntimeWarning(rt, m, detail);
}

void RaiseEngineFatal(Runtime& rt) {
  if (!rt.dbase.engine.Failed()) return;
  ShortString detail;
  int m = TakeEngineError(rt, detail);
  RuntimeError(rt, m, detail);
}

DbTable* CurrentTable(Runtime& rt) {
  int n = rt.dbase.current;
  if (n < 1 || n >= kTableSlots) return nullptr;
  return rt.dbase.slots[n].get();
}

// With the OEM console font the table holds OEM text: what scripts store is
// converted to it and what they read is converted back.
std::string ToOemIfNeeded(Runtime& rt, std::string_view text) {
  std::string s(text);
  if (rt.console.text_font_index != kOemFontIndex) return s;
  if (!rt.host || !rt.host->ConvertAnsiToOem(s)) s = AnsiToOem850(text);
  return s;
}

std::string FromOemIfNeeded(Runtime& rt, std::string_view text) {
  std::string s(text);
  if (rt.console.text_font_index != kOemFontIndex) return s;
  if (!rt.host || !rt.host->ConvertOemToAnsi(s)) s = Oem850ToAnsi(text);
  return s;
}

bool TableNumberArg(Runtime& rt, char terminator, int32_t& n) {
  std::string_view& a = rt.loop.arg_text;
  while (!a.empty() && Byte(a.front()) <= 32) a.remove_prefix(1);
  if (a.empty() || a.front() != '#') {
    RuntimeError(rt, 105, "");
    return false;
  }
  a.remove_prefix(1);
  EvalArg(rt, terminator, kNumberDemand);
  n = rt.eval.rr.l;
  return true;
}

namespace {

// The current table for a function; a warning when the slot holds none.
DbTable* RequireTable(Runtime& rt) {
  DbTable* t = CurrentTable(rt);
  if (!t) RuntimeWarning(rt, 610, "");
  return t;
}

void FieldMissing(DbTable& t) { t.current_field = FieldInfo(); }

// Closes the table in slot n; an index page that cannot be written back
// leaves its engine error pending.
void CloseSlot(Runtime& rt, int n) {
  if (rt.dbase.slots[n]) CloseIndexes(Engine(rt), *rt.dbase.slots[n]);
  rt.dbase.slots[n].reset();
}

// --- functions -----------------------------------------------------------------

void DbOpen(Runtime& rt, CallContext& ctx) {
  int32_t n = 0;
  ctx.handled = true;
  rt.eval.rr.l = 0;
  rt.eval.rr.type = kTypeLong;
  if (!TableNumberArg(rt, ',', n)) return;
  if (n < 1 || n > kOpenableSlots) {
    RuntimeError(rt, 609, "");
    EvalArg(rt, ')', kFileNameDemand);
    return;
  }
  rt.dbase.current = n;
  EvalArg(rt, ')', kFileNameDemand);
  std::string name = TableFileName(TrimView(rt.eval.rr.text().view()));
  DbEngine& e = Engine(rt);
  // A table still open in the slot is closed properly first.
  CloseSlot(rt, n);
  auto t = std::make_unique<DbTable>();
  t->file_name = name;
  t->path = e.files->MapPath(name);
  bool ok = LoadStructure(e, *t);
  if (ok) t->record.assign(t->record_length, ' ');
  // A table that is not opened counts no records, also when the error
  // mode lets the script go on.
  NumberResult(rt, ctx, 0, kTypeLong);
  if (e.Failed()) {
    RaiseEngineFatal(rt);
    return;
  }
  if (!ok) return;
  if (!AttachTable(e, *t, rt.channels.file_open_mode == 0)) {
    RaiseEngineFatal(rt);
    return;
  }
  DbTable& table = *t;
  rt.dbase.slots[n] = std::move(t);
  MoveTo(e, table, DbMove::kFirst, 0);
  int32_t count = table.record_count;
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, count, kTypeLong);
}

void DbSelect(Runtime& rt, CallContext& ctx) {
  int32_t n = 0;
  NumberResult(rt, ctx, 0, kTypeLong);
  if (!TableNumberArg(rt, ')', n)) return;
  if (n < 1 || n > kOpenableSlots) return RuntimeError(rt, 609, "");
  if (!rt.dbase.slots[n]) return RuntimeError(rt, 610, "");
  rt.dbase.current = n;
  NumberResult(rt, ctx, rt.dbase.slots[n]->record_count, kTypeLong);
}

void DbClose(Runtime& rt, CallContext& ctx) {
  int32_t n = 0;
  NumberResult(rt, ctx, 0, kTypeLong);
  if (!TableNumberArg(rt, ')', n)) return;
  if (n < 1 || n >= kTableSlots) return RuntimeError(rt, 609, "");
  if (!rt.dbase.slots[n]) return RuntimeError(rt, 610, "");
  rt.dbase.current = n;
  int32_t count = rt.dbase.slots[n]->record_count;
  CloseSlot(rt, n);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, count, kTypeLong);
}

void DbGo(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  auto& rr = rt.eval.rr;
  DbMove m = DbMove::kNumber;
  int32_t n = 0;
  if (rr.type == kTypeString) {
    std::string w = UpperName(TrimView(rr.text().view()));
    if (w == "TOP" || w == "|<") m = DbMove::kFirst;
    else if (w == "BOTTOM" || w == ">|") m = DbMove::kLast;
    else if (w == "NEXT" || w == ">") m = DbMove::kNext;
    else if (w == "PREV" || w == "<") m = DbMove::kPrev;
    else TextToInt(w, n);
  } else {
    n = rr.l;
  }
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  MoveTo(Engine(rt), *t, m, n);
  int32_t r = t->current_record;
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, r, kTypeLong);
}

void DbGet(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  ShortString name = rt.eval.rr.text();
  TextResult(rt, ctx, "");
  DbTable* t = RequireTable(rt);
  if (!t) return;
  int i = FindField(*t, name);
  if (i < 0) {
    FieldMissing(*t);
    Engine(rt).Fail(602, name);
    RaiseEngineWarning(rt);
    return TextResult(rt, ctx, "");
  }
  ShortString v(FromOemIfNeeded(rt, FieldText(*t, i)));
  TextResult(rt, ctx, v);
}

void DbGetN(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kNumberDemand);
  int32_t n = rt.eval.rr.l;
  TextResult(rt, ctx, "");
  DbTable* t = RequireTable(rt);
  if (!t) return;
  if (n < 1 || n > t->field_count) {
    FieldMissing(*t);
    Engine(rt).Fail(603, std::to_string(n));
    RaiseEngineWarning(rt);
    return TextResult(rt, ctx, "");
  }
  ShortString v(FieldText(*t, n - 1));
  TextResult(rt, ctx, v);
}

void PutCommon(Runtime& rt, CallContext& ctx, DbTable* t, int index, int error, std::string_view which,
               const ShortString& text) {
  NumberResult(rt, ctx, 0, kTypeInteger);
  if (!t) return;
  if (index < 0) {
    FieldMissing(*t);
    Engine(rt).Fail(error, which);
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, 0, kTypeInteger);
  }
  FieldText(*t, index);  // the field becomes the current field
  if (t->fields[index].type == 'M') return;
  StoreField(*t, index, ToOemIfNeeded(rt, text));
  NumberResult(rt, ctx, 1, kTypeInteger);
}

void DbPut(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kTextDemand);
  ShortString name = rt.eval.rr.text();
  EvalArg(rt, ')', kTextDemand);
  ShortString text = rt.eval.rr.text();
  DbTable* t = CurrentTable(rt);
  if (!t) RuntimeWarning(rt, 610, "");
  PutCommon(rt, ctx, t, t ? FindField(*t, name) : -1, 604, name, text);
}

void DbPutN(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kNumberDemand);
  int32_t n = rt.eval.rr.l;
  EvalArg(rt, ')', kTextDemand);
  ShortString text = rt.eval.rr.text();
  DbTable* t = CurrentTable(rt);
  if (!t) RuntimeWarning(rt, 610, "");
  int index = t && n >= 1 && n <= t->field_count ? n - 1 : -1;
  PutCommon(rt, ctx, t, index, 605, std::to_string(n), text);
}

void DbWrite(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kNumberDemand);
  int32_t n = rt.eval.rr.l;
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  if (n == 0) n = t->current_record;
  int32_t r = WriteRecordBuffer(Engine(rt), *t, n);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, r, kTypeLong);
}

void DbAppend(Runtime& rt, CallContext& ctx) {
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  int32_t r = WriteRecordBuffer(Engine(rt), *t, -1);
  BlankRecord(*t);
  t->deleted = false;
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, r, kTypeLong);
}

// Delete and recall: without a current record there is nothing to mark.
void MarkRecord(Runtime& rt, CallContext& ctx, char mark) {
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t || t->current_record <= 0 || t->current_record > t->record_count) return;
  t->record[0] = static_cast<uint8_t>(mark);
  int32_t r = WriteRecordBuffer(Engine(rt), *t, t->current_record);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, r, kTypeLong);
}

void DbDelete(Runtime& rt, CallContext& ctx) { MarkRecord(rt, ctx, '*'); }
void DbRecall(Runtime& rt, CallContext& ctx) { MarkRecord(rt, ctx, ' '); }

void DbPack(Runtime& rt, CallContext& ctx) {
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  int32_t count = PackTable(Engine(rt), *t);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, count, kTypeLong);
}

void DbFind(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kTextDemand);
  ShortString name = rt.eval.rr.text();
  EvalArg(rt, ')', kTextDemand);
  std::string want = ToOemIfNeeded(rt, rt.eval.rr.text().view());
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  int i = FindField(*t, name);
  if (i < 0) {
    FieldMissing(*t);
    Engine(rt).Fail(602, name);
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, 0, kTypeLong);
  }
  int32_t hit = FindInField(Engine(rt), *t, i, want);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, hit, kTypeLong);
}

void DbCreate(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, '>', kFileNameDemand);
  std::string structure(TrimView(rt.eval.rr.text().view()));
  EvalArg(rt, kRest, kFileNameDemand);
  std::string name(TrimView(rt.eval.rr.text().view()));
  CreateTable(Engine(rt), structure, name);
  RaiseEngineWarning(rt);
}

}  // namespace

// --- system variables -------------------------------------------------------------

bool ReadDbaseVariable(Runtime& rt, uint8_t token) {
  auto& rr = rt.eval.rr;
  DbTable* t = CurrentTable(rt);
  int32_t v = 0;
  switch (token) {
    case 0xa0: v = t ? t->record_count : 0; break;
    case 0xa1: v = t ? t->header_length : 0; break;
    case 0xa2: v = t ? t->record_length : 0; break;
    case 0xa3: v = t ? t->current_record : 0; break;
    case 0xa4: v = t ? t->field_count : 0; break;
    case 0xa5: rr.set_text(t ? std::string_view(t->last_update) : ""); return true;
    case 0xa6: rr.set_text(t ? std::string_view(&t->current_field.type, 1) : ""); return true;
    case 0xa7: v = t ? t->current_field.decimals : 0; break;
    case 0xa8: v = t ? t->current_field.length : 0; break;
    case 0xa9: v = t ? t->current_field.number : 0; break;
    case 0xaa: rr.set_text(t ? std::string_view(t->current_field.name) : ""); return true;
    case 0xab: v = t && t->deleted ? 1 : 0; break;
    case 0xac: v = t && t->at_end ? 1 : 0; break;
    case 0xc2: v = t && t->has_memo && t->memo ? 1 : 0; break;
    case 0xc3: v = t ? (t->header[0] & 3) : 0; break;
    default: return false;
  }
  rr.i = rr.l = v;
  return true;
}

void RegisterDbase(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[0xd2] = DbOpen;
  f[0xd3] = DbSelect;
  f[0xd4] = DbGo;
  f[0xd5] = DbClose;
  f[0xd6] = DbGet;
  f[0xd7] = DbGetN;
  f[0xdc] = DbFind;
  f[0xdd] = DbPut;
  f[0xde] = DbPutN;
  f[0xdf] = DbWrite;
  f[0xe0] = DbDelete;
  f[0xe1] = DbRecall;
  f[0xe2] = DbPack;
  f[0xe3] = DbAppend;
  rt.statements[0xf9] = DbCreate;
  RegisterDbaseIndex(rt);
  RegisterDbaseMemo(rt);
}

}  // namespace vestil
