#pragma once
// Date texts: dBase dates (YYYYMMDD) to and from the local short date, and
// today's date and the current time in fixed formats.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/shortstring.h"

namespace vestil {

struct Runtime;

// The local date settings: the separator and the order of day, month and year.
struct DateSettings {
  char separator = '.';
  std::string order = "dMy";  // the three order letters as the short format has them
  // The 4-character order code that @DATE$(4) shows: separator and letters.
  std::string Code() const { return std::string(1, separator) + order; }
};

// From the profile entries sDate (separator: its first character) and
// sShortDate (order: its first letter, then the next letter that differs from
// the one before and from the separator, then once more).
DateSettings MakeDateSettings(std::string_view s_date, std::string_view s_short_date);

// A year below 100 is taken as 19xx. Valid: 1900..2078, month 1..12, day
// within the month; February has 29 days in leap years (divisible by 4, not
// by 100 unless by 400, and never by 4000).
bool DateValid(int year, int month, int day);
int DaysInMonth(int year, int month);
// The day and month of a YYYYMMDD text are digits and a day of that month
// (of that year when the year is a number; 29 February passes otherwise).
bool DayAndMonthValid(std::string_view yyyymmdd);
// 0 = Sunday .. 6 = Saturday.
int Weekday(int year, int month, int day);

// @DTOC$ without its length check: the empty text for a date that is not valid.
ShortString DateToLocal(std::string_view yyyymmdd, const DateSettings& settings);
// @CTOD$ without its length check: YYYYMMDD from the local form.
ShortString LocalToDate(std::string_view local, const DateSettings& settings);
// @DATE$ formats 1 and 2: "6. Dezember 2026", "Sonntag, der 6. Dezember 2026".
ShortString LongDate(int year, int month, int day, bool with_weekday);
// @TIME$: "14:05" (format 0) or seconds and milliseconds "07.42" (format 1).
ShortString TimeText(int hour, int minute, int second, int millisecond, int format);

void RegisterDateFunctions(Runtime& rt);

}  // namespace vestil
