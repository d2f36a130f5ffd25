// The picture formatter, code pages 850 and 1252, date rules and the scramble key.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/cp1252.h"
#include "data/dates.h"
#include "values/convert.h"

namespace vestil {
namespace {

std::string En(std::string_view f, double v) { return FormatPicture(f, v, ".", ",").str(); }
std::string De(std::string_view f, double v) { return FormatPicture(f, v, ",", ".").str(); }

TEST(FormatPicture, PlaceholdersAndRounding) {
  EXPECT_EQ(En("0.00", 0.125), "0.13");    // halfway cases go up
  EXPECT_EQ(En("0.00", -0.125), "-0.13");
  EXPECT_EQ(En("0.00", 1.005), "1.00");    // 1.005 is just below as a double
  EXPECT_EQ(En("0", 0.5), "1");
  EXPECT_EQ(En("0", 0.49), "0");
  EXPECT_EQ(En("0.0", 9.96), "10.0");      // the carry adds an integer digit
  EXPECT_EQ(En("#", 99.5), "100");         // more digits than placeholders
  EXPECT_EQ(En("000.0", 1.25), "001.3");
  EXPECT_EQ(En("#.00", 0.5), ".50");
  EXPECT_EQ(En("0.#0#", 1.5), "1.50");     // "0" after the point forces its place
  EXPECT_EQ(En("x0y", 7), "x7y");          // other characters are copied
  EXPECT_EQ(En("0..0", 7.25), "7.3");      // a second "." is ignored
}

TEST(FormatPicture, Grouping) {
  EXPECT_EQ(En("#,##0", 999), "999");
  EXPECT_EQ(En("#,##0", 1000), "1,000");
  EXPECT_EQ(En("#,##0", -1234567), "-1,234,567");
  EXPECT_EQ(En("0,", 1234), "1,234");       // "," anywhere turns grouping on
  EXPECT_EQ(En("#,##0.0000", 1234.5), "1,234.5000");  // never after the point
  EXPECT_EQ(De("#,##0.00", 1234567.891), "1.234.567,89");
  EXPECT_EQ(FormatPicture("#,##0", 1234567, ".", "").str(), "1234567");  // no separator
}

TEST(FormatPicture, Scientific) {
  EXPECT_EQ(En("0.00E+00", 1234.5), "1.23E+03");
  EXPECT_EQ(En("0.00E+00", 0.0001234), "1.23E-04");
  EXPECT_EQ(En("0.00E-00", 0.0001234), "1.23E-04");
  EXPECT_EQ(En("0.00E-00", 1234.5), "1.23E03");
  EXPECT_EQ(En("0.0E+0", 1e20), "1.0E+20");
  EXPECT_EQ(En("0.0E+000000", 5), "5.0E+0000");  // at most four exponent digits forced
  EXPECT_EQ(En("00.0E+0", 1234.5), "12.3E+2");
  EXPECT_EQ(En("0.00E+00", 9.999), "1.00E+01");
  EXPECT_EQ(En("0.00E+00", -9.999), "-1.00E+01");
  EXPECT_EQ(En("0E+0", 0), "0E+0");
  EXPECT_EQ(En("0.0E", 5), "5.0E");  // "E" without a sign is a plain character
  EXPECT_EQ(De("0.00e+00", 1234.5), "1,23e+03");
}

TEST(FormatPicture, SectionsAndLiterals) {
  const char* f = "#,##0.00;'minus '#,##0.00;\"nichts\"";
  EXPECT_EQ(En(f, 1234.5), "1,234.50");
  EXPECT_EQ(En(f, -1234.5), "minus 1,234.50");
  EXPECT_EQ(En(f, 0), "nichts");
  EXPECT_EQ(En(f, 0.001), "nichts");  // rounds to zero: the zero section
  EXPECT_EQ(En("0.0;-0.0", -0.01), "0.0");  // no zero section: the first, unsigned
  EXPECT_EQ(En("0;;", -5), "-5");     // empty sections fall back to the first
  EXPECT_EQ(En("'a;b'0;x", 1), "a;b1");  // ";" inside quotes does not separate
  EXPECT_EQ(En("0;x;y;z", 0), "y");   // a fourth section is never used
  EXPECT_EQ(En("\"0.#\"0", 3), "0.#3");
  EXPECT_EQ(En("'open", 3), "open");  // an unclosed quote runs to the end
}

TEST(FormatPicture, GeneralForm) {
  EXPECT_EQ(En("", 1234.5), "1234.5");
  EXPECT_EQ(De("", 1234.5), "1234,5");
  EXPECT_EQ(En("", 0), "0");
  EXPECT_EQ(En("", 1.0 / 3), "0.333333333333333");
  EXPECT_EQ(En("", 123456789012345.0), "123456789012345");
  EXPECT_EQ(En("", 1234567890123456.0), "1.23456789012346E15");
  EXPECT_EQ(En("", 0.0001), "0.0001");
  EXPECT_EQ(En("", -0.000015), "-1.5E-5");
  EXPECT_EQ(En("0.00", 1e19), "1E19");  // beyond 18 integer digits
  EXPECT_EQ(En("0", 1e17), "100000000000000000");  // 18 integer digits still fit
  EXPECT_EQ(En("0", 1e18), "1E18");
  EXPECT_EQ(En("0", std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(En("0", std::nan("")), "NAN");
}

TEST(FormatPicture, Limits) {
  EXPECT_EQ(En(std::string(224, '0'), 1).size(), 224u);
  EXPECT_EQ(En(std::string(225, '0'), 1), "");
  EXPECT_EQ(En(std::string(255, '#'), 1), "");
  std::string grouped(224, '0');
  grouped[0] = ',';
  EXPECT_EQ(En(grouped, 1).size(), 255u);  // the result is cut
  EXPECT_EQ(En("0.0000000000000000000000", 0.1), "0.1000000000000000060000");  // 18 digits
  EXPECT_EQ(En("0", 1.7e38).substr(0, 6), "1.7E38");
}

TEST(CodePage850, GermanLettersRoundTrip) {
  EXPECT_EQ(AnsiToOem850("\xe4\xf6\xfc\xdf\xc4\xd6\xdc"), "\x84\x94\x81\xe1\x8e\x99\x9a");
  EXPECT_EQ(Oem850ToAnsi("\x84\x94\x81\xe1\x8e\x99\x9a"), "\xe4\xf6\xfc\xdf\xc4\xd6\xdc");
  // Every Windows-1252 character from 0xA0 up exists in code page 850.
  for (int b = 0xa0; b <= 0xff; ++b) {
    std::string s(1, static_cast<char>(b));
    EXPECT_EQ(Oem850ToAnsi(AnsiToOem850(s)), s) << b;
  }
  for (int b = 0; b < 0x80; ++b) {
    std::string s(1, static_cast<char>(b));
    EXPECT_EQ(AnsiToOem850(s), s);
    EXPECT_EQ(Oem850ToAnsi(s), s);
  }
  EXPECT_EQ(AnsiToOem850("\x8a\x80"), "S?");    // nearest fits
  EXPECT_EQ(Oem850ToAnsi("\xc9\xcd\xbb\xb3\xb1"), "+=+|#");  // box drawing
}

TEST(Cp1252, EveryByteToUtf8AndBack) {
  // Every byte with a character comes back; the five without one go out as
  // the C1 control of their number and read back as "?", as every C1 control.
  for (int b = 0; b < 256; ++b) {
    std::string s(1, static_cast<char>(b));
    bool undefined = b == 0x81 || b == 0x8d || b == 0x8f || b == 0x90 || b == 0x9d;
    EXPECT_EQ(Cp1252Undefined(static_cast<uint8_t>(b)), undefined) << b;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(s)), undefined ? "?" : s) << b;
  }
  EXPECT_EQ(Cp1252ToUtf8("\x81\x80\x9f"), "\xc2\x81\xe2\x82\xac\xc5\xb8");
  EXPECT_EQ(UnicodeToCp1252(0x80), -1);
  EXPECT_EQ(UnicodeToCp1252(0x20ac), 0x80);
  EXPECT_EQ(Utf8ToCp1252("\xe2\x86\x92\xff"), "?\xff");  // no form; not UTF-8: kept
}

TEST(Dates, LeapYearsAndLimits) {
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2026, 2), 28);
  EXPECT_EQ(DaysInMonth(4000, 2), 28);  // divisible by 4000
  EXPECT_EQ(DaysInMonth(8000, 2), 28);
  EXPECT_EQ(DaysInMonth(2026, 13), 0);
  EXPECT_TRUE(DateValid(1900, 1, 1));
  EXPECT_TRUE(DateValid(2078, 12, 31));
  EXPECT_FALSE(DateValid(2079, 1, 1));
  EXPECT_FALSE(DateValid(1899, 12, 31));
  EXPECT_TRUE(DateValid(99, 12, 31));   // 1999
  EXPECT_TRUE(DateValid(0, 1, 1));      // 1900
  EXPECT_FALSE(DateValid(100, 1, 1));
  EXPECT_FALSE(DateValid(2026, 0, 1));
  EXPECT_FALSE(DateValid(2026, 1, 0));
}

TEST(Dates, Weekdays) {
  EXPECT_EQ(Weekday(2026, 12, 6), 0);  // Sunday
  EXPECT_EQ(Weekday(2000, 1, 1), 6);   // Saturday
  EXPECT_EQ(Weekday(2000, 2, 29), 2);  // Tuesday
  EXPECT_EQ(Weekday(1900, 1, 1), 1);   // Monday
  EXPECT_EQ(Weekday(2078, 12, 31), 6); // Saturday
}

TEST(Dates, OrderFromTheShortFormat) {
  EXPECT_EQ(MakeDateSettings(".", "dd.MM.yyyy").Code(), ".dMy");
  EXPECT_EQ(MakeDateSettings("", "").Code(), ".dMy");
  EXPECT_EQ(MakeDateSettings("/", "M/d/yy").Code(), "/Mdy");
  EXPECT_EQ(MakeDateSettings("-", "yyyy-MM-dd").Code(), "-yMd");
  EXPECT_EQ(MakeDateSettings("/", "d").Code(), "/d");
  // The third letter only has to differ from the second.
  EXPECT_EQ(MakeDateSettings(".", "dd.MM.dd").Code(), ".dMd");
}

TEST(Dates, LocalFormsBothWays) {
  DateSettings de = MakeDateSettings(".", "dd.MM.yyyy");
  DateSettings us = MakeDateSettings("/", "MM/dd/yyyy");
  DateSettings iso = MakeDateSettings("-", "yyyy-MM-dd");
  EXPECT_EQ(DateToLocal("20260105", de).str(), "05.01.2026");
  EXPECT_EQ(DateToLocal("20260105", us).str(), "01/05/2026");
  EXPECT_EQ(DateToLocal("20260105", iso).str(), "2026-01-05");
  EXPECT_EQ(LocalToDate("05.01.2026", de).str(), "20260105");
  EXPECT_EQ(LocalToDate("01/05/2026", us).str(), "20260105");
  EXPECT_EQ(LocalToDate("2026-01-05", iso).str(), "20260105");
  EXPECT_EQ(DateToLocal("2026010", de).str(), "");
  EXPECT_EQ(DateToLocal("+2026010", de).str(), "");
  EXPECT_EQ(LocalToDate("", de).str(), "");
}

TEST(Dates, LongFormsAndTimes) {
  EXPECT_EQ(LongDate(2026, 3, 1, false).str(), "1. M\xe4rz  2026");
  EXPECT_EQ(LongDate(2026, 12, 31, true).str(), "Donnerstag, der 31. Dezember 2026");
  EXPECT_EQ(TimeText(0, 0, 0, 0, 0).str(), "00:00");
  EXPECT_EQ(TimeText(23, 59, 59, 999, 1).str(), "59.999");
  EXPECT_EQ(TimeText(23, 59, 0, 0, 1).str(), "00.00");
}

TEST(Scramble, KeyAndInverse) {
  EXPECT_TRUE(MakeScrambleKey("").empty());
  ShortString k = MakeScrambleKey("ABCD");
  ASSERT_EQ(k.size(), 255u);
  EXPECT_EQ(k.byte(0), 0x40);   // 'A' = 0x41: low bits 01
  EXPECT_EQ(k.byte(3), 0x00);   // 'D' = 0x44: low bits 00
  EXPECT_EQ(k.byte(254), 0xc0); // 255 = 63 * 4 + 3: the last copy is cut
  std::string all;
  for (int b = 0; b < 255; ++b) all.push_back(static_cast<char>(b + 1));
  ShortString once = Scramble(all, k);
  EXPECT_NE(once.view(), std::string_view(all));
  EXPECT_EQ(Scramble(once, k).view(), std::string_view(all));
  for (size_t i = 0; i < once.size(); ++i) EXPECT_EQ(once.byte(i) & 0x3f, (i + 1) & 0x3f);
  EXPECT_EQ(Scramble("abc", ShortString("short")).view(), "abc");  // not a 255-byte key
}

}  // namespace
}  // namespace vestil
