#pragma once
// The ODBC driver manager, loaded when a script connects: the calls of the
// ODBC 2.x core API that the runtime makes, passed through unchanged. Handles
// are the driver manager's; lengths and counts that are pointer-sized in the
// API (SQLLEN, SQLULEN) are pointer-sized here.
#include <cstdint>

namespace vestil {

namespace odbc {
using Handle = void*;
using Return = int16_t;
using Len = intptr_t;
using ULen = uintptr_t;

constexpr Return kSuccess = 0;
constexpr Return kSuccessWithInfo = 1;
constexpr Return kError = -1;
constexpr Return kNoData = 100;
constexpr int16_t kNts = -3;           // a null-terminated text
constexpr Len kNullData = -1;          // the indicator of a NULL value
constexpr int16_t kCharType = 1;       // SQL_C_CHAR
constexpr uint16_t kDriverComplete = 1;
constexpr uint16_t kDriverPrompt = 2;
constexpr uint16_t kCommit = 0;        // SQLTransact
constexpr uint16_t kDrop = 1;          // SQLFreeStmt

inline bool Succeeded(Return r) { return r == kSuccess || r == kSuccessWithInfo; }
}  // namespace odbc

class OdbcDriverManager {
 public:
  virtual ~OdbcDriverManager() = default;
  // Loads the driver manager and finds its entry points; false when the
  // library or one of them is missing. Loading a loaded manager does nothing.
  virtual bool Load() = 0;
  virtual void Unload() = 0;

  virtual odbc::Return AllocEnv(odbc::Handle* env) = 0;
  virtual odbc::Return AllocConnect(odbc::Handle env, odbc::Handle* dbc) = 0;
  // Without a window handle; `in` holds in_length bytes.
  virtual odbc::Return DriverConnect(odbc::Handle dbc, const char* in, int16_t in_length, char* out,
                                     int16_t out_max, int16_t* out_length, uint16_t completion) = 0;
  virtual odbc::Return AllocStmt(odbc::Handle dbc, odbc::Handle* stmt) = 0;
  virtual odbc::Return ExecDirect(odbc::Handle stmt, const char* sql, int32_t length) = 0;
  virtual odbc::Return NumResultCols(odbc::Handle stmt, int16_t* count) = 0;
  virtual odbc::Return DescribeCol(odbc::Handle stmt, uint16_t column, char* name, int16_t name_max,
                                   int16_t* name_length, int16_t* type, odbc::ULen* size,
                                   int16_t* scale, int16_t* nullable) = 0;
  virtual odbc::Return BindCol(odbc::Handle stmt, uint16_t column, int16_t c_type, void* buffer,
                               odbc::Len buffer_length, odbc::Len* indicator) = 0;
  virtual odbc::Return Fetch(odbc::Handle stmt) = 0;
  virtual odbc::Return RowCount(odbc::Handle stmt, odbc::Len* rows) = 0;
  virtual odbc::Return Error(odbc::Handle env, odbc::Handle dbc, odbc::Handle stmt, char* state,
                             int32_t* native, char* message, int16_t message_max,
                             int16_t* message_length) = 0;
  virtual odbc::Return Transact(odbc::Handle env, odbc::Handle dbc, uint16_t completion) = 0;
  virtual odbc::Return FreeStmt(odbc::Handle stmt, uint16_t option) = 0;
  virtual odbc::Return Disconnect(odbc::Handle dbc) = 0;
  virtual odbc::Return FreeConnect(odbc::Handle dbc) = 0;
  virtual odbc::Return FreeEnv(odbc::Handle env) = 0;
};

}  // namespace vestil
