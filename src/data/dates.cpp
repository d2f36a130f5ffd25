// Date texts: @DTOC$, @CTOD$, @DATE$ and @TIME$.
#include "data/dates.h"

#include <cstdio>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

// The month names as stored: "Februar " and "M\xe4rz " end in a blank, so
// format 1 shows two blanks before the year in those months.
const char* const kMonthNames[12] = {"Januar",  "Februar ",  "M\xe4rz ",  "April",   "Mai",      "Juni",
                                     "Juli",    "August",    "September", "Oktober", "November", "Dezember"};
const char* const kWeekdayNames[7] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                      "Donnerstag", "Freitag", "Samstag"};

enum class Order { kDayMonthYear, kMonthDayYear, kYearMonthDay };

Order OrderOf(const DateSettings& s) {
  std::string o = s.order;
  for (auto& c : o) c = UpperLatin1(c);
  if (o == "DMY") return Order::kDayMonthYear;
  if (o == "MDY") return Order::kMonthDayYear;
  return Order::kYearMonthDay;
}

// Characters pos..pos+len-1 (1-based) of s, as far as s reaches.
std::string_view Piece(std::string_view s, size_t pos, size_t len) {
  if (pos > s.size()) return std::string_view();
  return s.substr(pos - 1, len);
}

// A date field: decimal digits only.
bool Number(std::string_view s, int& v) {
  if (s.empty()) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

DateSettings CurrentSettings(Runtime& rt) {
  return MakeDateSettings(rt.host.locale->IntlSetting("sDate", "."), rt.host.locale->IntlSetting("sShortDate", "dd.MM.yyyy"));
}

void Dtoc(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  ShortString s = rt.eval.rr.text();
  if (s.size() != 8) RuntimeWarning(rt, msg::kWrongTypeForDtoc, "");
  TextResult(rt, ctx, DateToLocal(s, CurrentSettings(rt)));
}

void Ctod(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  ShortString s(TrimView(rt.eval.rr.text()));
  const DateSettings settings = CurrentSettings(rt);
  ShortString r = LocalToDate(s, settings);
  // One warning for a text of another length or one whose day and month
  // (in the locale's order) make no date; the conversion stands either way.
  if (s.size() != 10 || !DayAndMonthValid(r)) RuntimeWarning(rt, msg::kWrongTypeForCtod, "");
  int32_t v = 0;
  TextToInt(r, v);
  TextResult(rt, ctx, r);
  rt.eval.rr.l = v;  // the date as a number rides along in the long view
}

void Date(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  const int format = rt.eval.rr.i & 15;
  const LocalTime t = rt.host.system->Now();
  char ymd[32];
  std::snprintf(ymd, sizeof ymd, "%04d%02d%02d", t.year % 10000, t.month % 100, t.day % 100);
  switch (format) {
    case 1: return TextResult(rt, ctx, LongDate(t.year, t.month, t.day, false));
    case 2: return TextResult(rt, ctx, LongDate(t.year, t.month, t.day, true));
    case 3: return TextResult(rt, ctx, ymd);
    case 4: return TextResult(rt, ctx, CurrentSettings(rt).Code());
    default: return TextResult(rt, ctx, DateToLocal(ymd, CurrentSettings(rt)));
  }
}

void Time(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  const LocalTime t = rt.host.system->Now();
  TextResult(rt, ctx, TimeText(t.hour, t.minute, t.second, t.millisecond, rt.eval.rr.i & 1));
}

}  // namespace

DateSettings MakeDateSettings(std::string_view s_date, std::string_view s_short_date) {
  DateSettings d;
  d.separator = s_date.empty() ? '.' : s_date[0];
  if (s_short_date.empty()) s_short_date = "dd.MM.yyyy";
  d.order.assign(1, s_short_date[0]);
  for (char c : s_short_date.substr(1)) {
    if (d.order.size() == 3) break;
    if (c != d.order.back() && c != d.separator) d.order.push_back(c);
  }
  return d;
}

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month != 2) return kDays[month - 1];
  bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) && year % 4000 != 0;
  return leap ? 29 : 28;
}

bool DateValid(int year, int month, int day) {
  if (year >= 0 && year < 100) year += 1900;
  return year >= 1900 && year <= 2078 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

bool DayAndMonthValid(std::string_view yyyymmdd) {
  int year = 2000, month = 0, day = 0;
  // A year that is no number lets 29 February pass; one below 100 is 19xx.
  if (!Number(Piece(yyyymmdd, 1, 4), year)) year = 2000;
  else if (year < 100) year += 1900;
  return Number(Piece(yyyymmdd, 5, 2), month) && Number(Piece(yyyymmdd, 7, 2), day) && day >= 1 &&
         day <= DaysInMonth(year, month);
}

int Weekday(int year, int month, int day) {
  // Days since 1 March of year 0 of the Gregorian calendar; that day was a
  // Wednesday.
  if (month < 3) {
    year -= 1;
    month += 12;
  }
  long days = 365L * year + year / 4 - year / 100 + year / 400 + (153 * (month - 3) + 2) / 5 + day - 1;
  return static_cast<int>((days + 3) % 7);
}

ShortString DateToLocal(std::string_view s, const DateSettings& settings) {
  int year, month, day;
  if (!Number(Piece(s, 1, 4), year) || !Number(Piece(s, 5, 2), month) || !Number(Piece(s, 7, 2), day))
    return ShortString();
  if (year < 100) year += 1900;
  if (!DateValid(year, month, day)) return ShortString();
  char out[32];
  const char sep = settings.separator;
  switch (OrderOf(settings)) {
    case Order::kDayMonthYear: std::snprintf(out, sizeof out, "%02d%c%02d%c%04d", day, sep, month, sep, year); break;
    case Order::kMonthDayYear: std::snprintf(out, sizeof out, "%02d%c%02d%c%04d", month, sep, day, sep, year); break;
    case Order::kYearMonthDay: std::snprintf(out, sizeof out, "%04d%c%02d%c%02d", year, sep, month, sep, day); break;
  }
  return ShortString(std::string_view(out).substr(0, 10));
}

ShortString LocalToDate(std::string_view s, const DateSettings& settings) {
  std::string out;
  switch (OrderOf(settings)) {
    case Order::kDayMonthYear:
      out.append(Piece(s, 7, 4)).append(Piece(s, 4, 2)).append(Piece(s, 1, 2));
      break;
    case Order::kMonthDayYear:
      out.append(Piece(s, 7, 4)).append(Piece(s, 1, 2)).append(Piece(s, 4, 2));
      break;
    case Order::kYearMonthDay:
      out.append(Piece(s, 1, 4)).append(Piece(s, 6, 2)).append(Piece(s, 9, 2));
      break;
  }
  return ShortString(out);
}

ShortString LongDate(int year, int month, int day, bool with_weekday) {
  std::string out;
  if (with_weekday) {
    out = kWeekdayNames[Weekday(year, month, day)];
    out += ", der ";
  }
  out += std::to_string(day);
  out += ". ";
  out += (month >= 1 && month <= 12) ? kMonthNames[month - 1] : "";
  out += ' ';
  out += std::to_string(year);
  return ShortString(out);
}

ShortString TimeText(int hour, int minute, int second, int millisecond, int format) {
  char buf[32];
  if (format & 1) std::snprintf(buf, sizeof buf, "%02d.%02d", second, millisecond);
  else std::snprintf(buf, sizeof buf, "%02d:%02d", hour, minute);
  return ShortString(buf);
}

void RegisterDateFunctions(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[fn::kDtoc] = Dtoc;
  f[fn::kCtod] = Ctod;
  f[fn::kDate] = Date;
  f[fn::kTime] = Time;
}

}  // namespace vestil
