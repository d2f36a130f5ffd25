// The ODBC driver manager of vestrun.exe: ODBC32.DLL and its 16 entry points
// of the ODBC 2.x core API, called as they are.
#include "platform/win32/win32_util.h"

#include "platform/win32/win32_odbc.h"

namespace vestil {
namespace {

// The entry points, in the order they are looked up.
enum : int {
  kRowCount, kAllocEnv, kError, kDescribeCol, kBindCol, kFreeEnv, kAllocConnect, kAllocStmt,
  kFreeConnect, kExecDirect, kFetch, kDisconnect, kTransact, kFreeStmt, kNumResultCols, kDriverConnect,
};
constexpr const char* kNames[] = {
    "SQLRowCount",    "SQLAllocEnv",   "SQLError",    "SQLDescribeCol",   "SQLBindCol",       "SQLFreeEnv",
    "SQLAllocConnect", "SQLAllocStmt", "SQLFreeConnect", "SQLExecDirect", "SQLFetch",         "SQLDisconnect",
    "SQLTransact",    "SQLFreeStmt",   "SQLNumResultCols", "SQLDriverConnect",
};

using H = odbc::Handle;
using R = odbc::Return;

}  // namespace

bool Win32Odbc::Load() {
  if (library_ != nullptr) return true;
  HMODULE module = LoadLibraryA("ODBC32.DLL");
  // A result of 32 or less is no module.
  if (reinterpret_cast<uintptr_t>(module) <= 32) return false;
  for (int i = 0; i < kEntries; ++i) {
    entries_[i] = reinterpret_cast<Entry>(GetProcAddress(module, kNames[i]));
    if (entries_[i] == nullptr) {
      FreeLibrary(module);
      return false;
    }
  }
  library_ = module;
  return true;
}

void Win32Odbc::Unload() {
  if (library_ != nullptr) FreeLibrary(static_cast<HMODULE>(library_));
  library_ = nullptr;
}

R Win32Odbc::AllocEnv(H* env) { return At<R(WINAPI*)(H*)>(kAllocEnv)(env); }
R Win32Odbc::AllocConnect(H env, H* dbc) { return At<R(WINAPI*)(H, H*)>(kAllocConnect)(env, dbc); }
R Win32Odbc::DriverConnect(H dbc, const char* in, int16_t in_length, char* out, int16_t out_max,
                           int16_t* out_length, uint16_t completion) {
  using F = R(WINAPI*)(H, HWND, const char*, int16_t, char*, int16_t, int16_t*, uint16_t);
  return At<F>(kDriverConnect)(dbc, nullptr, in, in_length, out, out_max, out_length, completion);
}
R Win32Odbc::AllocStmt(H dbc, H* stmt) { return At<R(WINAPI*)(H, H*)>(kAllocStmt)(dbc, stmt); }
R Win32Odbc::ExecDirect(H stmt, const char* sql, int32_t length) {
  return At<R(WINAPI*)(H, const char*, int32_t)>(kExecDirect)(stmt, sql, length);
}
R Win32Odbc::NumResultCols(H stmt, int16_t* count) {
  return At<R(WINAPI*)(H, int16_t*)>(kNumResultCols)(stmt, count);
}
R Win32Odbc::DescribeCol(H stmt, uint16_t column, char* name, int16_t name_max, int16_t* name_length,
                         int16_t* type, odbc::ULen* size, int16_t* scale, int16_t* nullable) {
  using F = R(WINAPI*)(H, uint16_t, char*, int16_t, int16_t*, int16_t*, odbc::ULen*, int16_t*, int16_t*);
  return At<F>(kDescribeCol)(stmt, column, name, name_max, name_length, type, size, scale, nullable);
}
R Win32Odbc::BindCol(H stmt, uint16_t column, int16_t c_type, void* buffer, odbc::Len buffer_length,
                     odbc::Len* indicator) {
  using F = R(WINAPI*)(H, uint16_t, int16_t, void*, odbc::Len, odbc::Len*);
  return At<F>(kBindCol)(stmt, column, c_type, buffer, buffer_length, indicator);
}
R Win32Odbc::Fetch(H stmt) { return At<R(WINAPI*)(H)>(kFetch)(stmt); }
R Win32Odbc::RowCount(H stmt, odbc::Len* rows) { return At<R(WINAPI*)(H, odbc::Len*)>(kRowCount)(stmt, rows); }
R Win32Odbc::Error(H env, H dbc, H stmt, char* state, int32_t* native, char* message, int16_t message_max,
                   int16_t* message_length) {
  using F = R(WINAPI*)(H, H, H, char*, int32_t*, char*, int16_t, int16_t*);
  return At<F>(kError)(env, dbc, stmt, state, native, message, message_max, message_length);
}
R Win32Odbc::Transact(H env, H dbc, uint16_t completion) {
  return At<R(WINAPI*)(H, H, uint16_t)>(kTransact)(env, dbc, completion);
}
R Win32Odbc::FreeStmt(H stmt, uint16_t option) { return At<R(WINAPI*)(H, uint16_t)>(kFreeStmt)(stmt, option); }
R Win32Odbc::Disconnect(H dbc) { return At<R(WINAPI*)(H)>(kDisconnect)(dbc); }
R Win32Odbc::FreeConnect(H dbc) { return At<R(WINAPI*)(H)>(kFreeConnect)(dbc); }
R Win32Odbc::FreeEnv(H env) { return At<R(WINAPI*)(H)>(kFreeEnv)(env); }

}  // namespace vestil
