// The rules of the standard dialogs that need no window: the edit text's
// length limit, the file dialogs' filters, the list box order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dialog_functions.h"

namespace vestil {
namespace {

TEST(EditText, StopsAtTheFirstItemThatReachesTheLimit) {
  // 249 items of 255 characters and CR LF take 63993 characters; the 250th
  // would reach 64250, and a short item after it is left out as well.
  std::vector<ShortString> items(250, ShortString(std::string(255, 'x')));
  items.push_back("kurz");
  EXPECT_EQ(EditText(items).size(), 249u * 257u);
  // 63996 + "a" + CR LF makes 63999: left out; 63995 + 2 + 1 = 63998 stays.
  std::vector<ShortString> edge(249, ShortString(std::string(255, 'x')));
  edge.push_back(ShortString("x"));  // 63993 + 3 = 63996
  edge.push_back(ShortString("a"));
  EXPECT_EQ(EditText(edge).size(), 63996u);
  edge[249] = ShortString("");       // 63993 + 2 = 63995
  EXPECT_EQ(EditText(edge).size(), 63998u);
}

TEST(FileDialogs, OpenTextWithBarIsAFilterList) {
  std::string filter, name = "alt";
  OpenDialogFilter("Texte|*.TXT|Alle|*.*", filter, name);
  EXPECT_EQ(filter, std::string("Texte\0*.TXT\0Alle\0*.*", 20));
  EXPECT_EQ(name, "");
  OpenDialogFilter("C:\\DATEN\\A.TXT", filter, name);
  EXPECT_EQ(filter, "C:\\DATEN\\A.TXT");
  EXPECT_EQ(name, "C:\\DATEN\\A.TXT");
}

TEST(FileDialogs, SavePatternIsTheExtensionFromTheLastDot) {
  EXPECT_EQ(SaveDialogPattern("BRIEF.TXT"), "*.TXT");
  EXPECT_EQ(SaveDialogPattern("a.b.dbf"), "*.dbf");
  EXPECT_EQ(SaveDialogPattern("OHNE"), "*");
  EXPECT_EQ(SaveDialogPattern("C:\\X.D\\NAME"), "*.D\\NAME");
  EXPECT_EQ(SaveDialogPattern("." + std::string(300, 'e')).size(), 255u);
}

TEST(ListDialogs, TemplatesAndSorting) {
  EXPECT_EQ(ListTemplate(0), 7);
  EXPECT_EQ(ListTemplate(9), 7);
  EXPECT_EQ(ListTemplate(8), 8);
  const std::vector<std::string> items = {"Kirsche", "apfel", "Birne", "APFEL", "Apfelmus"};
  EXPECT_EQ(ListBoxOrder(items, false), (std::vector<size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(ListBoxOrder(items, true), (std::vector<size_t>{1, 3, 4, 2, 0}));
}

TEST(AddWindows, PrefixWithoutRegardToCase) {
  EXPECT_TRUE(TitleHasPrefix("Editor - \xc4nderung", ""));
  EXPECT_TRUE(TitleHasPrefix("Editor - \xc4nderung", "eDITOR"));
  EXPECT_TRUE(TitleHasPrefix("\xc4nderung", "\xe4n"));
  EXPECT_FALSE(TitleHasPrefix("Edit", "Editor"));
}

}  // namespace
}  // namespace vestil
