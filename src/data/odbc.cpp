// ODBC access. @SQLINIT loads the driver manager and connects; every SQLEXEC
// runs its statement directly on a statement handle of its own and renders a
// result set line by line while it fetches. Console and list lines are short
// strings (cut at 255 characters); SQL.DAT holds the values as they are.
#include "data/odbc.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/tokens.h"
#include "core/dialog_list.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

constexpr int16_t kNameBufferBytes = 33;      // column names of up to 32 characters
constexpr int16_t kMessageBufferBytes = 240;  // the driver's error text
constexpr int16_t kConnectOutBytes = 256;
// A column's buffer holds its display width and the driver's terminating
// zero (a date of width 10 needs 11 bytes), but at most this many bytes,
// whatever size the driver reports for the column.
constexpr uint64_t kMaxColumnBuffer = 65536;
constexpr char kResultFile[] = "SQL.DAT";

struct OdbcFamily : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kOdbc;
  bool connected = false;
  odbc::Handle env = nullptr;
  odbc::Handle dbc = nullptr;
  int32_t rows = 0;         // &SQLCOUNT
  std::string separator = "|";  // none or one character each
  std::string quote;
  ShortString null_text = "NULL";
};

OdbcFamily& Odbc(Runtime& rt) { return rt.Family<OdbcFamily>(); }

struct Column {
  ShortString name;
  uint64_t width = 0;
  std::vector<char> buffer;
  odbc::Len indicator = 0;

  std::string_view Value(const ShortString& null_text) const {
    if (indicator == odbc::kNullData) return null_text;
    return std::string_view(buffer.data(), strnlen(buffer.data(), buffer.size()));
  }
};

// Drops the statement handle however SQLEXEC ends (a cancelled warning
// unwinds through it), before the column buffers it is bound to go away.
class Statement {
 public:
  Statement(OdbcDriverManager& dm, odbc::Handle dbc) : dm_(dm) { dm_.AllocStmt(dbc, &stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { dm_.FreeStmt(stmt_, odbc::kDrop); }
  odbc::Handle handle() const { return stmt_; }

 private:
  OdbcDriverManager& dm_;
  odbc::Handle stmt_ = nullptr;
};

// The part of the driver's message after its last "]" in a box "ODBC-Fehler";
// the script goes on.
void ShowExecutionError(Runtime& rt, odbc::Handle stmt) {
  OdbcFamily& o = Odbc(rt);
  char state[6] = {0};
  int32_t native = 0;
  char message[kMessageBufferBytes] = {0};
  int16_t length = 0;
  const odbc::Return r = rt.host.odbc->Error(o.env, o.dbc, stmt, state, &native, message,
                                            kMessageBufferBytes, &length);
  if (!odbc::Succeeded(r)) return;
  const std::string_view text(message, strnlen(message, sizeof message));
  const size_t bracket = text.rfind(']');
  const std::string_view shown = bracket == std::string_view::npos ? std::string_view() : text.substr(bracket + 1);
  rt.host.dialogs->MessageBox(MessageText(msg::kOdbcError), shown, box::kIconError);
}

void ConsoleLine(Runtime& rt, std::string_view line) {
  std::string bytes(line);
  bytes.push_back('\n');
  if (rt.console.write) rt.console.write(rt, bytes);
}

// Renders one line of a result set by mode.
class Renderer {
 public:
  Renderer(Runtime& rt, int32_t mode) : rt_(rt), mode_(mode), o_(Odbc(rt)) {}

  // Mode 2: SQL.DAT, created or emptied; false when it cannot be.
  bool OpenFile() {
    const std::string path = rt_.host.files->MapPath(kResultFile);
    return rt_.host.files->OpenHostFile(path, FileAccess::kWrite, true, file_) == 0 && file_;
  }

  void Cell(std::string_view text, uint64_t width) {
    if (mode_ == kSqlToFile) {
      record_ += o_.quote;
      record_ += text;
      record_ += o_.quote;
      record_ += o_.separator;
    } else {
      AppendSqlCell(line_, text, width);
      line_.append(o_.separator);
    }
  }

  void EndLine() {
    if (mode_ == kSqlToFile) {
      record_ += "\r\n";
      size_t done = 0;
      file_->Write(record_.data(), record_.size(), done);  // like a text file's write: no check
      record_.clear();
    } else {
      Emit(line_);
      line_.clear();
    }
  }

  void Rule(const std::vector<Column>& columns) {
    if (mode_ != kSqlToConsole && mode_ != kSqlToList) return;
    ShortString rule;
    for (const Column& c : columns)
      for (uint64_t n = (c.width & 0xff) + 1; n > 0 && rule.size() < ShortString::kMax; --n) rule.push_back('-');
    Emit(rule);
  }

 private:
  void Emit(const ShortString& line) {
    if (mode_ == kSqlToConsole) {
      ConsoleLine(rt_, line);
    } else if (mode_ == kSqlToList && !ListAdd(rt_, line) && !warned_) {
      // One warning per statement; the rest of the lines are dropped
      // quietly, and the rows are still counted.
      warned_ = true;
      RuntimeWarning(rt_, msg::kResultTooLarge, "");
    }
  }

  Runtime& rt_;
  int32_t mode_;
  OdbcFamily& o_;
  ShortString line_;
  std::string record_;
  std::unique_ptr<HostFile> file_;
  bool warned_ = false;
};

void ResultSet(Runtime& rt, odbc::Handle stmt, int16_t count, int32_t mode) {
  OdbcFamily& o = Odbc(rt);
  OdbcDriverManager& dm = *rt.host.odbc;
  Renderer out(rt, mode);
  if (mode == kSqlToFile && !out.OpenFile()) {
    RuntimeError(rt, msg::kCannotOpenResultFile, "");
    return;
  }
  std::vector<Column> columns(static_cast<size_t>(count));
  for (uint16_t i = 1; i <= static_cast<uint16_t>(count); ++i) {
    Column& c = columns[i - 1];
    char name[kNameBufferBytes] = {0};
    int16_t name_length = 0, type = 0, scale = 0, nullable = 0;
    odbc::ULen size = 0;
    dm.DescribeCol(stmt, i, name, kNameBufferBytes, &name_length, &type, &size, &scale, &nullable);
    c.name.assign(std::string_view(name, strnlen(name, sizeof name)));
    c.width = SqlDisplayWidth(type, size, c.name.size());
    c.buffer.assign(static_cast<size_t>(std::min<uint64_t>(c.width, kMaxColumnBuffer - 1) + 1), '\0');
    dm.BindCol(stmt, i, odbc::kCharType, c.buffer.data(), static_cast<odbc::Len>(c.buffer.size()), &c.indicator);
    out.Cell(c.name, c.width);
  }
  out.EndLine();
  out.Rule(columns);
  for (odbc::Return r = dm.Fetch(stmt); odbc::Succeeded(r); r = dm.Fetch(stmt)) {
    for (const Column& c : columns) out.Cell(c.Value(o.null_text), c.width);
    out.EndLine();
    ++o.rows;
  }
}

void NoResultSet(Runtime& rt, odbc::Handle stmt, int32_t mode) {
  OdbcFamily& o = Odbc(rt);
  odbc::Len rows = 0;
  rt.host.odbc->RowCount(stmt, &rows);
  o.rows = static_cast<int32_t>(rows);
  if (rows < 1) {
    if (mode == kSqlToConsole) ConsoleLine(rt, MessageText(msg::kOperationSucceeded));
    rt.host.odbc->Transact(o.env, o.dbc, odbc::kCommit);
    o.rows = 0;
  } else if (mode == kSqlToConsole) {
    ConsoleLine(rt, std::to_string(rows) + std::string(MessageText(msg::kRecordsProcessed)));
  }
}

// Releases the connection and the driver manager.
void Disconnect(Runtime& rt) {
  OdbcFamily& o = Odbc(rt);
  OdbcDriverManager& dm = *rt.host.odbc;
  dm.Disconnect(o.dbc);
  dm.FreeConnect(o.dbc);
  dm.FreeEnv(o.env);
  dm.Unload();
  o.dbc = o.env = nullptr;
  o.connected = false;
}

void SqlInit(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kFileNameDemand);
  const ShortString connection = rt.eval.rr.text();
  OdbcFamily& o = Odbc(rt);
  // One connection at a time: a new one replaces the one that is open.
  if (o.connected) Disconnect(rt);
  OdbcDriverManager* dm = rt.host.odbc;
  if (dm == nullptr || !dm->Load()) {
    RuntimeError(rt, msg::kOdbcInitFailed, "");
    NumberResult(rt, ctx, 0, kTypeInteger);
    return;
  }
  odbc::Handle env = nullptr, dbc = nullptr;
  dm->AllocEnv(&env);
  dm->AllocConnect(env, &dbc);
  char out[kConnectOutBytes] = {0};
  int16_t out_length = 0;
  // An empty connection string lets the driver manager ask for a data source.
  const uint16_t completion = connection.empty() ? odbc::kDriverPrompt : odbc::kDriverComplete;
  const odbc::Return r = dm->DriverConnect(dbc, connection.data(), static_cast<int16_t>(connection.size()), out,
                                           kConnectOutBytes, &out_length, completion);
  o.connected = odbc::Succeeded(r);
  if (o.connected) {
    o.env = env;
    o.dbc = dbc;
  } else {
    dm->FreeConnect(dbc);
    dm->FreeEnv(env);
  }
  NumberResult(rt, ctx, o.connected ? 1 : 0, kTypeInteger);
}

void SqlExec(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, ',', kAnyType);
  const std::string sql = rt.eval.rr.text().str();
  EvalArg(rt, kRest, kAnyType);
  const int32_t mode = rt.eval.rr.l;
  OdbcFamily& o = Odbc(rt);
  if (!o.connected) {
    RuntimeError(rt, msg::kOdbcNotInitialised, "");
    return;
  }
  o.rows = 0;
  OdbcDriverManager& dm = *rt.host.odbc;
  Statement stmt(dm, o.dbc);
  if (dm.ExecDirect(stmt.handle(), sql.c_str(), odbc::kNts) != odbc::kSuccess) {
    ShowExecutionError(rt, stmt.handle());
    o.rows = -1;
    return;
  }
  int16_t count = 0;
  dm.NumResultCols(stmt.handle(), &count);
  if (count > 0) ResultSet(rt, stmt.handle(), count, mode);
  else NoResultSet(rt, stmt.handle(), mode);
  if (mode == kSqlToConsole) ConsoleLine(rt, "");
}

void SqlDone(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!Odbc(rt).connected) {
    RuntimeError(rt, msg::kOdbcNotInitialised, "");
    return;
  }
  Disconnect(rt);
}

void SqlSep(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, kRest, kAnyType);
  const ShortString chars = rt.eval.rr.text();
  OdbcFamily& o = Odbc(rt);
  o.separator.assign(chars.size() > 0 ? 1 : 0, chars.size() > 0 ? chars[0] : ' ');
  o.quote.assign(chars.size() > 1 ? 1 : 0, chars.size() > 1 ? chars[1] : ' ');
}

void SqlNull(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, kRest, kAnyType);
  Odbc(rt).null_text = rt.eval.rr.text();
}

void SqlCount(Runtime& rt, uint8_t) { rt.eval.rr.l = Odbc(rt).rows; }

}  // namespace

uint64_t SqlDisplayWidth(int16_t type, uint64_t size, size_t name_length) {
  uint64_t width;
  switch (type) {
    case 2:  // NUMERIC
    case 3:  // DECIMAL
      width = size + 2;
      break;
    case 4: width = 11; break;   // INTEGER
    case 5: width = 6; break;    // SMALLINT
    case 6:                      // FLOAT
    case 8: width = 22; break;   // DOUBLE
    case 7: width = 13; break;   // REAL
    case 9: width = 10; break;   // DATE
    case 10: width = 8; break;   // TIME
    case 11: width = 23; break;  // TIMESTAMP
    case -7: width = 1; break;   // BIT
    case -6: width = 4; break;   // TINYINT
    case -5: width = 20; break;  // BIGINT
    case -2:                     // BINARY
    case -3:                     // VARBINARY
      width = size * 2;
      break;
    case -1: width = 50; break;  // LONGVARCHAR
    default: width = size + 1; break;  // CHAR, VARCHAR and the rest
  }
  return std::max<uint64_t>(width, name_length);
}

void AppendSqlCell(ShortString& line, std::string_view text, uint64_t width) {
  const size_t w = static_cast<size_t>(width & 0xff);
  const std::string_view shown = text.substr(0, w);
  line.append(shown);
  for (size_t n = shown.size(); n < w && line.size() < ShortString::kMax; ++n) line.push_back(' ');
}

void RegisterOdbc(Runtime& rt) {
  rt.InstallFamily<OdbcFamily>();
  rt.statements[cmd::kSqlExec] = SqlExec;
  rt.statements[cmd::kSqlDone] = SqlDone;
  rt.statements[cmd::kSqlSep] = SqlSep;
  rt.statements[cmd::kSqlNull] = SqlNull;
  rt.eval.functions[fn::kSqlInit] = SqlInit;
  rt.eval.system_variables[sv::kSqlCount] = SqlCount;
}

}  // namespace vestil
