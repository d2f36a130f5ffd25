// The compiler, lister and binder: byte-exact lines, errors and warnings, listings, the binder's slot.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "vestcomp/binder.h"
#include "vestcomp/compiler.h"
#include "vestcomp/lister.h"
#include "vestcomp/program_file.h"

namespace vestcomp_test {
namespace {

using vestcomp::ParseProgram;

// Compiles `source` as "prog.vsl" without the checks; INCLUDE files come from `files`.
vestcomp::CompileResult Compile(const std::string& source, const std::map<std::string, std::string>& files = {},
                                std::optional<std::string> scramble = std::nullopt) {
  vestcomp::CompileOptions options;
  options.scramble = scramble;
  options.checks = false;
  options.read_file = [files](const std::filesystem::path& p, std::string& text) {
    auto it = files.find(p.generic_string());
    return it != files.end() && (text = it->second, true);
  };
  return vestcomp::CompileSource(source, "prog.vsl", options);
}

// The line bodies of a source that must compile.
std::vector<std::string> Lines(const std::string& source) {
  auto r = Compile(source);
  EXPECT_TRUE(r.ok) << (r.errors.empty() ? "" : r.errors[0]);
  return ParseProgram(r.program).lines;
}

// The first error of a source that must not compile.
std::string Error(const std::string& source, const std::map<std::string, std::string>& files = {}) {
  auto r = Compile(source, files);
  EXPECT_TRUE(!r.ok && r.program.empty()) << source;
  return r.errors.empty() ? std::string() : r.errors[0];
}

// Bytes from a string literal with embedded zeros: B("\xce" "a%=1").
template <size_t N>
std::string B(const char (&s)[N]) {
  return std::string(s, N - 1);
}

// The scramble marker XORs bodies, not lengths; the option wins over the directive.
TEST(Compiler, HeaderAndScramble) {
  EXPECT_EQ(Compile("\n   \n\t\n").program, std::string(" KVN-VESTIL3VESTCOMP  1.0       "));
  const std::string r = Compile("#SCRAMBLE xy\nPRINT 1\nEND", {}, "AB").program;
  const char key = 'A' | 'B';
  EXPECT_EQ(r.substr(20), std::string("AB") + r.substr(22, 10) + "\x02" + char(0xa2 ^ key) + char('1' ^ key) + "\x01" +
                              char(0xbf ^ key));
  EXPECT_EQ(ParseProgram(r).lines, (std::vector<std::string>{B("\xa2" "1"), B("\xbf")}));
  EXPECT_FALSE(Compile("PRINT 1", {}, "ABC").ok);
  EXPECT_EQ(Compile("#HEADER 20 4B").program, " K");
}

TEST(Compiler, LinesAreByteExact) {
  const std::pair<std::string, std::string> rows[] = {
      // Keywords in any case; blanks go outside quotes; WEND is ENDWHILE.
      {"  print  \"a  b\" , x% ;  y$  ", B("\xa2\"a  b\",x%;y$")}, {"PRINT", B("\xa2")}, {"wend", B("\x8a")},
      {"Dim% 10", B("\xc8" "10")}, {"SETARRAY$ 3 = \"x y\"", B("\xc7" "3=\"x y\"")}, {"EVAL @NOP()", B("\x5a@\xfe)")},
      {"PRINT \"tab\there\", \"\\n\\\\\"", B("\xa2\"tab\there\",\"\\n\\\\\"")},
      // Assignments, labels, comments; a keyword before "=" assigns, before ":" labels.
      {"Name$ = \"a\" , \"b\" ; \"c\"", B("\xce" "Name$=\"a\",\"b\";\"c\"")}, {"x%=@ADD(1, 2)", B("\xce" "x%=@\x81" "1,2)")},
      {"Loop:", B("\xfe" "Loop:")}, {"START: ' a  note", B("\xfe" "START: ' a  note")},
      {"'  kept   as is ", B("\x27" "  kept   as is")}, {"@MESSAGEBOX(\"a\", 1)", B("\x40@\x9b\"a\",1)")},
      {"END% = 1", B("\xce" "END%=1")}, {"ELSE:", B("\xfe" "ELSE:")}, {"INCLUDE:", B("\xfe" "INCLUDE:")},
      // System variables only with their own kind character, not in names, hex literals or quotes.
      {"PRINT %TIMER, $version, &TICKS, !INPUTFLOAT", B("\xa2%\xc7,$\xc4,&\xc0,!\x84")},
      {"PRINT %VERSION, $1F, $FF, %TIMERX, A%TIMER, \"%TIMER\"", B("\xa2%VERSION,$1F,$FF,%TIMERX,A%TIMER,\"%TIMER\"")},
      {"a% = @ADD(%ONE, %ZERO)", B("\xce" "a%=@\x81%\xbf,%\xc5)")},
      // Calls lose their opening parenthesis.
      {"PRINT @ADD(@MUL(2, 3), @STR$(1.5))", B("\xa2@\x81@\x83" "2,3),@\x9a" "1.5))")}, {"PRINT @pi ( )", B("\xa2@\xab)")},
      {"PRINT @%(1), @&(2), @!(3), @$(12)", B("\xa2@%1),@&2),@!3),@$12)")},
      {"PRINT @LEN(\"(a)\"), @LEN(\")\")", B("\xa2@\x96\"(a)\"),@\x96\")\")")},
      // CASE prefixes split outside quotes and parentheses.
      {"CASE @EQU(a%, 1) : PRINT \"x:y\"", B("\x81@\x8a" "a%,1):\xa2\"x:y\"")},
      {"CASE \"a:b\" : CASENOT @EQU$(s$, \":\") : GOTO \"L\"", B("\x81\"a:b\":\x82@\x8ds$,\":\"):\x8d\"L\"")},
      {"CASENOT x% : a% = 1", B("\x82x%:\xce" "a%=1")}, {"CASE 1 : @NOP()", B("\x81" "1:\x40@\xfe)")},
      // Escapes are plain data (more in the lister's round trips).
      {"PRINT \"\\x{22}\\x{0D}\\x{5c}x{41}\"", B("\xa2\"\"\r\\x{41}\"")}, {"PRINT \\x{22} a b", B("\xa2\"ab")},
      // UTF-8 becomes Windows-1252; a byte order mark and CR go.
      {"PRINT \"Grüße € „x“ ½\"", B("\xa2\"Gr\xfc\xdf" "e \x80 \x84x\x93 \xbd\"")}, {"\xEF\xBB\xBFPRINT 1\r", B("\xa2" "1")},
  };
  for (auto& [source, bytes] : rows) EXPECT_EQ(Lines(source), std::vector<std::string>{bytes}) << source;
  // Blanks outside quotes do not count towards the 254 bytes.
  EXPECT_EQ(Lines("PRINT \"" + std::string(251, 'x') + "\"")[0].size(), 254u);
  EXPECT_EQ(Lines("PRINT " + std::string(300, ' ') + "1")[0].size(), 2u);
  EXPECT_EQ(Lines("#RAW " + std::string(254, 'r'))[0].size(), 254u);
}

TEST(Compiler, ErrorsNameWhatIsWrong) {
  std::string deep = "PRINT ";
  for (int i = 0; i < 150; ++i) deep += "@NOT(";
  const std::pair<std::string, const char*> rows[] = {
      {"#SCRAMBLE x", "two characters"}, {"#HEADER 20 4B\nEND", "shorter than 32"}, {"#HEADER 2", "hex"},
      {"#BOGUS 1", "unknown directive"},
      {"PRINT @NOSUCH(1)", "unknown function @NOSUCH"}, {"PRINT @ADD(1, 2", "missing ')'"},
      {"PRINT 1, @", "function name expected"}, {"PRINT @%1", "'(' expected"},
      {"PRINT \"open", "unbalanced quotes"}, {deep + "1" + std::string(150, ')'), "nested too deeply"},
      {"DEFFN ADD(2) 1", "built-in"}, {"DEFFN F(1) 1\nDEFFN f(1) 2", "already defined in program line 1"},
      {"DEFFN F(13) 1", "0..12"}, {"DEFFN F(1)", "needs a body"}, {"DEFFN F 1", "parameter count"},
      {"DEFFN (1) 1", "function name"}, {"DEFFN F(2) 1\nPRINT @F(1)", "takes 2 argument(s), not 1"},
      {"NOSUCH 1", "unknown keyword or procedure: NOSUCH"},
      {"PROC A\nENDPROC\nPROC a\nENDPROC", "already defined in program line 1"}, {"PROC\nENDPROC", "procedure name"},
      {"PROC A\nENDPROC\nCASE 1 : A", "procedure call cannot follow CASE"},
      // The loop resolves CASE then CASENOT, once each.
      {"CASENOT 1 : CASE 1 : END", "would not be run"}, {"CASE 1 END", "needs ':'"},
      {"CASE : END", "needs a condition"}, {"CASE 1 :  ", "statement missing"}, {"CASE 1 : L:", "label cannot follow"},
      {"CASE 1 : DEFFN F(0) 1", "own"}, {"INCLUDE a.vsl", "double quotes"},
      {"PRINT \\x{GG}", "malformed escape"},
      {"PRINT \"→\"", "U+2192 has no Windows-1252 form"}, {"PRINT \"\xC3\"", "not valid UTF-8"},
      {"PRINT \"\xC2\x81\"", "U+0081"},
      {"END\nPRINT \"" + std::string(252, 'x') + "\"",
       "prog.vsl:2: error: the line has 255 bytes after compilation, at most 254 are allowed: split the statement"},
      {"END\ninclude \"none.vsl\"",
       "prog.vsl:2: error: INCLUDE file not found: none.vsl (the name is relative to the including file)"},
  };
  for (auto& [source, part] : rows) EXPECT_THAT(Error(source), ::testing::HasSubstr(part)) << source;
  EXPECT_FALSE(Compile("#RAW " + std::string(255, 'r')).ok);
  EXPECT_EQ(Error("INCLUDE \"a.vsl\"", {{"a.vsl", "END\nINCLUDE \"b.vsl\"\n"}, {"b.vsl", "END"}}),
            "a.vsl:2: error: INCLUDE inside an included file: write the INCLUDE in the main file");
  // Every error names file and line; nothing else stops.
  auto r = Compile("END\n\nPRINT @X(1)\nBAD\nPRINT 1");
  EXPECT_EQ(r.errors, (std::vector<std::string>{"prog.vsl:3: error: unknown function @X",
                                                "prog.vsl:4: error: unknown keyword or procedure: BAD"}));
  std::string src;
  for (int i = 0; i < 32767; ++i) src += "END\n";
  EXPECT_EQ(Compile(src).program.size(), 32u + 2u * 32767u);
  EXPECT_EQ(Error(src + "\n\n' one more"), "prog.vsl:32770: error: more than 32767 program lines");
}

TEST(Compiler, FunctionsAndProceduresStoreTheirLine) {
  auto lines = Lines(
      "PRINT @SQUARE(3)\nDEFFN SQUARE(1) @MUL(@%(1), @%(1))\nDEFFN ANSWER() 42\n"
      "DEFFN Two$(2) @ADD$(@$(1), @$(2))\nPRINT @square(@ANSWER()), @TWO$(\"a\", \"b\")\n"
      "SHOW 1, \"a b\"\nPROC SHOW ' two parameters\nPARAMETERS n%, s$\nENDPROC\nshow\n"
      "PROC PRINT\nENDPROC\nPRINT 1\n");  // keywords win over procedures
  EXPECT_EQ(lines, (std::vector<std::string>{
      B("\xa2@\x60\x02\x00" "3)"), B("\x83" "DEFN1)@\x83@%1),@%1))"), B("\x83" "DEFN0)42"),
      B("\x83" "DEFN2)@\x92@$1),@$2))"), B("\xa2@\x60\x02\x00@\x60\x03\x00)),@\x60\x04\x00\"a\",\"b\")"),
      B("\xff\x07\x00" "1,\"a b\""), B("\x8f" "SHOW ' two parameters"), B("\xcf" "n%,s$"), B("\x8c"),
      B("\xff\x07\x00"), B("\x8f" "PRINT"), B("\x8c"), B("\xa2" "1")}));
  EXPECT_TRUE(Compile("DEFFN F(12) 1\nPRINT @F(1,2,3,4,5,6,7,8,9,10,11,12)").ok);
  // Line numbers above 255 use the high byte, forward and backward.
  std::string src = "PRINT @F(1)\nP\n";
  for (int i = 0; i < 600; ++i) src += "END\n";
  src += "DEFFN F(1) @%(1)\nPROC P\nENDPROC\nP 7\n";  // DEFFN on line 603 = 0x025b, PROC 604
  lines = Lines(src);
  EXPECT_EQ(lines[0], B("\xa2@\x60\x5b\x02" "1)"));
  EXPECT_EQ(lines[1], B("\xff\x5c\x02"));
  EXPECT_EQ(lines.back(), B("\xff\x5c\x02" "7"));
}

// The checks' diagnostics (line:column, how each begins); each names what to write instead.
std::vector<std::string> Checked(const std::string& source, bool werror = false) {
  vestcomp::CompileOptions options;
  options.warnings_as_errors = werror;
  auto r = vestcomp::CompileSource(source, "prog.vsl", options);
  for (const auto& m : r.messages) EXPECT_NE(m.find("write"), std::string::npos) << m;
  return r.messages;
}

MATCHER_P(Starts, prefix, "") { return arg.rfind(prefix, 0) == 0; }
using ::testing::ElementsAre;

TEST(Checks, BlocksJumpTargetsAndArgumentCountsAreErrors) {
  EXPECT_THAT(Checked("IF 1\nWHILE 1\nENDIF\nENDWHILE\nELSE\nENDPROC\nPROC P\n  IF 1\n  ELSE\n  ELSEIF 1\n"
                      "  ELSE\nENDPROC\nGOTO \"nirgends\"\nGOSUB \"p\"\nP:\nPRINT @MUL(2, 3, 4); @pi(); @LEN(@ADD(1))\n"
                      "ENDPAINT\nSTARTPRINT\nWHILE 0"),
              ElementsAre(Starts("prog.vsl:3:1: error: ENDIF closes the IF of line 1, but the WHILE of line 2"),
                          Starts("prog.vsl:4:1: error: ENDWHILE without WHILE"),
                          Starts("prog.vsl:5:1: error: ELSE without IF"),
                          Starts("prog.vsl:6:1: error: ENDPROC without PROC"),
                          Starts("prog.vsl:10:3: error: ELSEIF after the ELSE of line 9 is never reached"),
                          Starts("prog.vsl:11:3: error: ELSE after the ELSE of line 9"),
                          Starts("prog.vsl:12:1: error: ENDPROC closes the PROC of line 7, but the IF of line 8"),
                          Starts("prog.vsl:13:1: error: GOTO \"nirgends\": there is no label \"nirgends\""),
                          Starts("prog.vsl:16:7: error: @MUL takes 2 arguments, not 3: write @MUL(a, b)"),
                          Starts("prog.vsl:16:34: error: @ADD takes 2 arguments, not 1"),
                          Starts("prog.vsl:17:1: error: ENDPAINT without STARTPAINT before it"),
                          Starts("prog.vsl:19:1: error: WHILE without ENDWHILE")));
}

TEST(Checks, WarningsNowarnAndWerror) {
  const std::string source =
      "DECLARE s$, a%\ns$ = \"x\" + \"y\"\na% = @ADD(1, 2) + 3\nIF @EQU(a%, 1) THEN PRINT 1\nENDIF\n"
      "PRINT @ADD(10, \"zw\xC3\xB6lf\"); @ADD(\"-1\", -1)\na% = \"5\"\nWHILE a% < 3 OR 1\nENDWHILE\n"
      "CASE @EQU(a%, 1) AND 1: a% = @SUB(a%, 1) - 1\nUNUSED:\n#NOWARN\nSILENT:\n#NOWARN\ns$ = 1 = 1\n"
      "a% = @F(2 * 3)\nDEFFN F(1) @%(1)\nPRINT -1; \"-\"\ns$ = \"a\"; s$, @LEN(\"a\"; s$)\nPRINT \"x\"; 1 + 2";
  EXPECT_THAT(Checked(source),
              ElementsAre(Starts("prog.vsl:2:10: warning: '+' is not an operator"),
                          Starts("prog.vsl:3:17: warning: '+' is not an operator"),
                          Starts("prog.vsl:4:16: warning: THEN is not part of the language"),
                          Starts("prog.vsl:6:16: warning: @ADD expects a number as argument 2, not the text \"zw\xC3\xB6lf\""),
                          Starts("prog.vsl:6:31: warning: @ADD expects a number as argument 1"),
                          Starts("prog.vsl:7:6: warning: the text \"5\" is assigned to the number variable a%"),
                          Starts("prog.vsl:8:10: warning: '<' is not an operator (the language has none): write @LT("),
                          Starts("prog.vsl:10:18: warning: 'AND' is not an operator"),
                          Starts("prog.vsl:10:42: warning: '-' is not an operator"),
                          Starts("prog.vsl:11:1: warning: label UNUSED is never used"),
                          Starts("prog.vsl:16:11: warning: '*' is not an operator"),
                          Starts("prog.vsl:19:23: warning: ';' is not an operator"),
                          Starts("prog.vsl:20:14: warning: '+' is not an operator")));
  auto errors = Checked(source, true);
  ASSERT_EQ(errors.size(), 13u);
  EXPECT_THAT(errors[0], Starts("prog.vsl:2:10: error: '+' is not an operator"));
  EXPECT_NE(errors[0].find("[-Werror]"), std::string::npos);
  EXPECT_TRUE(Checked("L:\nGOTO @ADD$(\"L\", \"\")").empty());  // a computed target may reach any label
}

TEST(Checks, TheLineMapNamesTheSourceOfEveryProgramLine) {
  auto r = Compile("' a\n\nINCLUDE \"lib.vsl\"\nEND", {{"lib.vsl", "\n  PRINT 1\r\n"}});
  ASSERT_TRUE(r.ok);
  const std::string map = vestil::SerializeLineMap(r.map, r.program);
  EXPECT_EQ(map.substr(27), "\nF prog.vsl\nF lib.vsl\n0 1 ' a\n1 2   PRINT 1\n0 4 END\n");
  vestil::LineMap back;
  EXPECT_TRUE(vestil::ParseLineMap(map, r.program, back));
  EXPECT_EQ(back.Note(2), "lib.vsl:2:   PRINT 1");
  EXPECT_FALSE(vestil::ParseLineMap(map, r.program + "x", back));
  EXPECT_EQ(vestil::LineMapName("C:\\A.B\\PROG.VSC"), "C:\\A.B\\PROG.VSM");
  EXPECT_EQ(vestil::LineMapName("dir.x/prog"), "dir.x/prog.VSM");
}

// Compiling the listing gives the bytes back; returns the listing.
std::string RoundTrip(const std::string& bytes) {
  auto listed = vestcomp::ListProgram(bytes);
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

// Every construct, as the lister writes it: blocks indented, functions named by their line.
const char* const kRichSource =
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
    "ENDPROC\n";

TEST(Listing, CompiledProgramsListReadablyWithNamesAndIndentation) {
  EXPECT_EQ(RoundTrip(Compile(kRichSource).program), kRichSource);
  EXPECT_EQ(RoundTrip(Compile("wend\nPRINT @sq(2)\nDEFFN Sq(1) 1").program), "ENDWHILE\nPRINT @FN3(2)\nDEFFN FN3(1) 1\n");
}

TEST(Listing, OddFilesAreKeptExactly) {
  EXPECT_EQ(RoundTrip(Compile("PRINT 1", {}, " \\x{01}").program), "#SCRAMBLE \\x{20}\\x{01}\nPRINT 1\n");
  EXPECT_EQ(RoundTrip(Compile("PRINT 1", {}, "Q ").program), "#SCRAMBLE Q\\x{20}\nPRINT 1\n");
  EXPECT_EQ(RoundTrip(""), "#HEADER\n");
  EXPECT_EQ(RoundTrip(" KVN"), "#HEADER 20 4B 56 4E\n");
  std::string header(" KVN-VESTIL3" + std::string(20, '\0'));
  header[20] = 'a';
  EXPECT_EQ(RoundTrip(Program({"\xa2" "1"}, header)).substr(103), "\nPRINT 1\n");  // "#HEADER" and 32 bytes
  // A length of 255 and a truncated line end the lines; the rest is a trailer.
  EXPECT_EQ(RoundTrip(Program({"\xbf"}) + "\xff" + std::string(255, '\'')).substr(0, 22), "END\n#TRAILER FF 27 27 ");
  EXPECT_EQ(RoundTrip(Program({"\xbf"}) + "\x05" "ab"), "END\n#TRAILER 05 61 62\n");
  const std::string text = RoundTrip(Program(std::vector<std::string>(32768, B("\xbf"))));
  EXPECT_EQ(text.substr(text.size() - 19), "END\n#TRAILER 01 BF\n");
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
  // A procedure with a keyword name, twice the same name, a call to a line that is no PROC.
  std::string text = RoundTrip(Program({B("\x8f" "PRINT"), B("\x8c"), B("\xff\x01\x00"), B("\x8f" "p"),
                                        B("\x8f" "P"), B("\xff\x04\x00" "1"), B("\xff\x05\x00"),
                                        B("\xff\x02\x00")}));
  EXPECT_EQ(text, "PROC PRINT\nENDPROC\n\\x{FF} \\x{01}\\x{00}\nPROC p\n  \\x{8F} P\n    p 1\n"
                  "    \\x{FF} \\x{05}\\x{00}\n    \\x{FF} \\x{02}\\x{00}\n");
  // Definitions without our marker are no DEFFN; calls with another argument count are raw.
  text = RoundTrip(Program({B("\x83" "XXXX1)@%1)"), B("\x83" "DEFN2)@%1)"), B("\xa2@\x60\x01\x00" "5)"),
                            B("\xa2@\x60\x02\x00" "5)"), B("\xa2@\x60\x02\x00" "5,6)")}));
  EXPECT_EQ(text, "\\x{83} XXXX1\\x{29}@%(1)\nDEFFN FN2(2) @%(1)\nPRINT @\\x{60}\\x{01}\\x{00}(5)\n"
                  "PRINT @\\x{60}\\x{02}\\x{00}(5)\nPRINT @FN2(5, 6)\n");
}

std::string FakeElf(const std::string& slot_value = std::string(4, '\0')) {
  return "\x7f" "ELF" + std::string(300, 'e') + "<<VESTIL-APPEND-SLOT>>" + slot_value + std::string(1000, 'f');
}

// An "MZ" file with e_lfanew at 0x3C and the slot at 0x80.
std::string FakePe(uint32_t pe_offset, uint32_t slot = 0) {
  std::string pe(0x400, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  for (int k = 0; k < 4; ++k) {
    pe[0x3C + k] = static_cast<char>(pe_offset >> (8 * k));
    pe[0x80 + k] = static_cast<char>(slot >> (8 * k));
  }
  if (pe_offset + 4 <= pe.size()) pe.replace(pe_offset, 4, std::string("PE\0\0", 4));
  return pe;
}

// The slot (after the marker in ELF, at 0x80 in PE) gets the program's offset; nothing else changes.
TEST(Binder, SlotGetsTheOffsetAndRefusals) {
  const std::string program = Compile("PRINT \"bound\"\nEND").program;
  std::string out, error;
  for (const std::string& runner : {FakeElf(), FakePe(0x100)}) {
    ASSERT_TRUE(vestcomp::BindImage(runner, program, out, error)) << error;
    const size_t slot = runner[0] == 'M' ? 0x80 : runner.find("<<VESTIL-APPEND-SLOT>>") + 22;
    std::string offset(4, '\0');
    for (int k = 0; k < 4; ++k) offset[k] = static_cast<char>(runner.size() >> (8 * k));
    EXPECT_EQ(out, runner.substr(0, slot) + offset + runner.substr(slot + 4) + program);
  }
  auto refused = [&](const std::string& runner, const std::string& prog, const char* why) {
    out.clear();
    EXPECT_FALSE(vestcomp::BindImage(runner, prog, out, error)) << why;
    EXPECT_TRUE(out.empty());
    EXPECT_NE(error.find(why), std::string::npos) << error;
  };
  refused(FakePe(0x80), program, "PE header starts at 0x80");
  refused(FakePe(0x100, 0x1234), program, "already has a program appended (offset 0x1234)");
  refused(FakePe(0x100).substr(0, 0x82), program, "too short");
  refused("\x7f" "ELF plain", program, "no append slot");
  refused(FakeElf() + FakeElf(), program, "more than once");
  refused("\x7f" "ELF<<VESTIL-APPEND-SLOT>>\0\0", program, "cut off");
  refused(FakeElf(), "not a program", "no VESTIL header");
  refused(FakeElf(), program + "\x05" "ab", "damaged");
  vestcomp::BindOptions unchecked;
  unchecked.unchecked_program = true;
  EXPECT_TRUE(vestcomp::BindImage(FakeElf(), "junk", out, error, unchecked));
}

}  // namespace
}  // namespace vestcomp_test
