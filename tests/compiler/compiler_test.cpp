// Byte-exact compilation of every construct of the source language, and the
// compiler's errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_util.h"

namespace vestcomp_test {
namespace {

using vestcomp::ParseProgram;

TEST(Header, PlainProgramHasTheFixedHeaderAndNoLineForEmptySource) {
  auto r = Compile("\n   \n\t\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.program, std::string(" KVN-VESTIL3VESTCOMP  1.0       "));
  EXPECT_EQ(r.program.size(), 32u);
}

TEST(Header, ScrambleOptionSetsTheMarkerAndXorsBodiesButNotLengths) {
  auto r = Compile("PRINT 1\nEND", {}, "AB");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.program.substr(20, 2), "AB");
  const char key = 'A' | 'B';
  std::string want = r.program.substr(0, 32);
  want += '\x02';
  want += static_cast<char>(0xa2 ^ key);
  want += static_cast<char>('1' ^ key);
  want += '\x01';
  want += static_cast<char>(0xbf ^ key);
  EXPECT_EQ(r.program, want);
  EXPECT_EQ(ParseProgram(r.program).lines, (std::vector<std::string>{B("\xa2" "1"), B("\xbf")}));
}

TEST(Header, ScrambleDirectiveAndOptionOverridingIt) {
  auto r = Compile("#SCRAMBLE xy\nPRINT 1");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.program.substr(20, 2), "xy");
  r = Compile("#SCRAMBLE xy\nPRINT 1", {}, "\\x{00}\\x{07}");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.program.substr(20, 2), std::string("\0\x07", 2));
  EXPECT_EQ(r.program[33], static_cast<char>(0xa2 ^ 7));
  EXPECT_NE(Error("#SCRAMBLE x").find("two characters"), std::string::npos);
  EXPECT_FALSE(Compile("PRINT 1", {}, "ABC").ok);
}

TEST(Header, HeaderAndTrailerDirectivesGiveExactBytes) {
  std::string header(32, 'h');
  header[20] = header[21] = ' ';
  std::string hex;
  for (char c : header) hex += c == ' ' ? "20 " : "68";
  auto r = Compile("#HEADER " + hex + "\n#RAW abc\n#TRAILER FF 01\n#TRAILER 02");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.program, header + "\x03" "abc" + B("\xff\x01\x02"));
  // A short header is a whole file.
  r = Compile("#HEADER 20 4B");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.program, " K");
  EXPECT_NE(Error("#HEADER 20 4B\nEND").find("shorter than 32"), std::string::npos);
  EXPECT_NE(Error("#HEADER 2").find("hex"), std::string::npos);
  EXPECT_NE(Error("#HEADER " + std::string(66, '0')).find("hex"), std::string::npos);
  EXPECT_NE(Error("#BOGUS 1").find("unknown directive"), std::string::npos);
}

TEST(Statements, KeywordsAreCaseInsensitiveAndBlanksGoOutsideQuotes) {
  EXPECT_EQ(Line("  print  \"a  b\" , x% ;  y$  "), B("\xa2\"a  b\",x%;y$"));
  EXPECT_EQ(Line("PRINT"), B("\xa2"));
  EXPECT_EQ(Line("wend"), B("\x8a"));
  EXPECT_EQ(Line("ENDWHILE"), B("\x8a"));
  EXPECT_EQ(Line("Dim% 10"), B("\xc8" "10"));
  EXPECT_EQ(Line("SETARRAY$ 3 = \"x y\""), B("\xc7" "3=\"x y\""));
  EXPECT_EQ(Line("EVAL @NOP()"), B("\x5a@\xfe)"));
  EXPECT_EQ(Line("PRINT \"tab\there\", \"\\n\\\\\""), B("\xa2\"tab\there\",\"\\n\\\\\""));
}

TEST(Statements, AssignmentLabelAndComment) {
  EXPECT_EQ(Line("Name$ = \"a\" , \"b\" ; \"c\""), B("\xce" "Name$=\"a\",\"b\";\"c\""));
  EXPECT_EQ(Line("x%=@ADD(1, 2)"), B("\xce" "x%=@\x81" "1,2)"));
  EXPECT_EQ(Line("Loop:"), B("\xfe" "Loop:"));
  EXPECT_EQ(Line("START: ' a  note"), B("\xfe" "START: ' a  note"));
  EXPECT_EQ(Line("'  kept   as is "), B("\x27" "  kept   as is"));
  EXPECT_EQ(Line("@MESSAGEBOX(\"a\", 1)"), B("\x40@\x9b\"a\",1)"));
  // A keyword followed by "=" is an assignment, by ":" a label.
  EXPECT_EQ(Line("END% = 1"), B("\xce" "END%=1"));
  EXPECT_EQ(Line("ELSE:"), B("\xfe" "ELSE:"));
}

TEST(Statements, SystemVariablesOnlyWithTheirOwnKindCharacter) {
  EXPECT_EQ(Line("PRINT %TIMER, $version, &TICKS, !INPUTFLOAT"),
            B("\xa2%\xc7,$\xc4,&\xc0,!\x84"));
  // Wrong kind, hex literal, longer names, inside names and quotes: unchanged.
  EXPECT_EQ(Line("PRINT %VERSION, $1F, $FF, %TIMERX, A%TIMER, \"%TIMER\""),
            B("\xa2%VERSION,$1F,$FF,%TIMERX,A%TIMER,\"%TIMER\""));
  EXPECT_EQ(Line("a% = @ADD(%ONE, %ZERO)"), B("\xce" "a%=@\x81%\xbf,%\xc5)"));
}

TEST(Functions, NestedCallsLoseTheirOpeningParenthesis) {
  EXPECT_EQ(Line("PRINT @ADD(@MUL(2, 3), @STR$(1.5))"), B("\xa2@\x81@\x83" "2,3),@\x9a" "1.5))"));
  EXPECT_EQ(Line("PRINT @PI()"), B("\xa2@\xab)"));
  EXPECT_EQ(Line("PRINT @pi ( )"), B("\xa2@\xab)"));
  EXPECT_EQ(Line("PRINT @%(1), @&(2), @!(3), @$(12)"), B("\xa2@%1),@&2),@!3),@$12)"));
  EXPECT_EQ(Line("PRINT @LEN(\"(a)\"), @LEN(\")\")"), B("\xa2@\x96\"(a)\"),@\x96\")\")"));
  EXPECT_NE(Error("PRINT @NOSUCH(1)").find("unknown function @NOSUCH"), std::string::npos);
  EXPECT_NE(Error("PRINT @ADD(1, 2").find("missing ')'"), std::string::npos);
  EXPECT_NE(Error("PRINT 1, @").find("function name expected"), std::string::npos);
  EXPECT_NE(Error("PRINT @ADD 1").find("'(' expected"), std::string::npos);
  EXPECT_NE(Error("PRINT @%1").find("'(' expected"), std::string::npos);
  EXPECT_NE(Error("PRINT \"open").find("unbalanced quotes"), std::string::npos);
  std::string deep = "PRINT ";
  for (int i = 0; i < 150; ++i) deep += "@NOT(";
  deep += "1" + std::string(150, ')');
  EXPECT_NE(Error(deep).find("nested too deeply"), std::string::npos);
}

TEST(UserFunctions, DefinitionAndCallsBeforeAndAfterIt) {
  auto lines = Lines(
      "PRINT @SQUARE(3)\n"
      "DEFFN SQUARE(1) @MUL(@%(1), @%(1))\n"
      "DEFFN ANSWER() 42\n"
      "DEFFN Two$(2) @ADD$(@$(1), @$(2))\n"
      "PRINT @square(@ANSWER()), @TWO$(\"a\", \"b\")\n");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], B("\xa2@\x60\x02\x00" "3)"));
  EXPECT_EQ(lines[1], B("\x83" "DEFN1)@\x83@%1),@%1))"));
  EXPECT_EQ(lines[2], B("\x83" "DEFN0)42"));
  EXPECT_EQ(lines[3], B("\x83" "DEFN2)@\x92@$1),@$2))"));
  EXPECT_EQ(lines[4], B("\xa2@\x60\x02\x00@\x60\x03\x00)),@\x60\x04\x00\"a\",\"b\")"));
}

TEST(UserFunctions, LineNumbersAboveTwoHundredFiftyFiveUseTheHighByte) {
  std::string src = "PRINT @F(1)\n";
  for (int i = 0; i < 300; ++i) src += "END\n";
  src += "DEFFN F(1) @%(1)\n";  // line 302 = 0x012e
  auto lines = Lines(src);
  ASSERT_EQ(lines.size(), 302u);
  EXPECT_EQ(lines[0], B("\xa2@\x60\x2e\x01" "1)"));
}

TEST(UserFunctions, Errors) {
  EXPECT_NE(Error("DEFFN ADD(2) 1").find("built-in"), std::string::npos);
  EXPECT_NE(Error("DEFFN F(1) 1\nDEFFN f(1) 2").find("already defined in program line 1"), std::string::npos);
  EXPECT_NE(Error("DEFFN F(13) 1").find("0..12"), std::string::npos);
  EXPECT_NE(Error("DEFFN F(1)").find("needs a body"), std::string::npos);
  EXPECT_NE(Error("DEFFN F 1").find("parameter count"), std::string::npos);
  EXPECT_NE(Error("DEFFN (1) 1").find("function name"), std::string::npos);
  EXPECT_NE(Error("DEFFN F(2) 1\nPRINT @F(1)").find("takes 2 argument(s), not 1"), std::string::npos);
  EXPECT_NE(Error("DEFFN F(0) 1\nPRINT @F(1)").find("not 1"), std::string::npos);
  EXPECT_TRUE(Compile("DEFFN F(12) 1\nPRINT @F(1,2,3,4,5,6,7,8,9,10,11,12)").ok);
}

TEST(Procedures, CallsForwardAndBackwardStoreThePROCLine) {
  auto lines = Lines(
      "SHOW 1, \"a b\"\n"
      "PROC SHOW ' two parameters\n"
      "PARAMETERS n%, s$\n"
      "ENDPROC\n"
      "show\n");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], B("\xff\x02\x00" "1,\"a b\""));
  EXPECT_EQ(lines[1], B("\x8f" "SHOW ' two parameters"));
  EXPECT_EQ(lines[4], B("\xff\x02\x00"));

  std::string src = "P\n";
  for (int i = 0; i < 600; ++i) src += "END\n";
  src += "PROC P\nENDPROC\nP 7\n";  // PROC on line 602 = 0x025a
  lines = Lines(src);
  EXPECT_EQ(lines[0], B("\xff\x5a\x02"));
  EXPECT_EQ(lines.back(), B("\xff\x5a\x02" "7"));
}

TEST(Procedures, KeywordsWinAndErrors) {
  auto lines = Lines("PROC PRINT\nENDPROC\nPRINT 1");
  EXPECT_EQ(lines[2], B("\xa2" "1"));
  EXPECT_NE(Error("NOSUCH 1").find("unknown keyword or procedure: NOSUCH"), std::string::npos);
  EXPECT_NE(Error("PROC A\nENDPROC\nPROC a\nENDPROC").find("already defined in program line 1"),
            std::string::npos);
  EXPECT_NE(Error("PROC\nENDPROC").find("procedure name"), std::string::npos);
  EXPECT_NE(Error("PROC A\nENDPROC\nCASE 1 : A").find("procedure call cannot follow CASE"), std::string::npos);
}

TEST(Case, PrefixesNestAndSplitOutsideQuotesAndParentheses) {
  EXPECT_EQ(Line("CASE @EQU(a%, 1) : PRINT \"x:y\""), B("\x81@\x8a" "a%,1):\xa2\"x:y\""));
  EXPECT_EQ(Line("CASE \"a:b\" : CASENOT @EQU$(s$, \":\") : GOTO \"L\""),
            B("\x81\"a:b\":\x82@\x8ds$,\":\"):\x8d\"L\""));
  EXPECT_EQ(Line("CASENOT x% : a% = 1"), B("\x82x%:\xce" "a%=1"));
  EXPECT_EQ(Line("CASE 1 : @NOP()"), B("\x81" "1:\x40@\xfe)"));
  // Only CASE then CASENOT: the loop resolves the prefixes in that order, once each.
  EXPECT_NE(Error("CASENOT 1 : CASE 1 : END").find("would not be run"), std::string::npos);
  EXPECT_NE(Error("CASE 1 : CASE 1 : END").find("would not be run"), std::string::npos);
  EXPECT_NE(Error("CASENOT 1 : CASENOT 1 : END").find("would not be run"), std::string::npos);
  EXPECT_NE(Error("CASE 1 END").find("needs ':'"), std::string::npos);
  EXPECT_NE(Error("CASE : END").find("needs a condition"), std::string::npos);
  EXPECT_NE(Error("CASE 1 :  ").find("statement missing"), std::string::npos);
  EXPECT_NE(Error("CASE 1 : L:").find("label cannot follow"), std::string::npos);
  EXPECT_NE(Error("CASE 1 : DEFFN F(0) 1").find("own"), std::string::npos);
}

TEST(Limits, LineLengthAfterCompilation) {
  // "PRINT " + quoted text: token + 253 bytes = 254.
  std::string ok = "PRINT \"" + std::string(251, 'x') + "\"";
  EXPECT_EQ(Line(ok).size(), 254u);
  std::string err = Error("END\nPRINT \"" + std::string(252, 'x') + "\"");
  EXPECT_EQ(err, "prog.vsl:2: error: the line has 255 bytes after compilation, at most 254 are allowed: split the statement");
  // Blanks outside quotes do not count.
  EXPECT_EQ(Line("PRINT " + std::string(300, ' ') + "1").size(), 2u);
  EXPECT_EQ(Line("#RAW " + std::string(254, 'r')).size(), 254u);
  EXPECT_FALSE(Compile("#RAW " + std::string(255, 'r')).ok);
}

TEST(Limits, AtMost32767Lines) {
  std::string src;
  for (int i = 0; i < 32767; ++i) src += "END\n";
  auto r = Compile(src);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.program.size(), 32u + 2u * 32767u);
  EXPECT_EQ(Error(src + "\n\n' one more"), "prog.vsl:32770: error: more than 32767 program lines");
}

TEST(Include, InsertsLinesAtThatPlaceRelativeToTheIncludingFile) {
  vestcomp::CompileOptions options;
  options.read_file = [](const std::filesystem::path& p, std::string& text) {
    if (p.generic_string() != "src/lib/util.vsl") return false;
    text = "PROC HELLO\nPRINT \"hi\"\nENDPROC\n";
    return true;
  };
  auto r = vestcomp::CompileSource("HELLO\nINCLUDE \"lib/util.vsl\"\nHELLO\n", "src/main.vsl", options);
  ASSERT_TRUE(r.ok) << r.errors[0];
  auto lines = ParseProgram(r.program).lines;
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], B("\xff\x02\x00"));
  EXPECT_EQ(lines[1], B("\x8f" "HELLO"));
  EXPECT_EQ(lines[4], B("\xff\x02\x00"));
}

TEST(Include, MissingFileAndNestingAreErrors) {
  EXPECT_EQ(Error("END\ninclude \"none.vsl\""),
            "prog.vsl:2: error: INCLUDE file not found: none.vsl (the name is relative to the including file)");
  EXPECT_EQ(Error("INCLUDE \"a.vsl\"", {{"a.vsl", "END\nINCLUDE \"b.vsl\"\n"}, {"b.vsl", "END"}}),
            "a.vsl:2: error: INCLUDE inside an included file: write the INCLUDE in the main file");
  EXPECT_NE(Error("INCLUDE a.vsl").find("double quotes"), std::string::npos);
  EXPECT_NE(Error("CASE 1 : INCLUDE \"a.vsl\"").find("own"), std::string::npos);
  // INCLUDE followed by "=" or ":" is an assignment or a label.
  EXPECT_EQ(Line("INCLUDE:"), B("\xfe" "INCLUDE:"));
}

TEST(Escapes, BytesWrittenAsEscapesArePlainData) {
  EXPECT_EQ(Line("PRINT \"\\x{22}\\x{0D}\\x{5c}x{41}\""), B("\xa2\"\"\r\\x{41}\""));
  // An escaped quote opens no literal, so blanks after it go.
  EXPECT_EQ(Line("PRINT \\x{22} a b"), B("\xa2\"ab"));
  // An escape at the start of a line is the CommandToken.
  EXPECT_EQ(Line("\\x{41} \\x{05}\\x{00} 1, 2"), B("\x41\x05\x00" "1,2"));
  // "@" with an escaped token: the bytes, then optionally arguments.
  EXPECT_EQ(Line("PRINT @\\x{61}\\x{01}\\x{00}(1, 2)"), B("\xa2@\x61\x01\x00" "1,2)"));
  EXPECT_EQ(Line("PRINT @\\x{81}"), B("\xa2@\x81"));
  EXPECT_EQ(Line("PRINT \\x{25}TIMER"), B("\xa2%TIMER"));
  EXPECT_NE(Error("PRINT \"\\x{4}\"").find("malformed escape"), std::string::npos);
  EXPECT_NE(Error("PRINT \\x{GG}").find("malformed escape"), std::string::npos);
}

TEST(Encoding, Utf8BecomesWindows1252) {
  EXPECT_EQ(Line("PRINT \"Grüße € „x“ ½\""), B("\xa2\"Gr\xfc\xdf" "e \x80 \x84x\x93 \xbd\""));
  EXPECT_EQ(Line("\xEF\xBB\xBFPRINT 1\r"), B("\xa2" "1"));
  EXPECT_NE(Error("PRINT \"→\"").find("U+2192 has no Windows-1252 form"), std::string::npos);
  EXPECT_NE(Error("PRINT \"\xC3\"").find("not valid UTF-8"), std::string::npos);
  EXPECT_NE(Error("PRINT \"\xC2\x81\"").find("U+0081"), std::string::npos);
}

TEST(Errors, NameFileAndLineAndStopNothingElse) {
  auto r = Compile("END\n\nPRINT @X(1)\nBAD\nPRINT 1");
  ASSERT_FALSE(r.ok);
  ASSERT_EQ(r.errors.size(), 2u);
  EXPECT_EQ(r.errors[0], "prog.vsl:3: error: unknown function @X");
  EXPECT_EQ(r.errors[1], "prog.vsl:4: error: unknown keyword or procedure: BAD");
}

// The diagnostics of the checks: where they are (line:column) and how each
// begins; every one of them names what to write instead.
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
  // A computed jump target may reach any label.
  EXPECT_TRUE(Checked("L:\nGOTO @ADD$(\"L\", \"\")").empty());
}

TEST(Checks, TheLineMapNamesTheSourceOfEveryProgramLine) {
  auto r = Compile("' a\n\nINCLUDE \"lib.vsl\"\nEND", {{"lib.vsl", "\n  PRINT 1\r\n"}});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(vestil::SerializeLineMap(r.map, r.program).substr(27),
            "\nF prog.vsl\nF lib.vsl\n0 1 ' a\n1 2   PRINT 1\n0 4 END\n");
  vestil::LineMap back;
  EXPECT_TRUE(vestil::ParseLineMap(vestil::SerializeLineMap(r.map, r.program), r.program, back));
  EXPECT_EQ(back.Note(2), "lib.vsl:2:   PRINT 1");
  EXPECT_FALSE(vestil::ParseLineMap(vestil::SerializeLineMap(r.map, r.program), r.program + "x", back));
  EXPECT_EQ(vestil::LineMapName("C:\\A.B\\PROG.VSC"), "C:\\A.B\\PROG.VSM");
  EXPECT_EQ(vestil::LineMapName("dir.x/prog"), "dir.x/prog.VSM");
}

}  // namespace
}  // namespace vestcomp_test
