// The INI text engine of the console runner: byte-exact results of updates
// and the lookup rules.
#include <gtest/gtest.h>

#include <string>

#include "platform/terminal/profile_file.h"

namespace vestil {
namespace {

std::string Lookup(std::string_view content, std::string_view section, std::string_view key) {
  std::string v = "<none>";
  IniLookup(content, section, key, v);
  return v;
}

TEST(IniUpdate, NewFileSectionAndKey) {
  EXPECT_EQ(IniUpdate("", "S", "k", "v"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(IniUpdate("", " S ", " k ", "  v  "), "[S]\r\nk=v\r\n");
  EXPECT_EQ(IniUpdate("[S]\r\nk=v\r\n", "T", "a", ""), "[S]\r\nk=v\r\n\r\n[T]\r\na=\r\n");
  // A last line without its end gets one; line ends follow the first line.
  EXPECT_EQ(IniUpdate("[S]\nk=v", "T", "a", "b"), "[S]\nk=v\n\n[T]\na=b\n");
  EXPECT_EQ(IniUpdate("[S]\n\n", "T", "a", "b"), "[S]\n\n[T]\na=b\n");
}

TEST(IniUpdate, ExistingKeyKeepsItsLineUpToTheValue) {
  EXPECT_EQ(IniUpdate("[s]\nKey = old\nk2=x\n", "S", "KEY", "new"), "[s]\nKey = new\nk2=x\n");
  EXPECT_EQ(IniUpdate("[s]\n  Key=old", "s", "key", "n"), "[s]\n  Key=n");
  EXPECT_EQ(IniUpdate("[s]\nk=\n", "s", "k", "v"), "[s]\nk=v\n");
  // Only the first section of a name and its first key count.
  EXPECT_EQ(IniUpdate("[a]\nk=1\nk=2\n[A]\nk=3\n", "A", "k", "x"), "[a]\nk=x\nk=2\n[A]\nk=3\n");
}

TEST(IniUpdate, NewKeyAfterTheLastLineOfItsSection) {
  EXPECT_EQ(IniUpdate("[a]\nx=1\n\n; c\n\n[b]\n", "a", "y", "2"), "[a]\nx=1\n\n; c\ny=2\n\n[b]\n");
  EXPECT_EQ(IniUpdate("[a]\n[b]\n", "a", "y", "2"), "[a]\ny=2\n[b]\n");
  EXPECT_EQ(IniUpdate("[a]", "a", "y", "2"), "[a]\r\ny=2\r\n");
  // Keys before the first section belong to none.
  EXPECT_EQ(IniUpdate("k=1\n", "a", "k", "2"), "k=1\n\n[a]\nk=2\n");
}

TEST(IniLookup, Rules) {
  const char* ini =
      "k=outside\n"
      "[ Farben ]\n"
      "Hinter = blau \r\n"
      "quoted=\"  a b  \"\n"
      "single='x'\n"
      "half=\"x\n"
      "nothing\n"
      "empty=\n"
      "[Farben]\n"
      "vorder=rot\n"
      "[\xc4rger]\n"
      "\xfc=1\n";
  EXPECT_EQ(Lookup(ini, "FARBEN", "hinter"), "blau");
  EXPECT_EQ(Lookup(ini, "farben", "quoted"), "  a b  ");
  EXPECT_EQ(Lookup(ini, "farben", "single"), "x");
  EXPECT_EQ(Lookup(ini, "farben", "half"), "\"x");
  EXPECT_EQ(Lookup(ini, "farben", "empty"), "");
  EXPECT_EQ(Lookup(ini, "farben", "nothing"), "<none>");
  EXPECT_EQ(Lookup(ini, "farben", "vorder"), "<none>");  // in the second [Farben]
  EXPECT_EQ(Lookup(ini, "farben", "k"), "<none>");
  EXPECT_EQ(Lookup(ini, "\xe4rger", "\xdc"), "1");      // Latin-1 letters in either case
  EXPECT_EQ(Lookup(ini, "fehlt", "k"), "<none>");
  EXPECT_EQ(Lookup("", "a", "b"), "<none>");
}

}  // namespace
}  // namespace vestil
