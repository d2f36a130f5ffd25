#pragma once
// ODBC: @SQLINIT, SQLEXEC, SQLDONE, SQLSEP, SQLNULL and &SQLCOUNT, over the
// host's driver manager. One connection at a time; a result set is shown as
// a text table in the console, put into the dialog list, or written to the
// file SQL.DAT.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/shortstring.h"

namespace vestil {

struct Runtime;

// Where SQLEXEC puts a result set; any other mode only counts the rows.
enum SqlMode : int32_t { kSqlToConsole = 0, kSqlToList = 1, kSqlToFile = 2 };

// The display width of a result column: by its SQL type code and size,
// raised to the length of its name.
uint64_t SqlDisplayWidth(int16_t type, uint64_t size, size_t name_length);

// A cell of a console or list line: text cut or padded with blanks to the
// width modulo 256.
void AppendSqlCell(ShortString& line, std::string_view text, uint64_t width);

void RegisterOdbc(Runtime& rt);

}  // namespace vestil
