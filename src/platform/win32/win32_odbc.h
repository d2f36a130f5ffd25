#pragma once
// The ODBC driver manager of vestrun.exe (win32_odbc.cpp): ODBC32.DLL, loaded
// with LoadLibrary on the first connect; the 16 entry points are found by
// name and called with the standard calling convention. Free of windows.h.
#include "host/odbc.h"

namespace vestil {

class Win32Odbc : public OdbcDriverManager {
 public:
  bool Load() override;
  void Unload() override;
  odbc::Return AllocEnv(odbc::Handle* env) override;
  odbc::Return AllocConnect(odbc::Handle env, odbc::Handle* dbc) override;
  odbc::Return DriverConnect(odbc::Handle dbc, const char* in, int16_t in_length, char* out, int16_t out_max,
                             int16_t* out_length, uint16_t completion) override;
  odbc::Return AllocStmt(odbc::Handle dbc, odbc::Handle* stmt) override;
  odbc::Return ExecDirect(odbc::Handle stmt, const char* sql, int32_t length) override;
  odbc::Return NumResultCols(odbc::Handle stmt, int16_t* count) override;
  odbc::Return DescribeCol(odbc::Handle stmt, uint16_t column, char* name, int16_t name_max, int16_t* name_length,
                           int16_t* type, odbc::ULen* size, int16_t* scale, int16_t* nullable) override;
  odbc::Return BindCol(odbc::Handle stmt, uint16_t column, int16_t c_type, void* buffer, odbc::Len buffer_length,
                       odbc::Len* indicator) override;
  odbc::Return Fetch(odbc::Handle stmt) override;
  odbc::Return RowCount(odbc::Handle stmt, odbc::Len* rows) override;
  odbc::Return Error(odbc::Handle env, odbc::Handle dbc, odbc::Handle stmt, char* state, int32_t* native,
                     char* message, int16_t message_max, int16_t* message_length) override;
  odbc::Return Transact(odbc::Handle env, odbc::Handle dbc, uint16_t completion) override;
  odbc::Return FreeStmt(odbc::Handle stmt, uint16_t option) override;
  odbc::Return Disconnect(odbc::Handle dbc) override;
  odbc::Return FreeConnect(odbc::Handle dbc) override;
  odbc::Return FreeEnv(odbc::Handle env) override;

 private:
  using Entry = void (*)();
  static constexpr int kEntries = 16;
  template <typename F>
  F At(int index) const {
    return reinterpret_cast<F>(entries_[index]);
  }

  void* library_ = nullptr;  // the module handle
  Entry entries_[kEntries] = {};
};

}  // namespace vestil
