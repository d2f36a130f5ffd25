// The dBase III table engine: the DBF format, navigation, field access,
// record writes, packing and DBCREATE's structure files.
#include "data/dbase/table.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <ctime>

#include "core/shortstring.h"
#include "data/dbase/index.h"
#include "data/dbase/memo.h"
#include "values/convert.h"

namespace vestil {
namespace {

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

std::string_view TrimRight(std::string_view v) {
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

// The header's record count and end mark, so that the file is complete even
// when the script never closes the table.
void WriteCountAndEnd(DbTable& t) {
  uint8_t count[4];
  WriteLe32(count, static_cast<uint32_t>(t.record_count));
  std::memcpy(t.header + 4, count, 4);
  t.cache.Write(t.dbf.get(), 4, count, 4);
  const uint8_t eof = 0x1a;
  t.cache.Write(t.dbf.get(), int64_t(t.header_length) + int64_t(t.record_count) * t.record_length, &eof, 1);
}

void SetLastUpdate(DbTable& t) {
  t.last_update = TwoDigits(t.header[3]) + "." + TwoDigits(t.header[2]) + "." + TwoDigits(t.header[1]);
}

void RecordMissing(DbEngine& e, int32_t n) {
  e.Fail(100, "\nDatensatz " + std::to_string(n) + " nicht in der gefunden.");
}

}  // namespace

std::string UpperName(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpperLatin1(c);
  return r;
}

std::string TableFileName(std::string_view name) {
  std::string n(name);
  if (!HasExtension(n)) n += ".DBF";
  return n;
}

DbTable::DbTable() { cache.capacity = kRecordCacheSize; }

DbTable::~DbTable() {
  for (auto& x : indexes) x.reset();
  if (dbf && state == 2) {
    StampDate(header);
    WriteLe32(header + 4, static_cast<uint32_t>(record_count));
    dbf->WriteAt(0, header, 8);
    const uint8_t eof = 0x1a;
    dbf->WriteAt(int64_t(header_length) + int64_t(record_count) * record_length, &eof, 1);
  }
}

int FindField(const DbTable& t, std::string_view name) {
  std::string want = UpperName(TrimRight(TrimView(name)));
  for (int i = 0; i < t.field_count; ++i)
    if (UpperName(t.fields[i].name) == want) return i;
  return -1;
}

std::string FieldText(DbTable& t, int index) {
  const DbField& f = t.fields[index];
  t.current_field.type = f.type;
  t.current_field.decimals = f.decimals;
  t.current_field.length = f.length;
  t.current_field.number = index + 1;
  t.current_field.name = f.name;
  size_t len = f.length;
  if (f.offset + len > t.record.size()) len = f.offset < t.record.size() ? t.record.size() - f.offset : 0;
  return std::string(reinterpret_cast<const char*>(t.record.data()) + f.offset, len);
}

void StoreField(DbTable& t, int index, std::string_view text) {
  const DbField& f = t.fields[index];
  if (f.offset + f.length > t.record.size()) return;
  uint8_t* p = t.record.data() + f.offset;
  std::memset(p, ' ', f.length);
  std::memcpy(p, text.data(), std::min<size_t>(text.size(), f.length));
}

void BlankRecord(DbTable& t) { std::fill(t.record.begin(), t.record.end(), uint8_t(' ')); }

bool ReadRecord(DbEngine& e, DbTable& t, int32_t n) {
  if (n <= 0 || n > t.record_count) {
    RecordMissing(e, n);
    return false;
  }
  int64_t pos = int64_t(t.header_length) + int64_t(n - 1) * t.record_length;
  if (!t.cache.Read(t.dbf.get(), pos, t.record.data(), t.record.size())) {
    RecordMissing(e, n);
    return false;
  }
  t.current_record = n;
  t.deleted = !t.record.empty() && t.record[0] == '*';
  return true;
}

int32_t WriteRecordBuffer(DbEngine& e, DbTable& t, int32_t target) {
  bool existed = target > 0 && target <= t.record_count;
  if (!existed && t.record_count == INT32_MAX) {
    RecordMissing(e, t.record_count);
    return t.current_record;
  }
  // The index is marked as being changed before the table is: a record
  // written without its key leaves an index that is refused, never one that
  // silently lacks the record.
  NdxIndex* x = t.index_active ? t.indexes[0].get() : nullptr;
  if (x && !t.read_only && !NdxBeginUpdate(e, *x)) return t.current_record;
  if (!existed) {
    ++t.record_count;
    target = t.record_count;
  }
  int64_t pos = int64_t(t.header_length) + int64_t(target - 1) * t.record_length;
  if (!t.cache.Write(t.dbf.get(), pos, t.record.data(), t.record.size())) {
    // Not written (a read-only table): the record does not count.
    if (!existed) --t.record_count;
    e.Fail(5, t.file_name);
    return t.current_record;
  }
  if (!existed) WriteCountAndEnd(t);
  t.current_record = target;
  t.deleted = !t.record.empty() && t.record[0] == '*';
  t.state = 2;
  t.memo_unwritten = false;
  if (t.index_active && t.indexes[0]) NdxRecordWritten(e, t, target, existed);
  return target;
}

void MoveTo(DbEngine& e, DbTable& t, DbMove m, int32_t n) {
  if (t.record_count <= 0) {
    t.at_end = true;
    return;
  }
  t.at_end = false;
  NdxIndex* x = t.index_active ? t.indexes[0].get() : nullptr;
  int32_t target = 0;
  if (x && m != DbMove::kNumber) {
    switch (m) {
      case DbMove::kFirst: target = NdxFirst(e, *x); break;
      case DbMove::kLast: target = NdxLast(e, *x); break;
      case DbMove::kNext: target = NdxNext(e, *x); break;
      default: target = NdxPrev(e, *x); break;
    }
    if (x->at_end) {
      t.at_end = true;
      return;
    }
    if (target == 0) return;  // the index could not be read
  } else {
    if (x && n > 0 && n <= t.record_count && !NdxPositionOn(e, *x, n)) return;
    switch (m) {
      case DbMove::kFirst: target = 1; break;
      case DbMove::kLast: target = t.record_count; break;
      case DbMove::kPrev: target = t.current_record <= 1 ? 1 : t.current_record - 1; break;
      case DbMove::kNext:
        target = t.current_record + 1;
        if (target > t.record_count) {
          t.at_end = true;
          return;
        }
        break;
      case DbMove::kNumber: target = n; break;
    }
  }
  // A step that cannot be read ends the walk rather than repeating it.
  if (!ReadRecord(e, t, target) && m == DbMove::kNext) t.at_end = true;
}

bool LoadStructure(DbEngine& e, DbTable& t) {
  int error = 0;
  DbFileHandle f = OpenDataFile(*e.files, t.path, error, true);
  if (!f) {
    e.Fail(error, t.file_name);
    return false;
  }
  if (!f->ReadAt(0, t.header, 32) || (t.header[0] != 0x03 && t.header[0] != 0x83)) {
    e.Fail(157, "Keine dBase III-Datei");
    return false;
  }
  t.has_memo = t.header[0] == 0x83;
  SetLastUpdate(t);
  const uint32_t count = ReadLe32(t.header + 4);
  t.header_length = ReadLe16(t.header + 8);
  t.record_length = ReadLe16(t.header + 10);
  const int64_t length = f->Length();
  // Records must lie behind the header and its end mark, and have a length:
  // anything else would put record 1 on the header.
  if (t.header_length < 33 || t.header_length > length || t.record_length == 0) {
    e.Fail(157, "Keine dBase III-Datei");
    return false;
  }
  t.field_count = (t.header_length - 33) / 32;
  // The descriptors and the 0x0D behind them: a header length that does not
  // end the descriptors would put records on them.
  std::vector<uint8_t> desc(size_t(t.field_count) * 32 + 1);
  if (!f->ReadAt(32, desc.data(), desc.size()) || desc.back() != 0x0d) {
    e.Fail(157, "Keine dBase III-Datei");
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
  // A count beyond the records the file holds (a truncated or damaged file,
  // the top bit set) would make every move past them fail and the next
  // append land beside them: only whole records count.
  int64_t fit = (length - t.header_length) / t.record_length;
  t.record_count = static_cast<int32_t>(std::min<int64_t>({int64_t(count), fit, int64_t(INT32_MAX)}));
  return true;
}

bool AttachTable(DbEngine& e, DbTable& t, bool read_only) {
  int error = 0;
  t.read_only = read_only;
  t.dbf = OpenDataFile(*e.files, t.path, error, read_only);
  if (!t.dbf) {
    e.Fail(error, t.file_name);
    return false;
  }
  if (t.has_memo) OpenMemoFile(e, t);
  t.state = 1;
  t.current_record = 0;
  return true;
}

int32_t FindInField(DbEngine& e, DbTable& t, int field, std::string_view want_text) {
  std::string want = UpperAscii(want_text);
  if (t.record_count > 0 && t.current_record > 0 && !t.at_end) {
    for (;;) {
      if (UpperAscii(FieldText(t, field)).find(want) != std::string::npos) return t.current_record;
      int32_t before = t.current_record;
      MoveTo(e, t, DbMove::kNext, 0);
      if (t.at_end || e.Failed() || t.current_record == before) break;
    }
  }
  return 0;
}

int32_t PackTable(DbEngine& e, DbTable& t) {
  if (t.read_only) {
    // Packing moves records and shortens the file: not on a read-only table.
    e.Fail(5, t.file_name);
    return t.record_count;
  }
  // The indexes are closed while records move and written again for the
  // packed records at the end; the table is then left without an index.
  const std::vector<NdxRebuild> indexes = CloseIndexesForRebuild(e, t);
  MemoPack pack;
  if (t.has_memo && t.memo) BeginMemoPack(e, t, pack);
  // The kept records go to a work file beside the table, which replaces it
  // only once it is complete: a pack that fails part-way (a full disk) leaves
  // the table as it was.
  std::string work;
  DbFileHandle out;
  if (int error = e.files->CreateWork(t.path, work, out)) {
    DropMemoPack(e, pack);
    e.Fail(error, t.file_name);
    return t.record_count;
  }
  std::vector<uint8_t> head(t.header_length);
  bool ok = t.dbf && t.cache.Read(t.dbf.get(), 0, head.data(), head.size());
  int32_t kept = 0;
  for (int32_t i = 1; ok && i <= t.record_count; ++i) {
    if (!ReadRecord(e, t, i)) break;
    if (t.deleted) continue;
    ++kept;
    if (pack.file) CopyRecordMemos(e, t, pack);
    ok = out->WriteAt(int64_t(t.header_length) + int64_t(kept - 1) * t.record_length, t.record.data(),
                      t.record.size());
  }
  if (ok && kept == t.record_count && !pack.file) {
    // Nothing to remove and no memos to move: the table stays untouched.
    out.reset();
    e.files->Erase(work);
  } else {
    if (ok) {
      WriteLe32(head.data() + 4, static_cast<uint32_t>(kept));
      const uint8_t eof = 0x1a;
      ok = out->WriteAt(0, head.data(), head.size()) &&
           out->WriteAt(int64_t(t.header_length) + int64_t(kept) * t.record_length, &eof, 1);
    }
    out.reset();
    if (pack.file && !FinishMemoPack(pack)) ok = false;
    if (!ok) {
      e.files->Erase(work);
      DropMemoPack(e, pack);
      e.Fail(5, t.file_name);
    } else if (!pack.path.empty() && !EndMemoPack(e, t, pack)) {
      e.files->Erase(work);
    } else {
      t.dbf.reset();
      int error = e.files->ReplaceByWork(work, t.path);
      const bool replaced = error == 0;
      t.dbf = OpenDataFile(*e.files, t.path, error, t.read_only);
      t.cache.Reset();
      if (!t.dbf) e.Fail(error, t.file_name);
      if (!replaced) {
        e.Fail(5, t.file_name);
      } else if (kept != t.record_count) {
        t.record_count = kept;
        std::memcpy(t.header + 4, head.data() + 4, 4);
        t.state = 2;
      }
    }
  }
  if (t.dbf) RebuildIndexes(e, t, indexes);
  t.current_record = 0;
  if (t.dbf) MoveTo(e, t, DbMove::kFirst, 0);
  return t.record_count;
}

// --- DBCREATE -------------------------------------------------------------------

namespace {

struct NewField {
  std::string name;
  char type;
  uint8_t length, decimals;
};

// The lines of a text file as getline gives them; false when it cannot be read.
bool ReadLines(DbFiles& files, const std::string& path, std::vector<std::string>& lines) {
  DbFileHandle f;
  if (files.Open(path, DbAccess::kRead, f)) return false;
  std::string text;
  char buffer[4096];
  for (int64_t pos = 0;;) {
    size_t n = f->Read(pos, buffer, sizeof buffer);
    text.append(buffer, n);
    pos += static_cast<int64_t>(n);
    if (n < sizeof buffer) break;
  }
  size_t from = 0;
  while (from < text.size()) {
    size_t nl = text.find('\n', from);
    if (nl == std::string::npos) nl = text.size();
    lines.push_back(text.substr(from, nl - from));
    from = nl + 1;
  }
  return true;
}

// Reads the structure description file; false with an engine error.
bool ReadStructure(DbEngine& e, const std::string& name, std::vector<NewField>& out) {
  std::vector<std::string> lines;
  if (!ReadLines(*e.files, e.files->MapPath(name), lines)) {
    e.Fail(800, name);
    return false;
  }
  for (const std::string& line : lines) {
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
    for (const auto& have : out)
      if (have.name == f.name) {
        e.Fail(801, f.name);
        return false;
      }
    char ty = parts[1].empty() ? 'C' : UpperLatin1(parts[1][0]);
    f.type = (ty == 'C' || ty == 'D' || ty == 'L' || ty == 'M' || ty == 'N') ? ty : 'C';
    int32_t len = 0;
    bool too_long = false;
    if (f.type == 'D') len = 8;
    else if (f.type == 'L') len = 1;
    else if (f.type == 'M') len = 10;
    else if (!TextToInt(parts[2], len, &too_long) || too_long || parts[2].empty() || len < 1 || len > 255) {
      // A descriptor holds the length in one byte: 0, 256 or more, and
      // negative lengths are refused, never wrapped.
      e.Fail(802, f.name);
      return false;
    }
    f.length = static_cast<uint8_t>(len);
    f.decimals = 0;
    if (f.type == 'N') {
      int32_t dec = 0;
      if (!TextToInt(parts[3], dec) || parts[3].empty() || dec < 0 || dec > f.length) {
        e.Fail(803, f.name);
        return false;
      }
      f.decimals = static_cast<uint8_t>(dec);
    }
    if (out.size() >= static_cast<size_t>(kMaxStructureFields)) {
      // A dBase III table holds at most 128 fields; more are refused
      // rather than silently dropped.
      e.Fail(600, "mehr als 128 Felder");
      return false;
    }
    out.push_back(f);
  }
  return true;
}

}  // namespace

bool CreateTable(DbEngine& e, std::string_view structure, std::string_view table) {
  std::string name = TableFileName(table);
  std::vector<NewField> fields;
  if (!ReadStructure(e, std::string(structure), fields)) return false;
  bool memo = false;
  uint32_t record_length = 1;
  for (const auto& f : fields) {
    memo = memo || f.type == 'M';
    record_length += f.length;
  }
  std::vector<uint8_t> bytes(32 + 32 * fields.size() + 2, 0);
  bytes[0] = memo ? 0x83 : 0x03;
  StampDate(bytes.data());
  WriteLe16(&bytes[8], static_cast<uint16_t>(32 * fields.size() + 33));
  WriteLe16(&bytes[10], static_cast<uint16_t>(record_length));
  for (size_t i = 0; i < fields.size(); ++i) {
    uint8_t* d = &bytes[32 + 32 * i];
    std::memcpy(d, fields[i].name.data(), fields[i].name.size());
    d[11] = static_cast<uint8_t>(fields[i].type);
    d[16] = fields[i].length;
    d[17] = fields[i].decimals;
  }
  bytes[bytes.size() - 2] = 0x0d;
  bytes[bytes.size() - 1] = 0x1a;
  // An existing table of that name is replaced whole, or stays as it was.
  if (int error = ReplaceWhole(*e.files, e.files->MapPath(name), bytes.data(), bytes.size())) {
    e.Fail(error == kDbWriteFailed ? 5 : 2, name);
    return false;
  }
  if (memo) {
    std::string memo_name = name.substr(0, name.size() - 1) + "T";
    if (!CreateMemoFile(*e.files, e.files->MapPath(memo_name))) {
      e.Fail(2, memo_name);
      return false;
    }
  }
  return true;
}

}  // namespace vestil
