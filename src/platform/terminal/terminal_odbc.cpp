// The ODBC driver manager of the console runner: unixODBC's libodbc.so.2 (or
// the library named by VESTIL_ODBC_LIBRARY), loaded with dlopen when a
// script connects, so that the runner starts where it is not installed. The
// calls pass through; texts cross in UTF-8, the drivers' character set here:
// connection strings and statements are converted from Windows-1252, column
// names, messages and values back to it. A bound column is fetched into a
// buffer of four times its length, so that a value of as many characters
// fits in UTF-8, and converted into the runtime's buffer after each fetch.
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/cp1252.h"

#include "platform/terminal/terminal_host.h"

namespace vestil {
namespace {

constexpr char kDefaultLibrary[] = "libodbc.so.2";
constexpr size_t kUtf8Factor = 4;

// text in UTF-8 as Windows-1252 into a buffer of max bytes, cut to fit and
// ended by a zero.
void CopyAsCp1252(std::string_view text, char* out, size_t max) {
  if (out == nullptr || max == 0) return;
  const std::string converted = Utf8ToCp1252(text);
  const size_t n = std::min(converted.size(), max - 1);
  std::memcpy(out, converted.data(), n);
  out[n] = '\0';
}

std::string_view Text(const char* buffer, size_t max) { return std::string_view(buffer, strnlen(buffer, max)); }

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

// unixODBC keeps what it read of its ini files and drivers in memory of its
// own that it never frees; unloading would leak that memory at every
// SQLDONE. The library stays loaded, and the next @SQLINIT uses it again.
void TerminalOdbc::Unload() {}

template <typename F>
bool TerminalOdbc::Resolve(void* library, const char* name, F& entry) {
  entry = reinterpret_cast<F>(dlsym(library, name));
  return entry != nullptr;
}

odbc::Return TerminalOdbc::AllocEnv(odbc::Handle* env) { return alloc_env_(env); }
odbc::Return TerminalOdbc::AllocConnect(odbc::Handle env, odbc::Handle* dbc) { return alloc_connect_(env, dbc); }
odbc::Return TerminalOdbc::DriverConnect(odbc::Handle dbc, const char* in, int16_t in_length, char* out,
                                         int16_t out_max, int16_t* out_length, uint16_t completion) {
  const std::string text = Cp1252ToUtf8(std::string_view(in, static_cast<size_t>(std::max<int16_t>(in_length, 0))));
  std::vector<char> wide(static_cast<size_t>(out_max) * kUtf8Factor + 1, '\0');
  const odbc::Return r = driver_connect_(dbc, nullptr, text.c_str(), static_cast<int16_t>(text.size()), wide.data(),
                                         static_cast<int16_t>(wide.size()), out_length, completion);
  CopyAsCp1252(Text(wide.data(), wide.size()), out, static_cast<size_t>(out_max));
  return r;
}
odbc::Return TerminalOdbc::AllocStmt(odbc::Handle dbc, odbc::Handle* stmt) { return alloc_stmt_(dbc, stmt); }
odbc::Return TerminalOdbc::ExecDirect(odbc::Handle stmt, const char* sql, int32_t length) {
  const std::string text = Cp1252ToUtf8(length == odbc::kNts ? std::string_view(sql) : std::string_view(sql, length));
  return exec_direct_(stmt, text.c_str(), odbc::kNts);
}
odbc::Return TerminalOdbc::NumResultCols(odbc::Handle stmt, int16_t* count) { return num_result_cols_(stmt, count); }
odbc::Return TerminalOdbc::DescribeCol(odbc::Handle stmt, uint16_t column, char* name, int16_t name_max,
                                       int16_t* name_length, int16_t* type, odbc::ULen* size, int16_t* scale,
                                       int16_t* nullable) {
  std::vector<char> wide(static_cast<size_t>(name_max) * kUtf8Factor + 1, '\0');
  const odbc::Return r = describe_col_(stmt, column, wide.data(), static_cast<int16_t>(wide.size()), name_length, type,
                                       size, scale, nullable);
  CopyAsCp1252(Text(wide.data(), wide.size()), name, static_cast<size_t>(name_max));
  return r;
}
odbc::Return TerminalOdbc::BindCol(odbc::Handle stmt, uint16_t column, int16_t c_type, void* buffer,
                                   odbc::Len buffer_length, odbc::Len* indicator) {
  if (c_type != odbc::kCharType || buffer == nullptr || buffer_length <= 0)
    return bind_col_(stmt, column, c_type, buffer, buffer_length, indicator);
  Binding& b = bindings_[stmt][column];
  b = Binding{static_cast<char*>(buffer), static_cast<size_t>(buffer_length), indicator,
              std::vector<char>(static_cast<size_t>(buffer_length) * kUtf8Factor, '\0'), 0};
  return bind_col_(stmt, column, c_type, b.wide.data(), static_cast<odbc::Len>(b.wide.size()), &b.wide_indicator);
}
odbc::Return TerminalOdbc::Fetch(odbc::Handle stmt) {
  const odbc::Return r = fetch_(stmt);
  if (!odbc::Succeeded(r)) return r;
  const auto found = bindings_.find(stmt);
  if (found == bindings_.end()) return r;
  for (auto& [column, b] : found->second) {
    if (b.indicator != nullptr) *b.indicator = b.wide_indicator;
    if (b.wide_indicator != odbc::kNullData) CopyAsCp1252(Text(b.wide.data(), b.wide.size()), b.buffer, b.length);
  }
  return r;
}
odbc::Return TerminalOdbc::RowCount(odbc::Handle stmt, odbc::Len* rows) { return row_count_(stmt, rows); }
odbc::Return TerminalOdbc::Error(odbc::Handle env, odbc::Handle dbc, odbc::Handle stmt, char* state,
                                 int32_t* native, char* message, int16_t message_max, int16_t* message_length) {
  std::vector<char> wide(static_cast<size_t>(message_max) * kUtf8Factor + 1, '\0');
  const odbc::Return r =
      error_(env, dbc, stmt, state, native, wide.data(), static_cast<int16_t>(wide.size()), message_length);
  CopyAsCp1252(Text(wide.data(), wide.size()), message, static_cast<size_t>(message_max));
  return r;
}
odbc::Return TerminalOdbc::Transact(odbc::Handle env, odbc::Handle dbc, uint16_t completion) {
  return transact_(env, dbc, completion);
}
odbc::Return TerminalOdbc::FreeStmt(odbc::Handle stmt, uint16_t option) {
  if (option == odbc::kDrop) bindings_.erase(stmt);
  return free_stmt_(stmt, option);
}
odbc::Return TerminalOdbc::Disconnect(odbc::Handle dbc) { return disconnect_(dbc); }
odbc::Return TerminalOdbc::FreeConnect(odbc::Handle dbc) { return free_connect_(dbc); }
odbc::Return TerminalOdbc::FreeEnv(odbc::Handle env) { return free_env_(env); }

}  // namespace vestil
