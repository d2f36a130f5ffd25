// The dBase table engine: table slots, the DBF format, navigation, field
// access, record writes, packing, DBCREATE and the engine error.
#include "data/dbase.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/errors.h"
#include "core/runtime.h"
#include "data/channels.h"
#include "data/dbase_dbt.h"
#include "data/dbase_ndx.h"
#include "host/host.h"
#include "values/convert.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

// --- files ------------------------------------------------------------------

FileHandle OpenDataFile(const std::string& path, int& error, bool read_only) {
  error = 0;
  errno = 0;
  std::FILE* f = read_only ? nullptr : std::fopen(path.c_str(), "r+b");
  if (read_only) f = std::fopen(path.c_str(), "rb");
  if (!f && (errno == EACCES || errno == EPERM || errno == EROFS)) f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = (errno == EACCES || errno == EPERM) ? 5 : (errno == EMFILE ? 4 : 2);
    return FileHandle();
  }
  // Writes go straight to the file: nothing waits in a stdio buffer.
  std::setvbuf(f, nullptr, _IONBF, 0);
  return FileHandle(f);
}

bool ReadOnlyMode(const Runtime& rt) { return Channels(rt).file_open_mode == 0; }

bool ReadAt(std::FILE* f, int64_t pos, void* buffer, size_t count) {
  if (!f || std::fseek(f, static_cast<long>(pos), SEEK_SET) != 0) return false;
  return std::fread(buffer, 1, count, f) == count;
}

bool WriteAt(std::FILE* f, int64_t pos, const void* buffer, size_t count) {
  if (!f || std::fseek(f, static_cast<long>(pos), SEEK_SET) != 0) return false;
  return std::fwrite(buffer, 1, count, f) == count;
}

int64_t FileLength(std::FILE* f) {
  if (!f || std::fseek(f, 0, SEEK_END) != 0) return 0;
  long n = std::ftell(f);
  return n < 0 ? 0 : n;
}

bool ReadCache::Read(std::FILE* f, int64_t pos, void* buffer, size_t count) {
  if (pos >= start && pos + static_cast<int64_t>(count) <= start + static_cast<int64_t>(filled)) {
    std::memcpy(buffer, data.data() + (pos - start), count);
    return true;
  }
  if (count > capacity) return ReadAt(f, pos, buffer, count);
  data.resize(capacity);
  filled = 0;
  start = pos;
  if (!f || std::fseek(f, static_cast<long>(pos), SEEK_SET) != 0) return false;
  filled = std::fread(data.data(), 1, capacity, f);
  if (filled < count) return false;
  std::memcpy(buffer, data.data(), count);
  return true;
}

bool ReadCache::Write(std::FILE* f, int64_t pos, const void* buffer, size_t count) {
  bool ok = WriteAt(f, pos, buffer, count);
  // Keep the cached window equal to the file where the two overlap.
  int64_t a = std::max(pos, start), b = std::min(pos + static_cast<int64_t>(count), start + static_cast<int64_t>(filled));
  if (filled && a < b) std::memcpy(data.data() + (a - start), static_cast<const uint8_t*>(buffer) + (a - pos), b - a);
  if (!ok) filled = 0;
  return ok;
}

namespace {

void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t GetLE32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void PutLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// Today's local date into header bytes 1..3.
void StampDate(uint8_t* header) {
  std::time_t now = std::time(nullptr);
  std::tm* tm = std::localtime(&now);
  int year = tm ? tm->tm_year : 0, month = tm ? tm->tm_mon + 1 : 1, day = tm ? tm->tm_mday : 1;
  header[1] = static_cast<uint8_t>(year & 0xff);
  header[2] = static_cast<uint8_t>(month);
  header[3] = static_cast<uint8_t>(day);
}

std::string TwoDigits(int v) {
  std::string s = std::to_string(v).substr(0, 2);
  if (s.size() < 2) s.insert(0, 1, '0');
  return s;
}

bool HasExtension(std::string_view name) {
  size_t slash = name.find_last_of("\\/:");
  size_t dot = name.rfind('.');
  return dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
}

std::string UpperAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::string UpperName(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpperLatin1(c);
  return r;
}

std::string_view TrimRight(std::string_view v) {
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

// The current table for a function; a warning when the slot holds none.
DbTable* RequireTable(Runtime& rt) {
  DbTable* t = CurrentTable(rt);
  if (!t) RuntimeWarning(rt, 610, "");
  return t;
}

// The header's record count and end mark, so that the file is complete even
// when the script never closes the table.
void WriteCountAndEnd(DbTable& t) {
  uint8_t count[4];
  PutLE32(count, static_cast<uint32_t>(t.record_count));
  std::memcpy(t.header + 4, count, 4);
  t.cache.Write(t.dbf.get(), 4, count, 4);
  const uint8_t eof = 0x1a;
  t.cache.Write(t.dbf.get(), int64_t(t.header_length) + int64_t(t.record_count) * t.record_length, &eof, 1);
}

}  // namespace

// --- engine errors ------------------------------------------------------------

void SetEngineError(Runtime& rt, int code, std::string_view detail) {
  int message = code;
  switch (code) {
    case 2: message = 607; break;
    case 100: case 501: message = 608; break;
    case 601: message = 611; break;
    case 602: case 603: case 604: case 605: message = code + 10; break;
    case 800: message = 601; break;
    case 801: case 802: case 803: message = code - 199; break;
    case 901: case 902: message = code - 296; break;
    default: break;
  }
  auto& db = Dbase(rt);
  db.pending_message = message;
  if (detail.empty()) {
    db.pending_detail = "!";
  } else {
    db.pending_detail = ": ";
    db.pending_detail.append(detail);
  }
}

// A reported error is no longer pending: later calls do not repeat it.
void RaiseEngineWarning(Runtime& rt) {
  auto& db = Dbase(rt);
  if (!db.pending_message) return;
  int m = db.pending_message;
  ShortString d = db.pending_detail;
  db.pending_message = 0;
  RuntimeWarning(rt, m, d);
}

void RaiseEngineFatal(Runtime& rt) {
  auto& db = Dbase(rt);
  if (!db.pending_message) return;
  int m = db.pending_message;
  ShortString d = db.pending_detail;
  db.pending_message = 0;
  RuntimeError(rt, m, d);
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
    RuntimeError(rt, 105, "");
    return false;
  }
  a.remove_prefix(1);
  EvalArg(rt, terminator, kNumberDemand);
  n = rt.eval.rr.l;
  return true;
}

// --- tables -------------------------------------------------------------------

DbTable::DbTable() { cache.capacity = kRecordCacheSize; }

DbTable::~DbTable() {
  for (auto& x : indexes) x.reset();
  if (dbf && state == 2) {
    StampDate(header);
    PutLE32(header + 4, static_cast<uint32_t>(record_count));
    WriteAt(dbf.get(), 0, header, 8);
    const uint8_t eof = 0x1a;
    WriteAt(dbf.get(), int64_t(header_length) + int64_t(record_count) * record_length, &eof, 1);
  }
}

int FindField(const DbTable& t, std::string_view name) {
  std::string want = UpperName(TrimRight(TrimView(name)));
  for (int i = 0; i < t.field_count; ++i)
    if (UpperName(t.fields[i].name.view()) == want) return i;
  return -1;
}

ShortString FieldText(DbTable& t, int index) {
  const DbField& f = t.fields[index];
  t.current_field.type = f.type;
  t.current_field.decimals = f.decimals;
  t.current_field.length = f.length;
  t.current_field.number = index + 1;
  t.current_field.name = f.name;
  size_t len = f.length;
  if (f.offset + len > t.record.size()) len = f.offset < t.record.size() ? t.record.size() - f.offset : 0;
  return ShortString(std::string_view(reinterpret_cast<const char*>(t.record.data()) + f.offset, len));
}

void StoreField(DbTable& t, int index, std::string_view text) {
  const DbField& f = t.fields[index];
  if (f.offset + f.length > t.record.size()) return;
  uint8_t* p = t.record.data() + f.offset;
  std::memset(p, ' ', f.length);
  std::memcpy(p, text.data(), std::min<size_t>(text.size(), f.length));
}

namespace {

void FieldMissing(DbTable& t) { t.current_field = FieldInfo(); }

void BlankRecord(DbTable& t) { std::fill(t.record.begin(), t.record.end(), uint8_t(' ')); }

}  // namespace

bool ReadRecord(Runtime& rt, DbTable& t, int32_t n) {
  if (n <= 0 || n > t.record_count) {
    SetEngineError(rt, 100, "\nDatensatz " + std::to_string(n) + " nicht in der gefunden.");
    return false;
  }
  int64_t pos = int64_t(t.header_length) + int64_t(n - 1) * t.record_length;
  if (!t.cache.Read(t.dbf.get(), pos, t.record.data(), t.record.size())) {
    SetEngineError(rt, 100, "\nDatensatz " + std::to_string(n) + " nicht in der gefunden.");
    return false;
  }
  t.current_record = n;
  t.deleted = !t.record.empty() && t.record[0] == '*';
  return true;
}

int32_t WriteRecordBuffer(Runtime& rt, DbTable& t, int32_t target) {
  bool existed = target > 0 && target <= t.record_count;
  if (!existed) {
    ++t.record_count;
    target = t.record_count;
  }
  int64_t pos = int64_t(t.header_length) + int64_t(target - 1) * t.record_length;
  if (!t.cache.Write(t.dbf.get(), pos, t.record.data(), t.record.size())) {
    // Not written (a read-only table): the record does not count.
    if (!existed) --t.record_count;
    SetEngineError(rt, 5, t.file_name);
    return t.current_record;
  }
  if (!existed) WriteCountAndEnd(t);
  t.current_record = target;
  t.deleted = !t.record.empty() && t.record[0] == '*';
  t.state = 2;
  t.memo_unwritten = false;
  if (t.index_active && t.indexes[0]) NdxRecordWritten(rt, t, target, existed);
  return target;
}

namespace {

enum class Move { kFirst, kLast, kNext, kPrev, kNumber };

void MoveTo(Runtime& rt, DbTable& t, Move m, int32_t n) {
  if (t.record_count <= 0) {
    t.at_end = true;
    return;
  }
  t.at_end = false;
  NdxIndex* x = t.index_active ? t.indexes[0].get() : nullptr;
  int32_t target = 0;
  if (x && m != Move::kNumber) {
    switch (m) {
      case Move::kFirst: target = NdxFirst(rt, *x); break;
      case Move::kLast: target = NdxLast(rt, *x); break;
      case Move::kNext: target = NdxNext(rt, *x); break;
      default: target = NdxPrev(rt, *x); break;
    }
    if (x->at_end) {
      t.at_end = true;
      return;
    }
    if (target == 0) return;  // the index could not be read
  } else {
    if (x && n > 0 && n <= t.record_count && !NdxPositionOn(rt, *x, n)) return;
    switch (m) {
      case Move::kFirst: target = 1; break;
      case Move::kLast: target = t.record_count; break;
      case Move::kPrev: target = t.current_record <= 1 ? 1 : t.current_record - 1; break;
      case Move::kNext:
        target = t.current_record + 1;
        if (target > t.record_count) {
          t.at_end = true;
          return;
        }
        break;
      case Move::kNumber: target = n; break;
    }
  }
  // A step that cannot be read ends the walk rather than repeating it.
  if (!ReadRecord(rt, t, target) && m == Move::kNext) t.at_end = true;
}

void SetLastUpdate(DbTable& t) {
  t.last_update.assign(TwoDigits(t.header[3]) + "." + TwoDigits(t.header[2]) + "." + TwoDigits(t.header[1]));
}

// Reads the header and the descriptors; false with an engine error.
bool LoadStructure(Runtime& rt, DbTable& t) {
  int error = 0;
  FileHandle f = OpenDataFile(t.path, error, true);
  if (!f) {
    SetEngineError(rt, error, t.file_name);
    return false;
  }
  if (!ReadAt(f.get(), 0, t.header, 32) || (t.header[0] != 0x03 && t.header[0] != 0x83)) {
    SetEngineError(rt, 157, "Keine dBase III-Datei");
    return false;
  }
  t.has_memo = t.header[0] == 0x83;
  SetLastUpdate(t);
  t.record_count = static_cast<int32_t>(GetLE32(t.header + 4));
  t.header_length = GetLE16(t.header + 8);
  t.record_length = GetLE16(t.header + 10);
  t.field_count = t.header_length >= 33 ? (t.header_length - 33) / 32 : 0;
  std::vector<uint8_t> desc(size_t(t.field_count) * 32);
  if (!desc.empty() && !ReadAt(f.get(), 32, desc.data(), desc.size())) {
    SetEngineError(rt, 157, "Keine dBase III-Datei");
    return false;
  }
  uint32_t offset = 1;
  t.fields.assign(t.field_count, DbField());
  for (int i = 0; i < t.field_count; ++i) {
    const uint8_t* d = desc.data() + 32 * i;
    DbField& fd = t.fields[i];
    size_t len = 0;
    while (len < 11 && d[len]) ++len;
    fd.name = TrimRight(std::string_view(reinterpret_cast<const char*>(d), len));
    fd.type = static_cast<char>(d[11]);
    fd.length = d[16];
    fd.decimals = d[17];
    fd.offset = offset;
    offset += fd.length;
  }
  // A damaged header must not let field reads run past the record buffer.
  if (t.record_length < offset) t.record_length = static_cast<uint16_t>(std::min<uint32_t>(offset, 0xffff));
  if (t.record_count < 0) t.record_count = 0;
  // A count beyond the records the file holds (a truncated or damaged file)
  // would make every move past them fail: only whole records count.
  int64_t length = FileLength(f.get());
  int64_t fit = length > t.header_length ? (length - t.header_length) / t.record_length : 0;
  if (t.record_count > fit) t.record_count = static_cast<int32_t>(fit);
  return true;
}

// Closes the table in slot n; an index page that cannot be written back
// leaves its engine error pending.
void CloseSlot(Runtime& rt, int n) {
  if (Dbase(rt).slots[n]) CloseIndexes(rt, *Dbase(rt).slots[n]);
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
    RuntimeError(rt, 609, "");
    EvalArg(rt, ')', kFileNameDemand);
    return;
  }
  Dbase(rt).current = n;
  EvalArg(rt, ')', kFileNameDemand);
  std::string name(TrimView(rt.eval.rr.text().view()));
  if (!HasExtension(name)) name += ".DBF";
  // A table still open in the slot is closed properly first.
  CloseSlot(rt, n);
  auto t = std::make_unique<DbTable>();
  t->file_name.assign(name);
  t->path = rt.host.files->MapPath(name);
  bool ok = LoadStructure(rt, *t);
  if (ok) {
    t->record.assign(t->record_length, ' ');
  }
  if (Dbase(rt).pending_message) {
    RaiseEngineFatal(rt);
    return;
  }
  if (!ok) return;
  int error = 0;
  t->read_only = ReadOnlyMode(rt);
  t->dbf = OpenDataFile(t->path, error, t->read_only);
  if (!t->dbf) {
    SetEngineError(rt, error, name);
    RaiseEngineFatal(rt);
    return;
  }
  if (t->has_memo) OpenMemoFile(rt, *t);
  t->state = 1;
  t->current_record = 0;
  DbTable& table = *t;
  Dbase(rt).slots[n] = std::move(t);
  MoveTo(rt, table, Move::kFirst, 0);
  int32_t count = table.record_count;
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, count, kTypeLong);
}

void DbSelect(Runtime& rt, CallContext& ctx) {
  int32_t n = 0;
  NumberResult(rt, ctx, 0, kTypeLong);
  if (!TableNumberArg(rt, ')', n)) return;
  if (n < 1 || n > kOpenableSlots) return RuntimeError(rt, 609, "");
  if (!Dbase(rt).slots[n]) return RuntimeError(rt, 610, "");
  Dbase(rt).current = n;
  NumberResult(rt, ctx, Dbase(rt).slots[n]->record_count, kTypeLong);
}

void DbClose(Runtime& rt, CallContext& ctx) {
  int32_t n = 0;
  NumberResult(rt, ctx, 0, kTypeLong);
  if (!TableNumberArg(rt, ')', n)) return;
  if (n < 1 || n >= kTableSlots) return RuntimeError(rt, 609, "");
  if (!Dbase(rt).slots[n]) return RuntimeError(rt, 610, "");
  Dbase(rt).current = n;
  int32_t count = Dbase(rt).slots[n]->record_count;
  CloseSlot(rt, n);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, count, kTypeLong);
}

void DbGo(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  auto& rr = rt.eval.rr;
  Move m = Move::kNumber;
  int32_t n = 0;
  if (rr.type == kTypeString) {
    std::string w = UpperName(TrimView(rr.text().view()));
    if (w == "TOP" || w == "|<") m = Move::kFirst;
    else if (w == "BOTTOM" || w == ">|") m = Move::kLast;
    else if (w == "NEXT" || w == ">") m = Move::kNext;
    else if (w == "PREV" || w == "<") m = Move::kPrev;
    else TextToInt(w, n);
  } else {
    n = rr.l;
  }
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  MoveTo(rt, *t, m, n);
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
    SetEngineError(rt, 602, name);
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
    SetEngineError(rt, 603, std::to_string(n));
    RaiseEngineWarning(rt);
    return TextResult(rt, ctx, "");
  }
  ShortString v = FieldText(*t, n - 1);
  TextResult(rt, ctx, v);
}

void PutCommon(Runtime& rt, CallContext& ctx, DbTable* t, int index, int error, std::string_view which,
               const ShortString& text) {
  NumberResult(rt, ctx, 0, kTypeInteger);
  if (!t) return;
  if (index < 0) {
    FieldMissing(*t);
    SetEngineError(rt, error, which);
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
  int32_t r = WriteRecordBuffer(rt, *t, n);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, r, kTypeLong);
}

void DbAppend(Runtime& rt, CallContext& ctx) {
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  int32_t r = WriteRecordBuffer(rt, *t, -1);
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
  int32_t r = WriteRecordBuffer(rt, *t, t->current_record);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, r, kTypeLong);
}

void DbDelete(Runtime& rt, CallContext& ctx) { MarkRecord(rt, ctx, '*'); }
void DbRecall(Runtime& rt, CallContext& ctx) { MarkRecord(rt, ctx, ' '); }

void DbPack(Runtime& rt, CallContext& ctx) {
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  if (t->read_only) {
    // Packing moves records and shortens the file: not on a read-only table.
    SetEngineError(rt, 5, t->file_name);
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, t->record_count, kTypeLong);
  }
  CloseIndexes(rt, *t);
  MemoPack pack;
  if (t->has_memo && t->memo) BeginMemoPack(rt, *t, pack);
  int32_t kept = 0;
  for (int32_t i = 1; i <= t->record_count; ++i) {
    if (!ReadRecord(rt, *t, i)) break;
    if (t->deleted) continue;
    ++kept;
    if (pack.file) CopyRecordMemos(rt, *t, pack);
    if (kept != i) {
      int64_t pos = int64_t(t->header_length) + int64_t(kept - 1) * t->record_length;
      t->cache.Write(t->dbf.get(), pos, t->record.data(), t->record.size());
    } else if (pack.file) {
      int64_t pos = int64_t(t->header_length) + int64_t(kept - 1) * t->record_length;
      t->cache.Write(t->dbf.get(), pos, t->record.data(), t->record.size());
    }
  }
  if (kept != t->record_count) {
    t->record_count = kept;
    int64_t length = int64_t(t->header_length) + int64_t(kept) * t->record_length + 1;
    t->dbf.reset();
    std::error_code ec;
    std::filesystem::resize_file(std::filesystem::path(t->path), static_cast<uintmax_t>(length), ec);
    int error = 0;
    t->dbf = OpenDataFile(t->path, error, t->read_only);
    t->cache.Reset();
    if (!t->dbf) SetEngineError(rt, error, t->file_name);
    else WriteCountAndEnd(*t);
    t->state = 2;
  }
  if (pack.file) EndMemoPack(rt, *t, pack);
  t->current_record = 0;
  if (t->dbf) MoveTo(rt, *t, Move::kFirst, 0);
  int32_t count = t->record_count;
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, count, kTypeLong);
}

void DbFind(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kTextDemand);
  ShortString name = rt.eval.rr.text();
  EvalArg(rt, ')', kTextDemand);
  std::string want = UpperAscii(ToOemIfNeeded(rt, rt.eval.rr.text().view()));
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = RequireTable(rt);
  if (!t) return;
  int i = FindField(*t, name);
  if (i < 0) {
    FieldMissing(*t);
    SetEngineError(rt, 602, name);
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, 0, kTypeLong);
  }
  int32_t hit = 0;
  if (t->record_count > 0 && t->current_record > 0 && !t->at_end) {
    for (;;) {
      if (UpperAscii(FieldText(*t, i).view()).find(want) != std::string::npos) {
        hit = t->current_record;
        break;
      }
      int32_t before = t->current_record;
      MoveTo(rt, *t, Move::kNext, 0);
      if (t->at_end || Dbase(rt).pending_message || t->current_record == before) break;
    }
  }
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, hit, kTypeLong);
}

// --- DBCREATE -------------------------------------------------------------------

struct NewField {
  std::string name;
  char type;
  uint8_t length, decimals;
};

// Reads the structure description file; false with an engine error.
bool ReadStructure(Runtime& rt, const std::string& name, std::vector<NewField>& out) {
  std::ifstream in(rt.host.files->MapPath(name), std::ios::binary);
  if (!in) {
    SetEngineError(rt, 800, name);
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (TrimView(line).empty()) continue;
    std::string_view parts[4];
    std::string_view rest(line);
    for (int p = 0; p < 4; ++p) {
      size_t semi = p < 3 ? rest.find(';') : std::string_view::npos;
      parts[p] = TrimView(rest.substr(0, semi));
      rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
    }
    NewField f;
    f.name = UpperName(parts[0]).substr(0, 10);
    for (const auto& e : out)
      if (e.name == f.name) {
        SetEngineError(rt, 801, f.name);
        return false;
      }
    char ty = parts[1].empty() ? 'C' : UpperLatin1(parts[1][0]);
    f.type = (ty == 'C' || ty == 'D' || ty == 'L' || ty == 'M' || ty == 'N') ? ty : 'C';
    int32_t len = 0;
    if (f.type == 'D') len = 8;
    else if (f.type == 'L') len = 1;
    else if (f.type == 'M') len = 10;
    else if (!TextToInt(parts[2], len) || parts[2].empty() || (len & 0xff) == 0) {
      SetEngineError(rt, 802, f.name);
      return false;
    }
    f.length = static_cast<uint8_t>(len & 0xff);
    f.decimals = 0;
    if (f.type == 'N') {
      int32_t dec = 0;
      if (!TextToInt(parts[3], dec) || parts[3].empty() || dec < 0 || dec > f.length) {
        SetEngineError(rt, 803, f.name);
        return false;
      }
      f.decimals = static_cast<uint8_t>(dec);
    }
    if (out.size() >= static_cast<size_t>(kMaxStructureFields)) {
      // A dBase III table holds at most 128 fields; more are refused
      // rather than silently dropped.
      SetEngineError(rt, 600, "mehr als 128 Felder");
      return false;
    }
    out.push_back(f);
  }
  return true;
}

void DbCreate(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, '>', kFileNameDemand);
  std::string structure(TrimView(rt.eval.rr.text().view()));
  EvalArg(rt, kRest, kFileNameDemand);
  std::string name(TrimView(rt.eval.rr.text().view()));
  if (!HasExtension(name)) name += ".DBF";
  std::vector<NewField> fields;
  if (ReadStructure(rt, structure, fields)) {
    bool memo = false;
    uint32_t record_length = 1;
    for (const auto& f : fields) {
      memo = memo || f.type == 'M';
      record_length += f.length;
    }
    std::vector<uint8_t> bytes(32 + 32 * fields.size() + 2, 0);
    bytes[0] = memo ? 0x83 : 0x03;
    StampDate(bytes.data());
    PutLE16(&bytes[8], static_cast<uint16_t>(32 * fields.size() + 33));
    PutLE16(&bytes[10], static_cast<uint16_t>(record_length));
    for (size_t i = 0; i < fields.size(); ++i) {
      uint8_t* d = &bytes[32 + 32 * i];
      std::memcpy(d, fields[i].name.data(), fields[i].name.size());
      d[11] = static_cast<uint8_t>(fields[i].type);
      d[16] = fields[i].length;
      d[17] = fields[i].decimals;
    }
    bytes[bytes.size() - 2] = 0x0d;
    bytes[bytes.size() - 1] = 0x1a;
    std::string path = rt.host.files->MapPath(name);
    FileHandle f(std::fopen(path.c_str(), "wb"));
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) {
      SetEngineError(rt, f ? 5 : 2, name);
    } else if (memo) {
      std::string memo_name = name.substr(0, name.size() - 1) + "T";
      if (!CreateMemoFile(rt.host.files->MapPath(memo_name))) SetEngineError(rt, 2, memo_name);
    }
  }
  RaiseEngineWarning(rt);
}

}  // namespace

// --- system variables -------------------------------------------------------------

void ReadDbaseVariable(Runtime& rt, uint8_t token) {
  auto& rr = rt.eval.rr;
  DbTable* t = CurrentTable(rt);
  int32_t v = 0;
  switch (token) {
    case 0xa0: v = t ? t->record_count : 0; break;
    case 0xa1: v = t ? t->header_length : 0; break;
    case 0xa2: v = t ? t->record_length : 0; break;
    case 0xa3: v = t ? t->current_record : 0; break;
    case 0xa4: v = t ? t->field_count : 0; break;
    case 0xa5: rr.set_text(t ? t->last_update.view() : ""); return;
    case 0xa6: rr.set_text(t ? std::string_view(&t->current_field.type, 1) : ""); return;
    case 0xa7: v = t ? t->current_field.decimals : 0; break;
    case 0xa8: v = t ? t->current_field.length : 0; break;
    case 0xa9: v = t ? t->current_field.number : 0; break;
    case 0xaa: rr.set_text(t ? t->current_field.name.view() : ""); return;
    case 0xab: v = t && t->deleted ? 1 : 0; break;
    case 0xac: v = t && t->at_end ? 1 : 0; break;
    case 0xc2: v = t && t->has_memo && t->memo ? 1 : 0; break;
    case 0xc3: v = t ? (t->header[0] & 3) : 0; break;
    default: return;
  }
  rr.i = rr.l = v;
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
  // The current table's system variables.
  for (int t = 0xa0; t <= 0xac; ++t) rt.eval.system_variables[t] = ReadDbaseVariable;
  rt.eval.system_variables[0xc2] = ReadDbaseVariable;
  rt.eval.system_variables[0xc3] = ReadDbaseVariable;
  rt.InstallFamily<DbaseState>();
}

}  // namespace vestil
