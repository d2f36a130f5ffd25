// The ODBC driver manager of the console runner: unixODBC's libodbc.so.2 (or
// the library named by VESTIL_ODBC_LIBRARY), loaded with dlopen when a
// script connects, so that the runner starts where it is not installed. The
// calls pass through unchanged; script texts go to the driver as they are.
#include <dlfcn.h>

#include <cstdlib>

#include "host/terminal/terminal_host.h"

namespace vestil {
namespace {

constexpr char kDefaultLibrary[] = "libodbc.so.2";

}  // namespace

bool TerminalOdbc::Load() {
  if (library_ != nullptr) return true;
  const char* name = std::getenv("VESTIL_ODBC_LIBRARY");
  void* library = dlopen(name != nullptr && *name != '\0' ? name : kDefaultLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return false;
  // Every entry point must be there before any is used.
  const bool found = Resolve(library, "SQLRowCount", row_count_) && Resolve(library, "SQLAllocEnv", alloc_env_) &&
                     Resolve(library, "SQLError", error_) && Resolve(library, "SQLDescribeCol", describe_col_) &&
                     Resolve(library, "SQLBindCol", bind_col_) && Resolve(library, "SQLFreeEnv", free_env_) &&
                     Resolve(library, "SQLAllocConnect", alloc_connect_) &&
                     Resolve(library, "SQLAllocStmt", alloc_stmt_) &&
                     Resolve(library, "SQLFreeConnect", free_connect_) &&
                     Resolve(library, "SQLExecDirect", exec_direct_) && Resolve(library, "SQLFetch", fetch_) &&
                     Resolve(library, "SQLDisconnect", disconnect_) && Resolve(library, "SQLTransact", transact_) &&
                     Resolve(library, "SQLFreeStmt", free_stmt_) &&
                     Resolve(library, "SQLNumResultCols", num_result_cols_) &&
                     Resolve(library, "SQLDriverConnect", driver_connect_);
  if (!found) {
    dlclose(library);
    return false;
  }
  library_ = library;
  return true;
}

void TerminalOdbc::Unload() {
  if (library_ != nullptr) dlclose(library_);
  library_ = nullptr;
}

template <typename F>
bool TerminalOdbc::Resolve(void* library, const char* name, F& entry) {
  entry = reinterpret_cast<F>(dlsym(library, name));
  return entry != nullptr;
}

odbc::Return TerminalOdbc::AllocEnv(odbc::Handle* env) { return alloc_env_(env); }
odbc::Return TerminalOdbc::AllocConnect(odbc::Handle env, odbc::Handle* dbc) { return alloc_connect_(env, dbc); }
odbc::Return TerminalOdbc::DriverConnect(odbc::Handle dbc, const char* in, int16_t in_length, char* out,
                                         int16_t out_max, int16_t* out_length, uint16_t completion) {
  return driver_connect_(dbc, nullptr, in, in_length, out, out_max, out_length, completion);
}
odbc::Return TerminalOdbc::AllocStmt(odbc::Handle dbc, odbc::Handle* stmt) { return alloc_stmt_(dbc, stmt); }
odbc::Return TerminalOdbc::ExecDirect(odbc::Handle stmt, const char* sql, int32_t length) {
  return exec_direct_(stmt, sql, length);
}
odbc::Return TerminalOdbc::NumResultCols(odbc::Handle stmt, int16_t* count) { return num_result_cols_(stmt, count); }
odbc::Return TerminalOdbc::DescribeCol(odbc::Handle stmt, uint16_t column, char* name, int16_t name_max,
                                       int16_t* name_length, int16_t* type, odbc::ULen* size, int16_t* scale,
                                       int16_t* nullable) {
  return describe_col_(stmt, column, name, name_max, name_length, type, size, scale, nullable);
}
odbc::Return TerminalOdbc::BindCol(odbc::Handle stmt, uint16_t column, int16_t c_type, void* buffer,
                                   odbc::Len buffer_length, odbc::Len* indicator) {
  return bind_col_(stmt, column, c_type, buffer, buffer_length, indicator);
}
odbc::Return TerminalOdbc::Fetch(odbc::Handle stmt) { return fetch_(stmt); }
odbc::Return TerminalOdbc::RowCount(odbc::Handle stmt, odbc::Len* rows) { return row_count_(stmt, rows); }
odbc::Return TerminalOdbc::Error(odbc::Handle env, odbc::Handle dbc, odbc::Handle stmt, char* state,
                                 int32_t* native, char* message, int16_t message_max, int16_t* message_length) {
  return error_(env, dbc, stmt, state, native, message, message_max, message_length);
}
odbc::Return TerminalOdbc::Transact(odbc::Handle env, odbc::Handle dbc, uint16_t completion) {
  return transact_(env, dbc, completion);
}
odbc::Return TerminalOdbc::FreeStmt(odbc::Handle stmt, uint16_t option) { return free_stmt_(stmt, option); }
odbc::Return TerminalOdbc::Disconnect(odbc::Handle dbc) { return disconnect_(dbc); }
odbc::Return TerminalOdbc::FreeConnect(odbc::Handle dbc) { return free_connect_(dbc); }
odbc::Return TerminalOdbc::FreeEnv(odbc::Handle env) { return free_env_(env); }

}  // namespace vestil
