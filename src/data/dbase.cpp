// The table functions and DBCREATE: arguments, table slots and the engine
// error's messages around the table engine of data/dbase/table.h.
#include "data/dbase.h"

#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "data/channels.h"
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

std::string HostDbFiles::MapPath(std::string_view name) { return files->MapPath(name); }

int HostDbFiles::Open(const std::string& path, DbAccess access, DbFileHandle& file) {
  std::unique_ptr<HostFile> f;
  FileAccess a = access == DbAccess::kRead ? FileAccess::kRead : FileAccess::kReadWrite;
  int error = files->OpenHostFile(path, a, access == DbAccess::kCreate, f);
  if (error) return error;
  file = std::make_unique<HostDbFile>(std::move(f));
  return 0;
}

int HostDbFiles::Erase(const std::string& path) { return files->EraseFile(path); }

int HostDbFiles::Rename(const std::string& from, const std::string& to) { return files->RenameFile(from, to); }

int HostDbFiles::Resize(const std::string& path, int64_t length) { return files->ResizeFile(path, length); }

int HostDbFiles::CreateWork(const std::string& path, std::string& work_path, DbFileHandle& file) {
  std::unique_ptr<HostFile> f;
  if (int error = files->CreateWorkFile(path, work_path, f)) return error;
  file = std::make_unique<HostDbFile>(std::move(f));
  return 0;
}

int HostDbFiles::ReplaceByWork(const std::string& work_path, const std::string& path) {
  return files->ReplaceByWorkFile(work_path, path);
}

DbEngine& Engine(Runtime& rt) {
  Dbase(rt).files.files = rt.host.files;
  Dbase(rt).engine.files = &Dbase(rt).files;
  return Dbase(rt).engine;
}

// --- engine errors ----------------------------------------------------------------

namespace {

// The message of an engine code.
int EngineMessage(int code) {
  switch (code) {
    case 2: return msg::kDbBadFileName;
    case 100: case 501: return msg::kDbBadKeyField;
    case 601: return msg::kDbBadFormula;
    case 602: return msg::kDbFieldNotFoundForRead;
    case 603: return msg::kDbFieldNumberNotFoundForRead;
    case 604: return msg::kDbFieldNotFoundForWrite;
    case 605: return msg::kDbFieldNumberNotFoundForWrite;
    case 800: return msg::kDbFileNotFound;
    case 801: return msg::kDbDuplicateFieldName;
    case 802: return msg::kDbInvalidFieldLength;
    case 803: return msg::kDbInvalidDecimals;
    case 901: return msg::kDbIndexFileDamaged;
    case 902: return msg::kDbFieldNotFound;
    default: return code;
  }
}

// Takes the pending error: its message and detail ("!" when it has none).
int TakeEngineError(Runtime& rt, ShortString& detail) {
  DbError& error = Dbase(rt).engine.error;
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
  if (!Dbase(rt).engine.Failed()) return;
  ShortString detail;
  int m = TakeEngineError(rt, detail);
  RuntimeWarning(rt, m, detail);
}

void RaiseEngineFatal(Runtime& rt) {
  if (!Dbase(rt).engine.Failed()) return;
  ShortString detail;
  int m = TakeEngineError(rt, detail);
  RuntimeError(rt, m, detail);
}

DbTable* CurrentTable(Runtime& rt) {
  int n = Dbase(rt).current;
  if (n < 1 || n >= kTableSlots) return nullptr;
  return Dbase(rt).slots[n].get();
}

// With the OEM console font the table holds OEM text: what scripts store is
// converted to it and what they read is converted back.
std::string ToOemIfNeeded(Runtime& rt, std::string_view text) {
  std::string s(text);
  if (rt.console.text_font_index != kOemFontIndex) return s;
  if (!rt.host.locale->ConvertAnsiToOem(s)) s = AnsiToOem850(text);
  return s;
}

std::string FromOemIfNeeded(Runtime& rt, std::string_view text) {
  std::string s(text);
  if (rt.console.text_font_index != kOemFontIndex) return s;
  if (!rt.host.locale->ConvertOemToAnsi(s)) s = Oem850ToAnsi(text);
  return s;
}

bool TableNumberArg(Runtime& rt, char terminator, int32_t& n) {
  std::string_view& a = rt.loop.arg_text;
  while (!a.empty() && Byte(a.front()) <= 32) a.remove_prefix(1);
  if (a.empty() || a.front() != '#') {
    RuntimeError(rt, msg::kTableHandleExpected, "");
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
  if (!t) RuntimeWarning(rt, msg::kTableNumberNotInUse, "");
  return t;
}

void FieldMissing(DbTable& t) { t.current_field = FieldInfo(); }

// Closes the table in slot n; an index page that cannot be written back
// leaves its engine error pending.
void CloseSlot(Runtime& rt, int n) {
  if (Dbase(rt).slots[n]) CloseIndexes(Engine(rt), *Dbase(rt).slots[n]);
  Dbase(rt).slots[n].reset();
}

// --- functions -----------------------------------------------------------------

void DbOpen(Runtime& rt, CallContext& ctx) {
  int32_t n = 0;
  ctx.handled = true;
  rt.eval.rr.l = 0;
  rt.eval.rr.type = kTypeLong;
  if (!TableNumberArg(rt, ',', n)) return;
  if (n < 1 || n > kOpenableSlots) {
    RuntimeError(rt, msg::kTableNumberOutOfRange, "");
    EvalArg(rt, ')', kFileNameDemand);
    return;
  }
  Dbase(rt).current = n;
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
  if (!AttachTable(e, *t, Channels(rt).file_open_mode == 0)) {
    RaiseEngineFatal(rt);
    return;
  }
  DbTable& table = *t;
  Dbase(rt).slots[n] = std::move(t);
  MoveTo(e, table, DbMove::kFirst, 0);
  int32_t count = table.record_count;
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, count, kTypeLong);
}

void DbSelect(Runtime& rt, CallContext& ctx) {
  int32_t n = 0;
  NumberResult(rt, ctx, 0, kTypeLong);
  if (!TableNumberArg(rt, ')', n)) return;
  if (n < 1 || n > kOpenableSlots) return RuntimeError(rt, msg::kTableNumberOutOfRange, "");
  if (!Dbase(rt).slots[n]) return RuntimeError(rt, msg::kTableNumberNotInUse, "");
  Dbase(rt).current = n;
  NumberResult(rt, ctx, Dbase(rt).slots[n]->record_count, kTypeLong);
}

void DbClose(Runtime& rt, CallContext& ctx) {
  int32_t n = 0;
  NumberResult(rt, ctx, 0, kTypeLong);
  if (!TableNumberArg(rt, ')', n)) return;
  if (n < 1 || n >= kTableSlots) return RuntimeError(rt, msg::kTableNumberOutOfRange, "");
  if (!Dbase(rt).slots[n]) return RuntimeError(rt, msg::kTableNumberNotInUse, "");
  Dbase(rt).current = n;
  int32_t count = Dbase(rt).slots[n]->record_count;
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
  if (!t) RuntimeWarning(rt, msg::kTableNumberNotInUse, "");
  PutCommon(rt, ctx, t, t ? FindField(*t, name) : -1, 604, name, text);
}

void DbPutN(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kNumberDemand);
  int32_t n = rt.eval.rr.l;
  EvalArg(rt, ')', kTextDemand);
  ShortString text = rt.eval.rr.text();
  DbTable* t = CurrentTable(rt);
  if (!t) RuntimeWarning(rt, msg::kTableNumberNotInUse, "");
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

void ReadDbaseVariable(Runtime& rt, uint8_t token) {
  auto& rr = rt.eval.rr;
  DbTable* t = CurrentTable(rt);
  int32_t v = 0;
  switch (token) {
    case sv::kDbCount: v = t ? t->record_count : 0; break;
    case sv::kDbHeadLen: v = t ? t->header_length : 0; break;
    case sv::kDbRecLen: v = t ? t->record_length : 0; break;
    case sv::kDbRecNo: v = t ? t->current_record : 0; break;
    case sv::kDbFields: v = t ? t->field_count : 0; break;
    case sv::kDbDate: rr.set_text(t ? std::string_view(t->last_update) : ""); return;
    case sv::kDbFType: rr.set_text(t ? std::string_view(&t->current_field.type, 1) : ""); return;
    case sv::kDbFDec: v = t ? t->current_field.decimals : 0; break;
    case sv::kDbFLen: v = t ? t->current_field.length : 0; break;
    case sv::kDbFNum: v = t ? t->current_field.number : 0; break;
    case sv::kDbFName: rr.set_text(t ? std::string_view(t->current_field.name) : ""); return;
    case sv::kDbDeleted: v = t && t->deleted ? 1 : 0; break;
    case sv::kDbEof: v = t && t->at_end ? 1 : 0; break;
    case sv::kDbHasMemo: v = t && t->has_memo && t->memo ? 1 : 0; break;
    case sv::kDbVersion: v = t ? (t->header[0] & 3) : 0; break;
    default: return;
  }
  rr.i = rr.l = v;
}

void RegisterDbase(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[fn::kDbOpen] = DbOpen;
  f[fn::kDbSelect] = DbSelect;
  f[fn::kDbGo] = DbGo;
  f[fn::kDbClose] = DbClose;
  f[fn::kDbGet] = DbGet;
  f[fn::kDbGetN] = DbGetN;
  f[fn::kDbFind] = DbFind;
  f[fn::kDbPut] = DbPut;
  f[fn::kDbPutN] = DbPutN;
  f[fn::kDbWrite] = DbWrite;
  f[fn::kDbDelete] = DbDelete;
  f[fn::kDbRecall] = DbRecall;
  f[fn::kDbPack] = DbPack;
  f[fn::kDbAppend] = DbAppend;
  rt.statements[cmd::kDbCreate] = DbCreate;
  RegisterDbaseIndex(rt);
  RegisterDbaseMemo(rt);
  for (uint8_t t : {sv::kDbCount, sv::kDbHeadLen, sv::kDbRecLen, sv::kDbRecNo, sv::kDbFields, sv::kDbDate,
                    sv::kDbFType, sv::kDbFDec, sv::kDbFLen, sv::kDbFNum, sv::kDbFName, sv::kDbDeleted,
                    sv::kDbEof, sv::kDbHasMemo, sv::kDbVersion})
    rt.eval.system_variables[t] = ReadDbaseVariable;
  rt.InstallFamily<DbaseState>();
}

}  // namespace vestil
