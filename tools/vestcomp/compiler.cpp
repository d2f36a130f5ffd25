// The compiler: VESTIL source to a program file.
#include "vestcomp/compiler.h"

#include <algorithm>
#include <limits>
#include <set>
#include <utility>

#include "base/bytes.h"
#include "base/tokens.h"
#include "base/whole_file.h"
#include "vestcomp/builtin_args.h"
#include "vestcomp/encoding.h"
#include "vestcomp/program_file.h"

namespace vestcomp {
namespace {

using vestil::CommandTokenOf;
using vestil::FunctionTokenOf;
using vestil::SysVarTokenOf;
namespace cmd = vestil::cmd;

constexpr int kMaxNesting = 100;    // nested function calls in one argument text
constexpr size_t kMaxErrors = 50;

bool Is(const Unit& u, char c) { return !u.escaped && u.byte == static_cast<uint8_t>(c); }

size_t SkipBlanks(const Units& u, size_t i, size_t e) {
  while (i < e && !u[i].escaped && IsBlank(u[i].byte)) ++i;
  return i;
}

void Trim(const Units& u, size_t& b, size_t& e) {
  b = SkipBlanks(u, b, e);
  while (e > b && !u[e - 1].escaped && IsBlank(u[e - 1].byte)) --e;
}

// Characters that end a word: blanks and the punctuation of the syntax.
bool IsStop(const Unit& u) {
  if (u.escaped) return false;
  switch (u.byte) {
    case ' ': case '\t': case '"': case '=': case ':': case ',': case ';':
    case '(': case ')': case '@': case '\'':
      return true;
    default:
      return false;
  }
}

size_t WordEnd(const Units& u, size_t b, size_t e) {
  while (b < e && !IsStop(u[b])) ++b;
  return b;
}

// Position of the next unescaped double quote after `open`, or e.
size_t QuoteEnd(const Units& u, size_t open, size_t e) {
  for (size_t j = open + 1; j < e; ++j)
    if (Is(u[j], '"')) return j;
  return e;
}

std::string Show(const Units& u, size_t b, size_t e) { return Cp1252ToUtf8(UnitBytes(u, b, e)); }

// How a trimmed, non-empty line begins.
struct Head {
  enum Kind { kEscapedToken, kComment, kCallStatement, kDirective, kWord, kOther } kind = kOther;
  size_t word_end = 0;
  bool assignment = false;  // the word is followed by "="
  bool label = false;       // the word is followed directly by ":"
  std::string upper;        // the word, upper-cased
};

Head ReadHead(const Units& u, size_t b, size_t e) {
  Head h;
  const Unit& f = u[b];
  if (f.escaped) { h.kind = Head::kEscapedToken; return h; }
  if (f.byte == '\'') { h.kind = Head::kComment; return h; }
  if (f.byte == '@') { h.kind = Head::kCallStatement; return h; }
  if (f.byte == '#') { h.kind = Head::kDirective; return h; }
  h.word_end = WordEnd(u, b, e);
  if (h.word_end == b) return h;
  h.kind = Head::kWord;
  size_t p = SkipBlanks(u, h.word_end, e);
  h.assignment = p < e && Is(u[p], '=');
  h.label = !h.assignment && h.word_end < e && Is(u[h.word_end], ':');
  h.upper = Upper(UnitBytes(u, b, h.word_end));
  return h;
}

bool IsPlainWord(const Head& h, std::string_view upper) {
  return h.kind == Head::kWord && !h.assignment && !h.label && h.upper == upper;
}

// The name of a PROC line: [name_begin, name_end).
bool ProcName(const Units& u, size_t after_keyword, size_t e, size_t& nb, size_t& ne) {
  nb = SkipBlanks(u, after_keyword, e);
  ne = nb;
  if (ne >= e || u[ne].escaped || !IsIdentStart(u[ne].byte)) return false;
  while (ne < e && !u[ne].escaped && IsIdentChar(u[ne].byte)) ++ne;
  return true;
}

// The parts of a DEFFN line: DEFFN name(count) body.
struct DefFnParts {
  size_t name_b, name_e, open, close;
};

// What the checks found in one statement: warnings and errors at columns, and
// the GOTO and GOSUB targets (checked once the whole program is known).
struct Finding {
  int column;
  bool warning;
  std::string message;
};
struct Jump {
  int column;
  std::string keyword;  // GOTO or GOSUB
  std::string name;     // the literal target as written; empty when computed
};

class StatementCompiler {
 public:
  explicit StatementCompiler(const Symbols& symbols) : syms_(symbols) {}

  const std::string& error() const { return error_; }
  const std::vector<Finding>& findings() const { return findings_; }
  const std::vector<Jump>& jumps() const { return jumps_; }

  // case_level: 0 for a line of its own, 1 after CASE, 2 after CASENOT.
  bool Statement(const Units& u, size_t b, size_t e, int case_level, std::string& out) {
    const bool in_case = case_level > 0;
    Trim(u, b, e);
    if (b == e) return Fail(in_case ? "statement missing after ':'" : "statement missing");
    Head h = ReadHead(u, b, e);
    switch (h.kind) {
      case Head::kEscapedToken:
        out += static_cast<char>(u[b].byte);
        return Args(u, b + 1, e, out);
      case Head::kComment:
        out += static_cast<char>(cmd::kComment);
        out += UnitBytes(u, b + 1, e);
        return true;
      case Head::kCallStatement:
        out += static_cast<char>(cmd::kCallStatement);
        return Args(u, b, e, out);
      case Head::kDirective:
        return Fail("a directive must stand on a line of its own");
      case Head::kOther:
        return Fail("statement expected at '" + Show(u, b, b + 1) + "'");
      case Head::kWord:
        break;
    }
    const size_t w = h.word_end;
    if (h.assignment) {
      out += static_cast<char>(cmd::kAssignment);
      out += UnitBytes(u, b, w);
      out += '=';
      const size_t rb = SkipBlanks(u, w, e) + 1;
      const uint8_t kind = u[w - 1].escaped ? 0 : u[w - 1].byte;
      size_t lb = rb, le = e;
      if ((kind == '%' || kind == '&' || kind == '!') && IsLiteral(u, lb, le))
        Warn(u[lb].column, "the text " + Show(u, lb, le) + " is assigned to the number variable " + Show(u, b, w) +
                               ": write the number without quotes (or use a text variable such as " +
                               Show(u, b, w - 1) + "$)");
      CheckOperators(u, rb, e, true);
      return Args(u, rb, e, out);
    }
    if (h.label) {
      if (in_case) return Fail("a label cannot follow CASE or CASENOT");
      out += static_cast<char>(cmd::kLabel);
      out += UnitBytes(u, b, w + 1);
      out += UnitBytes(u, w + 1, e);
      return true;
    }
    if (h.upper == "CASE" || h.upper == "CASENOT") return Case(u, w, e, h.upper == "CASE", case_level, out);
    if (h.upper == "DEFFN") {
      if (in_case) return Fail("DEFFN must stand on a line of its own");
      return DefFn(u, w, e, out);
    }
    if (h.upper == "PROC") {
      if (in_case) return Fail("PROC must stand on a line of its own");
      size_t nb, ne;
      if (!ProcName(u, w, e, nb, ne)) return Fail("PROC needs a procedure name");
      out += static_cast<char>(cmd::kProc);
      out += UnitBytes(u, nb, e);
      return true;
    }
    if (h.upper == "INCLUDE") return Fail("INCLUDE must stand on a line of its own");
    int token = CommandTokenOf(h.upper);
    if (token >= 0) {
      out += static_cast<char>(token);
      switch (token) {
        case cmd::kIf: case cmd::kIfNot: case cmd::kElseIf: case cmd::kWhile: case cmd::kWhileNot:
        case cmd::kReturn:
          CheckOperators(u, w, e);
          break;
        case cmd::kPrint:
          CheckOperators(u, w, e, true);
          break;
        case cmd::kGoto: case cmd::kGosub: {
          size_t lb = w, le = e;
          Jump j{u[b].column, h.upper, ""};
          if (IsLiteral(u, lb, le)) j.name = Show(u, lb + 1, le - 1);
          jumps_.push_back(std::move(j));
          break;
        }
        default:
          break;
      }
      return Args(u, w, e, out);
    }
    auto proc = syms_.procs.find(h.upper);
    if (proc != syms_.procs.end()) {
      if (in_case)
        return Fail("a procedure call cannot follow CASE or CASENOT (use IF ... ENDIF)");
      out += static_cast<char>(cmd::kProcCall);
      vestil::AppendLe16(out, static_cast<uint16_t>(proc->second));
      return Args(u, w, e, out);
    }
    return Fail("unknown keyword or procedure: " + Show(u, b, w));
  }

  // Argument text: blanks outside quotes go, "@NAME(...)" becomes "@" + token
  // + arguments + ")", system variables become kind character + token.
  bool Args(const Units& u, size_t b, size_t e, std::string& out, int depth = 0) {
    bool element_start = true;
    size_t i = b;
    while (i < e) {
      const Unit x = u[i];
      if (x.escaped) {
        out += static_cast<char>(x.byte);
        element_start = false;
        ++i;
        continue;
      }
      const uint8_t c = x.byte;
      if (IsBlank(c)) {
        element_start = true;
        ++i;
        continue;
      }
      if (c == '"') {
        size_t j = QuoteEnd(u, i, e);
        if (j == e) return Fail("unbalanced quotes");
        out += UnitBytes(u, i, j + 1);
        element_start = true;
        i = j + 1;
        continue;
      }
      if (c == '@') {
        if (!Call(u, i, e, out, depth)) return false;
        element_start = true;
        continue;
      }
      if (IsKindChar(c) && element_start) {
        size_t k = i + 1;
        while (k < e && !u[k].escaped && IsNameChar(u[k].byte)) ++k;
        if (k > i + 1) {
          std::string name(1, static_cast<char>(c));
          name += Upper(UnitBytes(u, i + 1, k));
          int token = SysVarTokenOf(name);
          if (token >= 0) {
            out += static_cast<char>(c);
            out += static_cast<char>(token);
            element_start = false;
            i = k;
            continue;
          }
        }
      }
      out += static_cast<char>(c);
      element_start = !IsNameChar(c);
      ++i;
    }
    return true;
  }

  bool ParseDefFn(const Units& u, size_t w, size_t e, DefFnParts& p) {
    p.name_b = SkipBlanks(u, w, e);
    p.name_e = p.name_b;
    if (p.name_e >= e || u[p.name_e].escaped || !IsIdentStart(u[p.name_e].byte))
      return Fail("DEFFN needs a function name");
    while (p.name_e < e && !u[p.name_e].escaped && IsIdentChar(u[p.name_e].byte)) ++p.name_e;
    if (p.name_e < e && !u[p.name_e].escaped && IsKindChar(u[p.name_e].byte)) ++p.name_e;
    p.open = SkipBlanks(u, p.name_e, e);
    if (p.open >= e || !Is(u[p.open], '('))
      return Fail("DEFFN " + Show(u, p.name_b, p.name_e) + " needs its parameter count in parentheses");
    return MatchParen(u, p.open, e, p.close);
  }

  // The compiled parameter count: "0" for an empty count.
  bool Count(const Units& u, const DefFnParts& p, std::string& out) {
    size_t cb = p.open + 1, ce = p.close;
    Trim(u, cb, ce);
    if (cb == ce) {
      out = "0";
      return true;
    }
    return Args(u, cb, ce, out);
  }

 private:
  bool Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }

  void Warn(int column, std::string message) { findings_.push_back({column, true, std::move(message)}); }

  // True when [b, e) is, blanks aside, one text literal; b and e then enclose
  // it with its quotes.
  static bool IsLiteral(const Units& u, size_t& b, size_t& e) {
    Trim(u, b, e);
    return e - b >= 2 && Is(u[b], '"') && QuoteEnd(u, b, e) == e - 1;
  }

  // The arguments of a call between its parentheses, split at the commas
  // outside quotes and inner parentheses.
  static std::vector<std::pair<size_t, size_t>> SplitArguments(const Units& u, size_t b, size_t e) {
    std::vector<std::pair<size_t, size_t>> out;
    if (SkipBlanks(u, b, e) == e) return out;
    int depth = 0;
    size_t start = b;
    for (size_t k = b; k < e; ++k) {
      if (u[k].escaped) continue;
      switch (u[k].byte) {
        case '"': k = QuoteEnd(u, k, e); break;
        case '(': ++depth; break;
        case ')': --depth; break;
        case ',':
          if (depth == 0) {
            out.push_back({start, k});
            start = k + 1;
          }
          break;
        default: break;
      }
      if (k >= e) break;
    }
    out.push_back({start, e});
    return out;
  }

  void CheckBuiltinCall(const Units& u, size_t at, size_t open, size_t close, const std::string& name,
                        const std::string& upper) {
    static const char* const kRawText[] = {"WINEXEC", "EXECWAIT", "MCISEND$", "FINDFIRST$", "FILESIZE",
                                           "GETENV$", "KEYIN", "COMSETUP", "COMOPEN", "DBOPEN", "GETDIR$",
                                           "DISKFREE", "DISKSIZE", "CHOOSEDIR$", "MOUSEIN", "MOUSECELL",
                                           "ICONCOUNT", "FILEOPEN$", "FILESAVE$", "FULLPATH$", "SHORTPATH$"};
    bool raw = false;
    for (const char* r : kRawText) raw = raw || upper == r;
    if (!raw) CheckOperators(u, open + 1, close);
    const BuiltinArgs* a = FindBuiltinArgs(upper);
    if (!a) return;
    auto args = SplitArguments(u, open + 1, close);
    const size_t want = std::string_view(a->kinds).size();
    if (args.size() != want) {
      findings_.push_back({u[at].column, false,
                           "@" + name + " takes " + std::to_string(want) + (want == 1 ? " argument" : " arguments") +
                               ", not " + std::to_string(args.size()) + ": write @" + name + "(" + a->signature +
                               ")" + (want == 2 && args.size() > 2 ? " and nest calls for more operands" : "")});
      return;
    }
    for (size_t k = 0; k < want; ++k) {
      size_t lb = args[k].first, le = args[k].second;
      if (a->kinds[k] == 'n' && IsLiteral(u, lb, le))
        Warn(u[lb].column, "@" + name + " expects a number as argument " + std::to_string(k + 1) + ", not the text " +
                               Show(u, lb, le) + ": write the number without quotes (or @VAL(" + Show(u, lb, le) +
                               ") to read a number from a text)");
    }
  }

  // Operators written where an argument is expected: the language has none.
  // Reports the first one, outside quotes and inner calls, and says which
  // function does the work.
  // An assignment lists values with ";" and ",": there they are separators.
  void CheckOperators(const Units& u, size_t b, size_t e, bool lists = false) {
    bool operand = false;  // a value ended before the current position
    for (size_t k = b; k < e; ++k) {
      const Unit x = u[k];
      if (x.escaped) { operand = true; continue; }
      const uint8_t c = x.byte;
      if (IsBlank(c)) continue;
      if (c == '"') {
        k = QuoteEnd(u, k, e);
        operand = true;
        continue;
      }
      if (c == '(' || c == '@') {
        size_t open = k;
        while (open < e && !Is(u[open], '(')) ++open;
        size_t close = open;
        int depth = 0;
        for (; close < e; ++close) {
          if (u[close].escaped) continue;
          if (u[close].byte == '"') { close = QuoteEnd(u, close, e); if (close >= e) break; }
          else if (u[close].byte == '(') ++depth;
          else if (u[close].byte == ')' && --depth == 0) break;
        }
        k = close;
        operand = true;
        continue;
      }
      const bool blank_before = k > b && !u[k - 1].escaped && IsBlank(u[k - 1].byte);
      const bool blank_after = k + 1 < e && !u[k + 1].escaped && IsBlank(u[k + 1].byte);
      const uint8_t next = k + 1 < e && !u[k + 1].escaped ? u[k + 1].byte : 0;
      std::string op, instead;
      if (operand && (c == '+' || c == '*' || c == '/' || c == '=' || c == '<' || c == '>' || (c == ';' && !lists) ||
                      (c == '-' && blank_before && blank_after))) {
        op = std::string(1, static_cast<char>(c));
        if ((c == '<' || c == '>') && (next == '>' || next == '=')) op += static_cast<char>(next);
        if (op == "+") instead = "@ADD(a, b) for numbers or @ADD$(a$, b$) for texts";
        else if (op == "-") instead = "@SUB(a, b)";
        else if (op == ";") instead = "@ADD$(a$, b$) to join texts";
        else if (op == "*") instead = "@MUL(a, b)";
        else if (op == "/") instead = "@DIV(a, b) (@IDIV(a, b) for whole numbers)";
        else if (op == "=") instead = "@EQU(a, b) for numbers or @EQU$(a$, b$) for texts";
        else if (op == "<") instead = "@LT(a, b) for numbers or @LT$(a$, b$) for texts";
        else if (op == ">") instead = "@GT(a, b) for numbers or @GT$(a$, b$) for texts";
        else if (op == "<>") instead = "@NEQ(a, b) for numbers or @NEQ$(a$, b$) for texts";
        else if (op == "<=") instead = "@NOT(@GT(a, b))";
        else if (op == ">=") instead = "@NOT(@LT(a, b))";
      } else if (IsAsciiLetter(c) && (k == b || !IsNameChar(u[k - 1].byte) || u[k - 1].escaped)) {
        size_t j = k;
        while (j < e && !u[j].escaped && IsNameChar(u[j].byte)) ++j;
        const std::string word = Upper(UnitBytes(u, k, j));
        if (operand && (word == "AND" || word == "OR")) {
          op = word;
          instead = word == "AND" ? "@AND(a, b)" : "@OR(a, b)";
        } else if (operand && word == "THEN") {
          Warn(x.column, "THEN is not part of the language: write IF condition alone on its line, the statements "
                         "on the lines below it, and ENDIF after them");
          return;
        }
        k = j - 1;
        operand = true;
        if (op.empty()) continue;
      } else {
        operand = !(c == ',' || c == ';');
        continue;
      }
      if (op.empty()) continue;
      Warn(x.column, "'" + op + "' is not an operator (the language has none): write " + instead);
      return;
    }
  }

  bool MatchParen(const Units& u, size_t open, size_t e, size_t& close) {
    int depth = 0;
    for (size_t k = open; k < e; ++k) {
      if (u[k].escaped) continue;
      if (u[k].byte == '"') {
        k = QuoteEnd(u, k, e);
        if (k == e) return Fail("unbalanced quotes");
      } else if (u[k].byte == '(') {
        ++depth;
      } else if (u[k].byte == ')' && --depth == 0) {
        close = k;
        return true;
      }
    }
    return Fail("missing ')'");
  }

  static int CountArguments(const Units& u, size_t b, size_t e) {
    if (SkipBlanks(u, b, e) == e) return 0;
    int n = 1, depth = 0;
    for (size_t k = b; k < e; ++k) {
      if (u[k].escaped) continue;
      switch (u[k].byte) {
        case '"': k = QuoteEnd(u, k, e); break;
        case '(': ++depth; break;
        case ')': --depth; break;
        case ',': if (depth == 0) ++n; break;
        default: break;
      }
      if (k >= e) break;
    }
    return n;
  }

  bool Call(const Units& u, size_t& i, size_t e, std::string& out, int depth) {
    if (depth >= kMaxNesting) return Fail("functions nested too deeply");
    size_t j = i + 1;
    if (j < e && u[j].escaped) {
      // "@" with the token (and more) written as escapes: the bytes as they
      // are, then an optional argument list in parentheses.
      out += '@';
      while (j < e && u[j].escaped) out += static_cast<char>(u[j++].byte);
      if (j < e && Is(u[j], '(')) {
        size_t close;
        if (!MatchParen(u, j, e, close) || !Args(u, j + 1, close, out, depth + 1)) return false;
        out += ')';
        j = close + 1;
      }
      i = j;
      return true;
    }
    if (j < e && !u[j].escaped && IsKindChar(u[j].byte)) {
      // @%(n), @&(n), @!(n), @$(n): the parameter functions.
      size_t open = j + 1, close;
      if (open >= e || !Is(u[open], '('))
        return Fail(std::string("'(' expected after @") + static_cast<char>(u[j].byte));
      if (!MatchParen(u, open, e, close)) return false;
      out += '@';
      out += static_cast<char>(u[j].byte);
      if (!Args(u, open + 1, close, out, depth + 1)) return false;
      out += ')';
      i = close + 1;
      return true;
    }
    size_t k = j;
    while (k < e && !u[k].escaped && (IsIdentChar(u[k].byte) || IsKindChar(u[k].byte))) ++k;
    if (k == j) return Fail("function name expected after '@'");
    const std::string name = Show(u, j, k);
    const std::string upper = Upper(UnitBytes(u, j, k));
    size_t open = SkipBlanks(u, k, e), close;
    if (open >= e || !Is(u[open], '(')) return Fail("'(' expected after @" + name);
    if (!MatchParen(u, open, e, close)) return false;
    int token = FunctionTokenOf(upper);
    if (token >= 0) {
      CheckBuiltinCall(u, i, open, close, name, upper);
      out += '@';
      out += static_cast<char>(token);
    } else {
      CheckOperators(u, open + 1, close);
      auto fn = syms_.functions.find(upper);
      if (fn == syms_.functions.end()) return Fail("unknown function @" + name);
      int given = CountArguments(u, open + 1, close);
      if (fn->second.count >= 0 && given != fn->second.count)
        return Fail("@" + name + " takes " + std::to_string(fn->second.count) + " argument(s), not " +
                    std::to_string(given));
      out += '@';
      out += static_cast<char>(vestil::fn::kUserFunction);
      vestil::AppendLe16(out, static_cast<uint16_t>(fn->second.line));
    }
    if (!Args(u, open + 1, close, out, depth + 1)) return false;
    out += ')';
    i = close + 1;
    return true;
  }

  // CASE cond : statement; the ":" is the first outside quotes and parentheses.
  // The statement loop resolves a CASE first and a CASENOT after it, once
  // each: CASE may only begin a line, CASENOT may follow it.
  bool Case(const Units& u, size_t w, size_t e, bool is_case, int case_level, std::string& out) {
    const char* keyword = is_case ? "CASE" : "CASENOT";
    if (is_case && case_level > 0)
      return Fail("CASE after CASE or CASENOT would not be run (CASENOT may follow CASE)");
    if (!is_case && case_level == 2) return Fail("CASENOT after CASENOT would not be run");
    int depth = 0;
    size_t colon = e;
    for (size_t k = w; k < e && colon == e; ++k) {
      if (u[k].escaped) continue;
      switch (u[k].byte) {
        case '"':
          k = QuoteEnd(u, k, e);
          if (k == e) return Fail("unbalanced quotes");
          break;
        case '(': ++depth; break;
        case ')': --depth; break;
        case ':': if (depth == 0) colon = k; break;
        default: break;
      }
    }
    if (colon == e) return Fail(std::string(keyword) + " needs ':' before its statement");
    if (SkipBlanks(u, w, colon) == colon) return Fail(std::string(keyword) + " needs a condition");
    out += static_cast<char>(is_case ? cmd::kCase : cmd::kCaseNot);
    CheckOperators(u, w, colon);
    if (!Args(u, w, colon, out)) return false;
    out += ':';
    return Statement(u, colon + 1, e, is_case ? 1 : 2, out);
  }

  bool DefFn(const Units& u, size_t w, size_t e, std::string& out) {
    DefFnParts p;
    if (!ParseDefFn(u, w, e, p)) return false;
    const std::string name = Show(u, p.name_b, p.name_e);
    if (FunctionTokenOf(Upper(UnitBytes(u, p.name_b, p.name_e))) >= 0)
      return Fail("DEFFN " + name + ": the name of a built-in function");
    std::string count;
    if (!Count(u, p, count)) return false;
    if (LiteralCount(count) > kMaxParameters)
      return Fail("DEFFN " + name + ": the parameter count must lie in 0..12");
    size_t bb = p.close + 1, be = e;
    Trim(u, bb, be);
    if (bb == be) return Fail("DEFFN " + name + " needs a body");
    out += static_cast<char>(cmd::kDefFn);
    out += kDefFnMarker;
    out += count;
    out += ')';
    return Args(u, bb, be, out);
  }

  const Symbols& syms_;
  std::string error_;
  std::vector<Finding> findings_;
  std::vector<Jump> jumps_;
};

bool ParseHex(const Units& u, size_t b, size_t e, std::string& out) {
  std::string digits;
  for (size_t k = b; k < e; ++k) {
    uint8_t c = u[k].byte;
    if (!u[k].escaped && IsBlank(c)) continue;
    bool hex = !u[k].escaped && (IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
    if (!hex) return false;
    digits += static_cast<char>(c);
  }
  if (digits.size() % 2) return false;
  for (size_t k = 0; k < digits.size(); k += 2)
    out += static_cast<char>(std::stoi(digits.substr(k, 2), nullptr, 16));
  return true;
}

std::filesystem::path PathFromCp1252(std::string_view bytes) {
  std::string utf8 = Cp1252ToUtf8(bytes);
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

struct Where {
  std::string file;
  int line = 0;
  int seq = 0;  // the place of the line in the whole compilation (INCLUDE expanded)
};

struct SourceStatement {
  Where where;
  int file;          // index into the map's files
  std::string text;  // the source line as written
  Units units;
  size_t b, e;
  bool raw;  // a #RAW line: the units are the body
  bool nowarn = false;  // after #NOWARN: no warnings for this line
};

// A compiled statement as the block and jump checks see it.
struct CheckedLine {
  const SourceStatement* st;
  uint8_t token;
  int column;
};

class Compilation {
 public:
  explicit Compilation(const CompileOptions& options) : options_(options) {}

  void AddFile(std::string_view text, const std::filesystem::path& name, bool included) {
    Where where{name.string(), 0};
    const int file = static_cast<int>(map_.files.size());
    map_.files.push_back(where.file);
    size_t pos = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    while (pos <= text.size()) {
      size_t nl = text.find('\n', pos);
      if (nl == std::string_view::npos) nl = text.size();
      std::string_view line = text.substr(pos, nl - pos);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++where.line;
      where.seq = ++lines_read_;
      AddLine(line, where, file, name, included);
      pos = nl + 1;
    }
  }

  CompileResult Finish() {
    CompileResult result;
    if (statements_.size() > kMaxLines)
      Error(statements_[kMaxLines].where, "more than 32767 program lines");
    Symbols symbols = Declarations();
    ProgramImage image;
    std::vector<CheckedLine> checked;
    std::vector<std::pair<const SourceStatement*, Jump>> jumps;
    for (const auto& st : statements_) {
      std::string body;
      if (st.raw) {
        body = UnitBytes(st.units, st.b, st.e);
      } else {
        StatementCompiler sc(symbols);
        if (!sc.Statement(st.units, st.b, st.e, 0, body)) {
          Error(st.where, sc.error());
          continue;
        }
        for (const auto& f : sc.findings())
          if (options_.checks && !(f.warning && st.nowarn)) At(st.where, f.column, f.warning, f.message);
        for (const auto& j : sc.jumps()) jumps.push_back({&st, j});
        checked.push_back({&st, static_cast<uint8_t>(body[0]), st.units[st.b].column});
      }
      if (body.size() > kMaxLineLength)
        Error(st.where, "the line has " + std::to_string(body.size()) +
                            " bytes after compilation, at most 254 are allowed: split the statement");
      image.lines.push_back(std::move(body));
      map_.lines.push_back({st.file, st.where.line, st.text});
    }
    if (options_.checks) {
      CheckBlocks(checked);
      CheckJumps(checked, jumps, image);
    }
    image.header = header_ ? *header_ : StandardHeader();
    SetMarker(image.header, marker_, marker_where_);
    if (options_.scramble) {
      Units m;
      std::string err;
      if (!DecodeSourceLine(*options_.scramble, m, err) || m.size() != 2)
        Error({"--scramble", 0}, "the scramble marker must be two characters");
      else
        SetMarker(image.header, UnitBytes(m, 0, 2), {"--scramble", 0});
    }
    image.trailer = trailer_;
    if (image.header.size() < kHeaderSize && (!image.lines.empty() || !image.trailer.empty()))
      Error(header_where_, "a #HEADER shorter than 32 bytes leaves no room for lines");
    // In the order of the source, whichever check found them.
    std::stable_sort(messages_.begin(), messages_.end(), [](const Message& a, const Message& b) {
      return a.seq != b.seq ? a.seq < b.seq : a.column < b.column;
    });
    for (auto& m : messages_) {
      (m.error ? result.errors : result.warnings).push_back(m.text);
      result.messages.push_back(std::move(m.text));
    }
    if (result.errors.empty()) {
      result.ok = true;
      result.program = SerializeProgram(image);
      result.map = std::move(map_);
    }
    return result;
  }

 private:
  void Error(const Where& w, const std::string& message, bool prefix = true) {
    if (error_count_ > kMaxErrors) return;
    if (error_count_++ == kMaxErrors) {
      messages_.push_back({std::numeric_limits<int>::max(), 0, true, "vestcomp: too many errors"});
      return;
    }
    std::string s = w.line > 0 ? w.file + ":" + std::to_string(w.line) + ": " : w.file + ": ";
    s += prefix ? "error: " + message : message;
    messages_.push_back({w.seq, 0, true, std::move(s)});
  }

  // An error or a warning at a column of a line.
  void At(const Where& w, int column, bool warning, const std::string& message) {
    const bool as_error = !warning || options_.warnings_as_errors;
    if (as_error && error_count_ >= kMaxErrors) return Error(w, message);
    if (as_error) ++error_count_;
    messages_.push_back({w.seq, column, as_error,
                         w.file + ":" + std::to_string(w.line) + ":" + std::to_string(column) +
                             (as_error ? ": error: " : ": warning: ") + message +
                             (warning && as_error ? " [-Werror]" : "")});
  }

  static std::string LineOf(const Where& w, const Where& from) {
    return w.file == from.file ? "line " + std::to_string(w.line) : w.file + ":" + std::to_string(w.line);
  }

  // IF/IFNOT, ELSEIF, ELSE, ENDIF; WHILE/WHILENOT, ENDWHILE; PROC, ENDPROC:
  // properly nested, by the first token of each line (as the runtime finds
  // them). STARTPAINT/ENDPAINT, STARTPRINT/ENDPRINT and SUBMENU/ENDSUBMENU
  // may open and close in different places (and a print job still open at
  // the end is finished): only an end with no start anywhere before it is
  // reported.
  void CheckBlocks(const std::vector<CheckedLine>& lines) {
    struct Open {
      const char* opener;
      const char* closer;
      const CheckedLine* line;
      const CheckedLine* else_line;
    };
    std::vector<Open> stack;
    auto closer_of = [](uint8_t t) -> const char* {
      return t == cmd::kEndIf ? "ENDIF" : t == cmd::kEndWhile ? "ENDWHILE" : t == cmd::kEndProc ? "ENDPROC" : nullptr;
    };
    for (const auto& l : lines) {
      const Where& w = l.st->where;
      switch (l.token) {
        case cmd::kIf: case cmd::kIfNot:
          stack.push_back({l.token == cmd::kIf ? "IF" : "IFNOT", "ENDIF", &l, nullptr});
          break;
        case cmd::kWhile: case cmd::kWhileNot:
          stack.push_back({l.token == cmd::kWhile ? "WHILE" : "WHILENOT", "ENDWHILE", &l, nullptr});
          break;
        case cmd::kProc:
          stack.push_back({"PROC", "ENDPROC", &l, nullptr});
          break;
        case cmd::kElse: case cmd::kElseIf: {
          const char* kw = l.token == cmd::kElse ? "ELSE" : "ELSEIF";
          if (stack.empty() || std::string_view(stack.back().closer) != "ENDIF") {
            if (stack.empty())
              At(w, l.column, false, std::string(kw) + " without IF: write IF condition before it");
            else
              At(w, l.column, false, std::string(kw) + " inside the " + stack.back().opener + " of " +
                                         LineOf(stack.back().line->st->where, w) + ", which is still open: write " +
                                         stack.back().closer + " before it");
            break;
          }
          Open& o = stack.back();
          if (o.else_line)
            At(w, l.column, false, std::string(kw) + " after the ELSE of " + LineOf(o.else_line->st->where, w) +
                                       " is never reached: write " +
                                       (l.token == cmd::kElse ? "one ELSE per block" : "the ELSEIF branches before ELSE"));
          else if (l.token == cmd::kElse)
            o.else_line = &l;
          break;
        }
        case cmd::kEndIf: case cmd::kEndWhile: case cmd::kEndProc: {
          const std::string closer = closer_of(l.token);
          size_t k = stack.size();
          while (k > 0 && stack[k - 1].closer != closer) --k;
          if (k == 0) {
            std::string opener = closer.substr(3);
            At(w, l.column, false, closer + " without " + opener + ": remove it, or write " + opener +
                                       (opener == "PROC" ? " name" : " condition") + " before it");
            break;
          }
          if (k != stack.size()) {
            const Open& inner = stack.back();
            At(w, l.column, false, closer + " closes the " + stack[k - 1].opener + " of " +
                                       LineOf(stack[k - 1].line->st->where, w) + ", but the " + inner.opener + " of " +
                                       LineOf(inner.line->st->where, w) + " is still open: write " + inner.closer +
                                       " before it");
          }
          stack.resize(k - 1);
          break;
        }
        default:
          break;
      }
    }
    for (const auto& o : stack)
      At(o.line->st->where, o.line->column, false,
         std::string(o.opener) + " without " + o.closer + ": write " + o.closer + " where the block ends");

    struct Pair {
      uint8_t start, end;
      const char *start_word, *end_word;
    };
    static const Pair kPairs[] = {{cmd::kStartPaint, cmd::kEndPaint, "STARTPAINT", "ENDPAINT"},
                                  {cmd::kStartPrint, cmd::kEndPrint, "STARTPRINT", "ENDPRINT"},
                                  {cmd::kSubMenu, cmd::kEndSubMenu, "SUBMENU", "ENDSUBMENU"}};
    for (const auto& p : kPairs) {
      bool started = false;
      for (const auto& l : lines) {
        if (l.token == p.start) {
          started = true;
        } else if (l.token == p.end && !started) {
          At(l.st->where, l.column, false,
             std::string(p.end_word) + " without " + p.start_word + " before it: write " + p.start_word +
                 " first, or remove it");
        }
      }
    }
  }

  // Literal GOTO and GOSUB targets must exist; labels no literal jump names
  // are reported unless some jump computes its target.
  void CheckJumps(const std::vector<CheckedLine>& lines,
                  const std::vector<std::pair<const SourceStatement*, Jump>>& jumps, const ProgramImage& image) {
    bool computed = false;
    std::set<std::string> used;
    for (const auto& [st, j] : jumps) {
      if (j.name.empty()) {
        computed = true;
        continue;
      }
      Units n;
      std::string err;
      if (!DecodeSourceLine(j.name, n, err)) continue;
      const std::string key = Upper(UnitBytes(n, 0, n.size())) + ":";
      used.insert(key);
      bool found = false;
      for (const auto& body : image.lines)
        if (body.size() > key.size() && Upper(body.substr(1, key.size())) == key) found = true;
      if (!found)
        At(st->where, j.column, false,
           j.keyword + " \"" + j.name + "\": there is no label \"" + j.name + "\"" +
               " (write a line " + j.name + ": where the jump should land, or correct the name)");
    }
    if (computed) return;
    for (const auto& l : lines) {
      if (l.token != cmd::kLabel || l.st->nowarn) continue;
      const SourceStatement& st = *l.st;
      size_t colon = st.b;
      while (colon < st.e && !Is(st.units[colon], ':')) ++colon;
      const std::string key = Upper(UnitBytes(st.units, st.b, colon)) + ":";
      if (!used.count(key)) {
        const std::string name = Show(st.units, st.b, colon);
        At(st.where, l.column, true, "label " + name + " is never used: remove it, or write GOTO \"" +
                                         name + "\" or GOSUB \"" + name + "\"");
      }
    }
  }

  void SetMarker(std::string& header, const std::optional<std::string>& marker, const Where& where) {
    if (!marker) return;
    if (header.size() < kScrambleMarkerOffset + 2) {
      Error(where, "the header is too short to hold a scramble marker");
      return;
    }
    header.replace(kScrambleMarkerOffset, 2, *marker);
  }

  void AddLine(std::string_view line, const Where& where, int file, const std::filesystem::path& name,
               bool included) {
    Units u;
    std::string err;
    if (!DecodeSourceLine(line, u, err)) {
      Error(where, err);
      return;
    }
    size_t b = 0, e = u.size();
    Trim(u, b, e);
    if (b == e) return;
    Head h = ReadHead(u, b, e);
    if (h.kind == Head::kDirective) {
      Directive(u, b, e, where, file, line);
      return;
    }
    if (IsPlainWord(h, "INCLUDE")) {
      if (included) {
        Error(where, "INCLUDE inside an included file: write the INCLUDE in the main file");
        return;
      }
      size_t q = SkipBlanks(u, h.word_end, e);
      size_t qe = q < e && Is(u[q], '"') ? QuoteEnd(u, q, e) : e;
      if (qe == e || qe + 1 != e) {
        Error(where, "INCLUDE expects a file name in double quotes");
        return;
      }
      std::filesystem::path file = name.parent_path() / PathFromCp1252(UnitBytes(u, q + 1, qe));
      std::string text;
      bool read = options_.read_file ? options_.read_file(file, text) : vestil::ReadWholeFile(file, text);
      if (!read) {
        Error(where, "INCLUDE file not found: " + file.string() + " (the name is relative to the including file)");
        return;
      }
      AddFile(text, file, true);
      return;
    }
    statements_.push_back({where, file, std::string(line), std::move(u), b, e, false, std::exchange(nowarn_next_, false)});
  }

  void Directive(const Units& u, size_t b, size_t e, const Where& where, int file, std::string_view line) {
    size_t n = b + 1;
    while (n < e && !u[n].escaped && IsAsciiLetter(u[n].byte)) ++n;
    const std::string name = Upper(UnitBytes(u, b + 1, n));
    if (n < e && !(Is(u[n], ' ') || Is(u[n], '\t'))) {
      Error(where, "unknown directive " + Show(u, b, WordEnd(u, b, e)));
      return;
    }
    const size_t arg = SkipBlanks(u, n, e);
    if (name == "RAW") {
      statements_.push_back({where, file, std::string(line), u, arg, e, true, std::exchange(nowarn_next_, false)});
    } else if (name == "HEADER") {
      std::string bytes;
      if (header_) {
        Error(where, "a second #HEADER");
      } else if (!ParseHex(u, arg, e, bytes) || bytes.size() > kHeaderSize) {
        Error(where, "#HEADER expects up to 32 bytes in hex");
      } else {
        header_ = bytes;
        header_where_ = where;
      }
    } else if (name == "NOWARN") {
      if (arg != e) Error(where, "#NOWARN stands alone on its line (it silences the warnings of the next line)");
      nowarn_next_ = true;
    } else if (name == "TRAILER") {
      if (!ParseHex(u, arg, e, trailer_)) Error(where, "#TRAILER expects bytes in hex");
    } else if (name == "SCRAMBLE") {
      if (marker_) {
        Error(where, "a second #SCRAMBLE");
      } else if (e - arg != 2) {
        Error(where, "#SCRAMBLE expects the two characters of the scramble marker");
      } else {
        marker_ = UnitBytes(u, arg, e);
        marker_where_ = where;
      }
    } else {
      Error(where, "unknown directive #" + Show(u, b + 1, n));
    }
  }

  // First pass: the line numbers of procedures and user-declared functions.
  Symbols Declarations() {
    Symbols symbols;
    std::map<std::string, Where> seen_fn;
    const Symbols none;
    for (size_t idx = 0; idx < statements_.size() && idx < kMaxLines; ++idx) {
      const auto& st = statements_[idx];
      if (st.raw) continue;
      const int line = static_cast<int>(idx + 1);
      Head h = ReadHead(st.units, st.b, st.e);
      if (IsPlainWord(h, "PROC")) {
        size_t nb, ne;
        if (!ProcName(st.units, h.word_end, st.e, nb, ne)) continue;
        std::string key = Upper(UnitBytes(st.units, nb, ne));
        auto it = symbols.procs.find(key);
        if (it != symbols.procs.end())
          Error(st.where, "procedure " + Show(st.units, nb, ne) + " is already defined in program line " +
                              std::to_string(it->second));
        else
          symbols.procs[key] = line;
      } else if (IsPlainWord(h, "DEFFN")) {
        StatementCompiler sc(none);
        DefFnParts p;
        if (!sc.ParseDefFn(st.units, h.word_end, st.e, p)) continue;
        std::string key = Upper(UnitBytes(st.units, p.name_b, p.name_e));
        if (FunctionTokenOf(key) >= 0) continue;  // reported by the second pass
        std::string count;
        int n = sc.Count(st.units, p, count) ? LiteralCount(count) : -1;
        auto it = symbols.functions.find(key);
        if (it != symbols.functions.end())
          Error(st.where, "function " + Show(st.units, p.name_b, p.name_e) +
                              " is already defined in program line " + std::to_string(it->second.line));
        else
          symbols.functions[key] = {line, n};
      }
    }
    return symbols;
  }

  const CompileOptions& options_;
  std::vector<SourceStatement> statements_;
  struct Message {
    int seq, column;
    bool error;
    std::string text;
  };
  std::vector<Message> messages_;
  size_t error_count_ = 0;
  int lines_read_ = 0;
  std::optional<std::string> header_, marker_;
  Where header_where_, marker_where_;
  std::string trailer_;
  vestil::LineMap map_;
  bool nowarn_next_ = false;
};

}  // namespace

void PrintDiagnostics(const CompileResult& result, std::FILE* to) {
  for (const auto& m : result.messages) std::fprintf(to, "%s\n", m.c_str());
}

int LiteralCount(std::string_view s) {
  if (s.empty() || s.find_first_not_of("0123456789") != s.npos) return -1;
  if (s.size() > 4) return 9999;
  return std::stoi(std::string(s));
}

bool IsReservedWord(std::string_view upper_word) {
  return upper_word == "INCLUDE" || CommandTokenOf(upper_word) >= 0;
}

CompileResult CompileSource(std::string_view text, const std::filesystem::path& name,
                            const CompileOptions& options) {
  Compilation c(options);
  c.AddFile(text, name, false);
  return c.Finish();
}

CompileResult CompileFile(const std::filesystem::path& path, const CompileOptions& options) {
  std::string text;
  if (!vestil::ReadWholeFile(path, text)) {
    CompileResult r;
    r.errors.push_back(path.string() + ": error: cannot read the file");
    return r;
  }
  return CompileSource(text, path, options);
}

bool CompileSingleLine(std::string_view utf8_line, const Symbols& symbols, std::string& body) {
  Units u;
  std::string err;
  if (!DecodeSourceLine(utf8_line, u, err)) return false;
  size_t b = 0, e = u.size();
  Trim(u, b, e);
  if (b == e) return false;
  Head h = ReadHead(u, b, e);
  body.clear();
  if (h.kind == Head::kDirective) {
    size_t n = b + 1;
    while (n < e && !u[n].escaped && IsAsciiLetter(u[n].byte)) ++n;
    if (Upper(UnitBytes(u, b + 1, n)) != "RAW" || (n < e && !(Is(u[n], ' ') || Is(u[n], '\t'))))
      return false;
    body = UnitBytes(u, SkipBlanks(u, n, e), e);
  } else {
    if (IsPlainWord(h, "INCLUDE")) return false;
    StatementCompiler sc(symbols);
    if (!sc.Statement(u, b, e, 0, body)) return false;
  }
  return body.size() <= kMaxLineLength;
}

bool CompileArgumentText(std::string_view utf8, const Symbols& symbols, std::string& bytes) {
  Units u;
  std::string err;
  if (!DecodeSourceLine(utf8, u, err)) return false;
  StatementCompiler sc(symbols);
  bytes.clear();
  return sc.Args(u, 0, u.size(), bytes);
}

}  // namespace vestcomp
