// ODBC: result widths and cells, and the calls the statements make.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/tokens.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "data/odbc.h"
#include "fake_screen.h"
#include "platform/terminal/terminal_host.h"
#include "runtime/assemble.h"
#include "values/dispatch.h"

namespace vestil {
namespace {

// The display widths of result columns (raised to the name) and the cells of console lines.
TEST(Odbc, WidthsAndCells) {
  struct Row { int16_t type; uint64_t size, width; uint8_t name = 1; };
  const Row rows[] = {
      {2, 8, 10},   {3, 12, 14},  {4, 99, 11},   {5, 99, 6},    {6, 99, 22},  {8, 99, 22}, {7, 99, 13},
      {9, 99, 10},  {10, 99, 8},  {11, 99, 23},  {-7, 99, 1},   {-6, 99, 4},  {-5, 99, 20}, {-2, 16, 32},
      {-3, 5, 10},  {-1, 9999, 50}, {1, 20, 21}, {12, 255, 256}, {-9, 0, 1}, {91, 7, 8},
      {4, 10, 12, 12}, {4, 10, 11, 11}, {-7, 1, 1, 0}, {-2, 0, 3, 3}};  // KUNDENNUMMER INTEGER
  for (const Row& r : rows) EXPECT_EQ(SqlDisplayWidth(r.type, r.size, r.name), r.width) << "type " << r.type;
  ShortString line;  // pad, cut, and widths modulo 256
  AppendSqlCell(line, "abc", 5);
  AppendSqlCell(line, "abcdef", 4);
  AppendSqlCell(line, "xyz", 256);  // 256 counts as 0
  AppendSqlCell(line, "q", 257);    // and 257 as 1
  EXPECT_EQ(line, "abc  abcdq");
  ShortString full(std::string(250, 'a'));
  AppendSqlCell(full, "bb", 10);
  EXPECT_EQ(full.size(), 255u);
  EXPECT_EQ(full.view().substr(248), "aabb   ");
}

// The calls SQLEXEC and its neighbours make, against a driver manager that
// records them: what the console runner's driver cannot show.
struct FakeColumn {
  std::string name;
  int16_t type;
  uint64_t size;
};

class FakeDriverManager : public OdbcDriverManager {
 public:
  std::vector<std::string> log;
  bool loadable = true;
  odbc::Return connect_result = odbc::kSuccess;
  uint16_t completion = 99;
  odbc::Return exec_result = odbc::kSuccess;
  odbc::Return error_result = odbc::kSuccess;
  std::string error_message;
  std::vector<FakeColumn> columns;
  std::vector<std::vector<const char*>> rows;  // nullptr: NULL
  odbc::Len row_count = 0;
  std::vector<odbc::Len> bound_lengths;

  bool Load() override { return Note("Load"), loadable; }
  void Unload() override { Note("Unload"); }
  odbc::Return AllocEnv(odbc::Handle* env) override { return *env = &env_, Note("AllocEnv"); }
  odbc::Return AllocConnect(odbc::Handle, odbc::Handle* dbc) override { return *dbc = &dbc_, Note("AllocConnect"); }
  odbc::Return DriverConnect(odbc::Handle, const char* in, int16_t in_length, char*, int16_t out_max, int16_t*,
                             uint16_t c) override {
    completion = c;
    Note("DriverConnect " + std::string(in, static_cast<size_t>(in_length)) + " " + std::to_string(out_max));
    return connect_result;
  }
  odbc::Return AllocStmt(odbc::Handle, odbc::Handle* stmt) override { return *stmt = &stmt_, Note("AllocStmt"); }
  odbc::Return ExecDirect(odbc::Handle, const char* sql, int32_t length) override {
    Note("ExecDirect " + std::string(sql) + " " + std::to_string(length));
    next_row_ = 0;
    bindings_.assign(columns.size(), {});
    bound_lengths.assign(columns.size(), 0);
    return exec_result;
  }
  odbc::Return NumResultCols(odbc::Handle, int16_t* count) override {
    *count = static_cast<int16_t>(columns.size());
    return odbc::kSuccess;
  }
  odbc::Return DescribeCol(odbc::Handle, uint16_t column, char* name, int16_t name_max, int16_t*, int16_t* type,
                           odbc::ULen* size, int16_t*, int16_t*) override {
    const FakeColumn& c = columns[column - 1];
    std::snprintf(name, static_cast<size_t>(name_max), "%s", c.name.c_str());
    *type = c.type;
    *size = static_cast<odbc::ULen>(c.size);
    return odbc::kSuccess;
  }
  odbc::Return BindCol(odbc::Handle, uint16_t column, int16_t c_type, void* buffer, odbc::Len length,
                       odbc::Len* indicator) override {
    EXPECT_EQ(c_type, odbc::kCharType);
    bindings_[column - 1] = {static_cast<char*>(buffer), length, indicator};
    bound_lengths[column - 1] = length;
    return odbc::kSuccess;
  }
  odbc::Return Fetch(odbc::Handle) override {
    if (next_row_ >= rows.size()) return odbc::kNoData;
    const auto& row = rows[next_row_++];
    for (size_t i = 0; i < bindings_.size(); ++i) {
      Binding& b = bindings_[i];
      if (row[i] == nullptr) {
        *b.indicator = odbc::kNullData;
        continue;
      }
      std::snprintf(b.buffer, static_cast<size_t>(b.length), "%s", row[i]);  // cut as a driver cuts
      *b.indicator = static_cast<odbc::Len>(std::strlen(row[i]));
    }
    return odbc::kSuccess;
  }
  odbc::Return RowCount(odbc::Handle, odbc::Len* rows_out) override { return *rows_out = row_count, odbc::kSuccess; }
  odbc::Return Error(odbc::Handle env, odbc::Handle dbc, odbc::Handle stmt, char*, int32_t*, char* message,
                     int16_t message_max, int16_t*) override {
    EXPECT_TRUE(env == &env_ && dbc == &dbc_ && stmt == &stmt_);
    Note("Error " + std::to_string(message_max));
    std::snprintf(message, static_cast<size_t>(message_max), "%s", error_message.c_str());
    return error_result;
  }
  odbc::Return Transact(odbc::Handle, odbc::Handle, uint16_t c) override { return Note("Transact " + std::to_string(c)); }
  odbc::Return FreeStmt(odbc::Handle, uint16_t option) override { return Note("FreeStmt " + std::to_string(option)); }
  odbc::Return Disconnect(odbc::Handle) override { return Note("Disconnect"); }
  odbc::Return FreeConnect(odbc::Handle) override { return Note("FreeConnect"); }
  odbc::Return FreeEnv(odbc::Handle) override { return Note("FreeEnv"); }

 private:
  struct Binding {
    char* buffer = nullptr;
    odbc::Len length = 0;
    odbc::Len* indicator = nullptr;
  };
  odbc::Return Note(const std::string& call) { return log.push_back(call), odbc::kSuccess; }
  int env_ = 0, dbc_ = 0, stmt_ = 0;
  size_t next_row_ = 0;
  std::vector<Binding> bindings_;
};

class RecordingScreen : public FakeScreen {
 public:
  std::string text;
  void ShowText(std::string_view bytes, const std::vector<GridOp>&) override { text.append(bytes); }
};

class RecordingDialogs : public Dialogs {
 public:
  std::vector<std::string> boxes;
  int MessageBox(std::string_view caption, std::string_view text, unsigned style) override {
    boxes.push_back(std::string(caption) + "|" + std::string(text) + "|" + std::to_string(style));
    return box::kIdOk;
  }
  void ShowPointer() override {}
  bool ChooseProgramFile(std::string_view, std::string&) override { return false; }
  bool ChooseDirectory(std::string_view, std::string&) override { return false; }
};

class OdbcCalls : public ::testing::Test {
 protected:
  OdbcCalls() {
    Host h = terminal_.host();
    h.odbc = &dm_;
    h.screen = &screen_;
    h.dialogs = &dialogs_;
    rt_ = AssembleRuntime(h);
    rt_->errors.error_mode = -1;  // errors return, with their number kept
  }
  int32_t Init(std::string_view connection) {
    const std::string args = "\"" + std::string(connection) + "\")";
    rt_->loop.arg_text = args;
    CallContext ctx;
    rt_->eval.functions[fn::kSqlInit](*rt_, ctx);
    return rt_->eval.rr.l;
  }
  void Statement(uint8_t token, std::string_view args) {
    rt_->loop.arg_text = args;
    rt_->errors.last_error_number = 0;
    rt_->statements[token](*rt_);
  }
  int32_t Count() {
    rt_->eval.system_variables[sv::kSqlCount](*rt_, sv::kSqlCount);
    return rt_->eval.rr.l;
  }
  std::string Calls() {
    std::string all;
    for (const std::string& c : std::exchange(dm_.log, {})) all += c + ";";
    return all;
  }

  TerminalHost terminal_{{"vestrun"}};
  FakeDriverManager dm_;
  RecordingScreen screen_;
  RecordingDialogs dialogs_;
  std::unique_ptr<Runtime> rt_;
};

TEST_F(OdbcCalls, ConnectPromptsForAnEmptyStringAndReleasesAFailedConnection) {
  EXPECT_EQ(Init(""), 1);
  EXPECT_EQ(dm_.completion, odbc::kDriverPrompt);
  EXPECT_EQ(Calls(), "Load;AllocEnv;AllocConnect;DriverConnect  256;");
  dm_.connect_result = odbc::kError;
  // A second @SQLINIT replaces the open connection; this one fails.
  EXPECT_EQ(Init("DSN=x"), 0);
  EXPECT_EQ(dm_.completion, odbc::kDriverComplete);
  EXPECT_EQ(Calls(),
            "Disconnect;FreeConnect;FreeEnv;Unload;Load;AllocEnv;AllocConnect;DriverConnect DSN=x 256;"
            "FreeConnect;FreeEnv;");
  Statement(cmd::kSqlExec, "\"SELECT 1\",0");
  EXPECT_EQ(rt_->errors.last_error_number, msg::kOdbcNotInitialised);
  Statement(cmd::kSqlDone, "");
  EXPECT_EQ(rt_->errors.last_error_number, msg::kOdbcNotInitialised);
  EXPECT_EQ(Calls(), "");
  dm_.loadable = false;
  EXPECT_EQ(Init("DSN=x"), 0);
  EXPECT_EQ(rt_->errors.last_error_number, msg::kOdbcInitFailed);
  EXPECT_EQ(Calls(), "Load;");
}

TEST_F(OdbcCalls, ExecutionErrorsShowTheTextAfterTheLastBracket) {
  ASSERT_EQ(Init("DSN=x"), 1);
  Calls();
  dm_.exec_result = odbc::kSuccessWithInfo;  // anything but 0 is an error
  dm_.error_message = "[Hersteller][Treiber]Tabelle [A] fehlt";
  Statement(cmd::kSqlExec, "\"DROP TABLE A\",0");
  EXPECT_EQ(Count(), -1);
  dm_.exec_result = odbc::kError;
  dm_.error_message = "ohne Klammer";
  Statement(cmd::kSqlExec, "\"X\",0");
  dm_.error_result = odbc::kNoData;  // no message: no box
  Statement(cmd::kSqlExec, "\"Y\",0");
  EXPECT_EQ(Count(), -1);
  EXPECT_EQ(dialogs_.boxes, (std::vector<std::string>{"ODBC-Fehler| fehlt|16", "ODBC-Fehler||16"}));
  // Each failed statement is dropped; nothing is written.
  EXPECT_EQ(Calls(), "AllocStmt;ExecDirect DROP TABLE A -3;Error 240;FreeStmt 1;AllocStmt;ExecDirect X -3;Error 240;"
                     "FreeStmt 1;AllocStmt;ExecDirect Y -3;Error 240;FreeStmt 1;");
  EXPECT_EQ(screen_.text, "");
}

TEST_F(OdbcCalls, CommitOnlyWhenNoRowWasTouched) {
  ASSERT_EQ(Init("DSN=x"), 1);
  Calls();
  dm_.row_count = -1;
  Statement(cmd::kSqlExec, "\"CREATE TABLE A (B INT)\",0");
  EXPECT_EQ(Count(), 0);
  dm_.row_count = 3;
  Statement(cmd::kSqlExec, "\"UPDATE A SET B = 1\",0");
  EXPECT_EQ(Count(), 3);
  dm_.row_count = 0;
  Statement(cmd::kSqlExec, "\"DELETE FROM A\",1");
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(screen_.text, "Operation erfolgreich!\n\n3 S\xe4tze bearbeitet!\n\n");
  EXPECT_EQ(Calls(), "AllocStmt;ExecDirect CREATE TABLE A (B INT) -3;Transact 0;FreeStmt 1;"
                     "AllocStmt;ExecDirect UPDATE A SET B = 1 -3;FreeStmt 1;"
                     "AllocStmt;ExecDirect DELETE FROM A -3;Transact 0;FreeStmt 1;");
  Statement(cmd::kSqlDone, "");
  EXPECT_EQ(Calls(), "Disconnect;FreeConnect;FreeEnv;Unload;");
}

TEST_F(OdbcCalls, BuffersHoldTheWidthAndTheTerminatingZero) {
  ASSERT_EQ(Init("DSN=x"), 1);
  dm_.columns = {{"D", 9, 10}, {"KUNDENNUMMER", 4, 10}, {"T", 12, 3}, {"W", 12, 255}};
  dm_.rows = {{"2024-02-29", "-2147483648", "abcdef", nullptr}};
  Statement(cmd::kSqlExec, "\"SELECT\",0");
  EXPECT_EQ(dm_.bound_lengths, (std::vector<odbc::Len>{11, 13, 5, 257}));
  EXPECT_EQ(Count(), 1);
  // The width of W is 256: it pads to 0 and takes one dash.
  EXPECT_EQ(screen_.text,
            "D         |KUNDENNUMMER|T   ||\n"
            "------------------------------\n"
            "2024-02-29|-2147483648 |abcd||\n\n");
}

}  // namespace
}  // namespace vestil
