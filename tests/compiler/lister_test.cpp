// The lister: readable listings of compiled programs, exact listings of odd
// and mutated files.
#include <gtest/gtest.h>

#include <random>

#include "test_util.h"
#include "vestcomp/lister.h"

namespace vestcomp_test {
namespace {

using vestcomp::ListProgram;

// Compiling the listing gives the bytes back; returns the listing.
std::string RoundTrip(const std::string& bytes) {
  auto listed = ListProgram(bytes);
  EXPECT_FALSE(listed.raw_fallback) << listed.text;
  vestcomp::CompileOptions options;
  options.checks = false;
  options.read_file = [](const std::filesystem::path&, std::string&) { return false; };
  auto back = vestcomp::CompileSource(listed.text, "listing.vsl", options);
  EXPECT_TRUE(back.ok) << listed.text << "\n" << (back.errors.empty() ? "" : back.errors[0]);
  EXPECT_EQ(back.program, bytes) << listed.text;
  return listed.text;
}

std::string Program(const std::vector<std::string>& lines, const std::string& header = vestcomp::StandardHeader()) {
  vestcomp::ProgramImage image{header, lines, ""};
  return vestcomp::SerializeProgram(image);
}

// The listing of one line in a plain program.
std::string ListOne(const std::string& body) {
  std::string text = RoundTrip(Program({body}));
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

const char* const kRichSource =
    "' sample: every construct\n"
    "DECLARE a%, s$\n"
    "a% = @ADD(1, @MUL(2, 3))\n"
    "s$ = \"Grüße, \\n\", $VERSION; %TIMER\n"
    "SHOW a%, s$\n"
    "IF @GT(a%, 2)\n"
    "WHILE @LT(a%, 10)\n"
    "INC a%\n"
    "WEND\n"
    "ELSEIF @EQU(a%, 0)\n"
    "PRINT @SQUARE(a%), @ANSWER()\n"
    "ELSE\n"
    "CASE @EQU(a%, 1) : CASENOT @EQU$(s$, \"x:y\") : GOTO \"DONE\"\n"
    "ENDIF\n"
    "DONE: ' the end\n"
    "END\n"
    "DEFFN SQUARE(1) @MUL(@%(1), @%(1))\n"
    "DEFFN ANSWER(0) 42\n"
    "PROC SHOW ' n%, s$\n"
    "PARAMETERS n%, t$\n"
    "PRINT n%; t$, @$(0)\n"
    "ENDPROC\n";

TEST(Listing, CompiledProgramsListReadablyWithNamesAndIndentation) {
  auto r = Compile(kRichSource);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(RoundTrip(r.program),
            "' sample: every construct\n"
            "DECLARE a%, s$\n"
            "a% = @ADD(1, @MUL(2, 3))\n"
            "s$ = \"Grüße, \\n\", $VERSION; %TIMER\n"
            "SHOW a%, s$\n"
            "IF @GT(a%, 2)\n"
            "  WHILE @LT(a%, 10)\n"
            "    INC a%\n"
            "  ENDWHILE\n"
            "ELSEIF @EQU(a%, 0)\n"
            "  PRINT @FN17(a%), @FN18()\n"
            "ELSE\n"
            "  CASE @EQU(a%, 1) : CASENOT @EQU$(s$, \"x:y\") : GOTO \"DONE\"\n"
            "ENDIF\n"
            "DONE: ' the end\n"
            "END\n"
            "DEFFN FN17(1) @MUL(@%(1), @%(1))\n"
            "DEFFN FN18(0) 42\n"
            "PROC SHOW ' n%, s$\n"
            "  PARAMETERS n%, t$\n"
            "  PRINT n%; t$, @$(0)\n"
            "ENDPROC\n");
}

TEST(Listing, ScrambledProgramsKeepTheirMarker) {
  auto r = Compile("PRINT 1", {}, " \\x{01}");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(RoundTrip(r.program), "#SCRAMBLE \\x{20}\\x{01}\nPRINT 1\n");
  r = Compile("PRINT 1", {}, "Q ");
  EXPECT_EQ(RoundTrip(r.program), "#SCRAMBLE Q\\x{20}\nPRINT 1\n");
}

TEST(Listing, ForeignHeadersShortFilesAndBrokenLinesAreKeptExactly) {
  EXPECT_EQ(RoundTrip(""), "#HEADER\n");
  EXPECT_EQ(RoundTrip(" KVN"), "#HEADER 20 4B 56 4E\n");
  std::string header(" KVN-VESTIL3" + std::string(20, '\0'));
  header[20] = 'a';
  header[21] = 'b';
  std::string text = RoundTrip(Program({"\xa2" "1"}, header));
  EXPECT_EQ(text.substr(0, 8), "#HEADER ");
  EXPECT_NE(text.find("\nPRINT 1\n"), std::string::npos);
  // A length of 255 and a truncated line end the lines; the rest is a trailer.
  text = RoundTrip(Program({"\xbf"}) + "\xff" + std::string(255, '\''));
  EXPECT_NE(text.find("END\n#TRAILER FF 27 27"), std::string::npos);
  text = RoundTrip(Program({"\xbf"}) + "\x05" "ab");
  EXPECT_EQ(text, "END\n#TRAILER 05 61 62\n");
}

TEST(Listing, WhatCannotBeNamedIsEscaped) {
  const std::pair<std::string, const char*> rows[] = {
      {"", "#RAW"}, {B("\xa2" "1,@"), "PRINT 1, \\x{40}"}, {B("\xa2@\x81" "1,2"), "PRINT \\x{40}\\x{81}1, 2"},
      {B("\xa2\"\\x{41}\""), "PRINT \"\\x{5C}x{41}\""}, {B("\xa2%TIMER,%\xc7x"), "PRINT \\x{25}TIMER, %TIMER\\x{78}"},
      {B("\xa2@\x61\x01\x00" "1)"), "PRINT @\\x{61}\\x{01}\\x{00}(1)"},
      {B("\xa2 (x)\""), "PRINT \\x{20}\\x{28}x\\x{29}\\x{22}"}, {B("\x41\x05\x00" "1"), "\\x{41} \\x{05}\\x{00}1"},
      {B("\xff\x05\x00" "1"), "\\x{FF} \\x{05}\\x{00}1"}, {B("\x27 tail  "), "' tail \\x{20}"},
      {B("\x27\x09\x81\xa0"), "'\\x{09}\\x{81}\\x{A0}"}, {B("\x82" "1:\x81" "1:\xbf"), "CASENOT 1 : \\x{81} 1:¿"},
      {B("\x81" "1:"), "\\x{81} 1:"}, {B("\xa2" "=1"), "\\x{A2} =1"}, {B("\xfe" "A B:"), "\\x{FE} A\\x{20}B:"}};
  for (auto& [body, text] : rows) EXPECT_EQ(ListOne(body), text);
}

TEST(Listing, CallsAreNamedOnlyWhenTheNameCompilesBack) {
  // A procedure with a keyword name, twice the same name, a call to a line
  // that is no PROC.
  std::string text = RoundTrip(Program({B("\x8f" "PRINT"), B("\x8c"), B("\xff\x01\x00"), B("\x8f" "p"),
                                        B("\x8f" "P"), B("\xff\x04\x00" "1"), B("\xff\x05\x00"),
                                        B("\xff\x02\x00")}));
  EXPECT_EQ(text,
            "PROC PRINT\n"
            "ENDPROC\n"
            "\\x{FF} \\x{01}\\x{00}\n"
            "PROC p\n"
            "  \\x{8F} P\n"
            "    p 1\n"
            "    \\x{FF} \\x{05}\\x{00}\n"
            "    \\x{FF} \\x{02}\\x{00}\n");
  // Definitions without our marker cannot be written as DEFFN; calls whose
  // argument count differs from the definition are written raw.
  text = RoundTrip(Program({B("\x83" "XXXX1)@%1)"), B("\x83" "DEFN2)@%1)"), B("\xa2@\x60\x01\x00" "5)"),
                            B("\xa2@\x60\x02\x00" "5)"), B("\xa2@\x60\x02\x00" "5,6)")}));
  EXPECT_EQ(text,
            "\\x{83} XXXX1\\x{29}@%(1)\n"
            "DEFFN FN2(2) @%(1)\n"
            "PRINT @\\x{60}\\x{01}\\x{00}(5)\n"
            "PRINT @\\x{60}\\x{02}\\x{00}(5)\n"
            "PRINT @FN2(5, 6)\n");
}

TEST(Listing, LinesBeyond32767BecomeTheTrailer) {
  std::vector<std::string> lines(32768, B("\xbf"));
  std::string text = RoundTrip(Program(lines));
  EXPECT_EQ(text.substr(text.size() - 19), "END\n#TRAILER 01 BF\n");
}

// Bytes that mean something to the compiler, lister or runtime.
const std::string kInteresting = B("@\"():,;%$&!#'=\\x{} \t\x60\x81\x82\x83\x8f\xc7\xc4\xff\x00");

// Mutations of the rich program (bytes changed, dropped, inserted, the file
// cut): listed and compiled back exactly.
TEST(ListingFuzz, MutatedFilesListAndCompileBackExactly) {
  auto r = Compile(kRichSource);
  ASSERT_TRUE(r.ok);
  std::mt19937 rng(4711);
  std::uniform_int_distribution<int> pct(0, 99), byte(0, 255);
  for (int i = 0; i < 6000 && !HasFailure(); ++i) {
    std::string bytes = r.program;
    if (i % 50 == 0) bytes.replace(0, 32, std::string(32, static_cast<char>(byte(rng))));  // a foreign header
    for (int m = std::uniform_int_distribution<int>(1, 6)(rng); m > 0; --m) {
      const size_t pos = std::uniform_int_distribution<size_t>(32, bytes.size() - 1)(rng);
      const int kind = pct(rng);
      if (kind < 50) bytes[pos] = static_cast<char>(byte(rng));
      else if (kind < 70) bytes[pos] = kInteresting[byte(rng) % kInteresting.size()];
      else if (kind < 85) bytes.erase(pos, 1);
      else bytes.insert(pos, 1, static_cast<char>(byte(rng)));
      if (bytes.size() < 34) break;
    }
    if (pct(rng) < 5) bytes.resize(std::uniform_int_distribution<size_t>(0, bytes.size())(rng));
    SCOPED_TRACE("file " + std::to_string(i));
    RoundTrip(bytes);
  }
}

}  // namespace
}  // namespace vestcomp_test
