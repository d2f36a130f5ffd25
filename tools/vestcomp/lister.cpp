// The lister: a program file back to VESTIL source.
#include "vestcomp/lister.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "base/bytes.h"
#include "base/tokens.h"
#include "vestcomp/compiler.h"
#include "vestcomp/encoding.h"
#include "vestcomp/program_file.h"

namespace vestcomp {
namespace {

using vestil::CommandName;
using vestil::CommandTokenOf;
using vestil::FunctionName;
using vestil::FunctionTokenOf;
using vestil::SysVarName;
using vestil::SysVarTokenOf;
namespace cmd = vestil::cmd;

// What the lister knows about the program while it writes lines.
struct Context {
  Symbols symbols;                          // as the compiler will see them
  std::map<int, std::string> proc_names;    // PROC line -> name, for calls
  std::map<int, std::string> proc_lines;    // PROC line -> its listing
  std::map<int, std::string> fn_names;      // DEFFN line -> invented name
};

// ---------------------------------------------------------------------------
// Argument texts are taken apart into literals, system variables, calls (with
// their arguments) and single bytes, then written back as source.

struct Node {
  enum Type { kByte, kLiteral, kSysVar, kCall } type;
  size_t pos;          // first byte
  size_t len;          // bytes covered; for a call the "@" and its token bytes
  bool force = false;  // a byte that is always written as an escape
  std::vector<Node> kids;
};

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  // Reads nodes from i. In a call it stops at the ")" that closes it and
  // returns true with i on it; otherwise it runs to the end.
  bool Seq(size_t& i, bool in_call, std::vector<Node>& out) {
    while (i < s_.size()) {
      const auto c = static_cast<uint8_t>(s_[i]);
      if (in_call && c == ')') return true;
      if (c == '"') {
        size_t j = s_.find('"', i + 1);
        if (j != std::string_view::npos) {
          out.push_back({Node::kLiteral, i, j - i + 1, false, {}});
          i = j + 1;
          continue;
        }
      } else if (c == '@') {
        size_t h = HeaderLength(i);
        if (h) {
          Node call{Node::kCall, i, h, false, {}};
          size_t k = i + h;
          if (Seq(k, true, call.kids)) {
            out.push_back(std::move(call));
            i = k + 1;
            continue;
          }
          // Never closed: the header is plain bytes, its arguments belong to
          // the enclosing text (and there is no ")" left for it either).
          for (size_t m = 0; m < h; ++m) out.push_back({Node::kByte, i + m, 1, true, {}});
          for (auto& kid : call.kids) out.push_back(std::move(kid));
          i = k;
          continue;
        }
      } else if (IsKindChar(c) && i + 1 < s_.size()) {
        const char* name = SysVarName(static_cast<uint8_t>(s_[i + 1]));
        if (name && static_cast<uint8_t>(name[0]) == c) {
          out.push_back({Node::kSysVar, i, 2, false, {}});
          i += 2;
          continue;
        }
      }
      out.push_back({Node::kByte, i, 1, false, {}});
      ++i;
    }
    return false;
  }

 private:
  // "@", the FunctionToken and, for calls of user-declared functions, the two
  // bytes of the line number; 0 when the bytes cannot be a call.
  size_t HeaderLength(size_t i) const {
    if (i + 1 >= s_.size()) return 0;
    const auto t = static_cast<uint8_t>(s_[i + 1]);
    if (IsKindChar(t) || FunctionName(t)) return 2;
    return i + 4 <= s_.size() ? 4 : 0;
  }

  std::string_view s_;
};

std::vector<Node> Parse(std::string_view s) {
  std::vector<Node> nodes;
  size_t i = 0;
  Parser(s).Seq(i, false, nodes);
  return nodes;
}

bool FollowedByEscapeIntro(std::string_view s, size_t pos) { return s.substr(pos + 1, 2) == "x{"; }

class Emitter {
 public:
  Emitter(std::string_view s, const Context& ctx, bool escape_colon, size_t force_prefix)
      : s_(s), ctx_(ctx), escape_colon_(escape_colon), force_prefix_(force_prefix) {}

  std::string Run() {
    Nodes(Parse(s_), 0);
    if (!out_.empty() && out_.back() == ' ') out_.pop_back();
    return std::move(out_);
  }

 private:
  void Put(uint8_t b, bool escaped) {
    if (escaped)
      out_ += EscapeByte(b);
    else
      AppendCp1252AsUtf8(b, out_);
    element_start_ = !escaped && !IsNameChar(b);
    after_sysvar_ = false;
  }

  void Nodes(const std::vector<Node>& nodes, int depth) {
    for (const auto& n : nodes) {
      switch (n.type) {
        case Node::kByte: Byte(n.pos, n.force, depth); break;
        case Node::kLiteral: Literal(n.pos, n.len); break;
        case Node::kSysVar: SysVar(n.pos, depth); break;
        case Node::kCall: Call(n, depth); break;
      }
    }
  }

  // Would the compiler read a system variable name after the kind character
  // at pos?
  bool FormsSysVarName(size_t pos) const {
    size_t k = pos + 1;
    while (k < s_.size() && IsNameChar(static_cast<uint8_t>(s_[k])) && !AlwaysEscaped(static_cast<uint8_t>(s_[k])))
      ++k;
    if (k == pos + 1) return false;
    std::string name(1, s_[pos]);
    name += Upper(s_.substr(pos + 1, k - pos - 1));
    return SysVarTokenOf(name) >= 0;
  }

  void Byte(size_t pos, bool force, int depth) {
    const auto b = static_cast<uint8_t>(s_[pos]);
    bool esc = force || pos < force_prefix_ || AlwaysEscaped(b) || b == ' ' || b == '(' || b == ')' ||
               b == '"' || b == '@' || (b == '\\' && FollowedByEscapeIntro(s_, pos)) ||
               (b == ':' && escape_colon_ && depth == 0) || (after_sysvar_ && IsNameChar(b)) ||
               (IsKindChar(b) && element_start_ && FormsSysVarName(pos));
    Put(b, esc);
    // A blank after list separators, for the eye; the compiler drops it.
    if (!esc && (b == ',' || b == ';')) out_ += ' ';
  }

  void Literal(size_t pos, size_t len) {
    Put('"', false);
    for (size_t k = pos + 1; k + 1 < pos + len; ++k) {
      const auto b = static_cast<uint8_t>(s_[k]);
      Put(b, AlwaysEscaped(b) || (b == '\\' && FollowedByEscapeIntro(s_, k)));
    }
    Put('"', false);
  }

  void SysVar(size_t pos, int depth) {
    if (element_start_ && pos >= force_prefix_) {
      out_ += SysVarName(static_cast<uint8_t>(s_[pos + 1]));
      element_start_ = false;
      after_sysvar_ = true;
      return;
    }
    Byte(pos, false, depth);
    Put(static_cast<uint8_t>(s_[pos + 1]), true);
  }

  void Call(const Node& n, int depth) {
    const auto t = static_cast<uint8_t>(s_[n.pos + 1]);
    std::string head;
    if (n.len == 2 && IsKindChar(t)) {
      head = "@";
      head += static_cast<char>(t);
    } else if (n.len == 2 && FunctionTokenOf(FunctionName(t)) == t) {
      head = "@";
      head += FunctionName(t);
    } else if (n.len == 4 && t == vestil::fn::kUserFunction) {
      int line = vestil::ReadLe16(s_.data() + n.pos + 2);
      auto fn = ctx_.fn_names.find(line);
      if (fn != ctx_.fn_names.end()) {
        int count = ctx_.symbols.functions.at(fn->second).count;
        int given = 0;
        if (!n.kids.empty()) {
          given = 1;
          for (const auto& k : n.kids)
            if (k.type == Node::kByte && s_[k.pos] == ',') ++given;
        }
        if (count < 0 || count == given) head = "@" + fn->second;
      }
    }
    if (head.empty()) {
      out_ += '@';
      for (size_t m = 1; m < n.len; ++m) out_.append(EscapeByte(static_cast<uint8_t>(s_[n.pos + m])));
    } else {
      out_ += head;
    }
    out_ += '(';
    element_start_ = true;
    after_sysvar_ = false;
    Nodes(n.kids, depth + 1);
    Put(')', false);
  }

  std::string_view s_;
  const Context& ctx_;
  bool escape_colon_;
  size_t force_prefix_;
  std::string out_;
  bool element_start_ = true;
  bool after_sysvar_ = false;
};

std::string ListArgs(std::string_view s, const Context& ctx, bool escape_colon = false, size_t force_prefix = 0) {
  return Emitter(s, ctx, escape_colon, force_prefix).Run();
}

// Every byte that could mean anything to the compiler written as an escape.
std::string EscapeAllArgs(std::string_view s) {
  std::string out;
  for (char ch : s) {
    const auto b = static_cast<uint8_t>(ch);
    bool plain = IsAsciiLetter(b) || IsDigit(b) || std::string_view(",;.+-*/<>=_").find(ch) != std::string_view::npos;
    out += plain ? std::string(1, ch) : EscapeByte(b);
  }
  return out;
}

std::string ListArgsExact(std::string_view s, const Context& ctx, size_t force_prefix = 0) {
  std::string text = ListArgs(s, ctx, false, force_prefix);
  std::string back;
  if (CompileArgumentText(text, ctx.symbols, back) && back == s) return text;
  return EscapeAllArgs(s);
}

// Text the compiler takes as it stands (comments, the rest of label and PROC
// lines, #RAW and #SCRAMBLE): only what would be lost is escaped, including a
// blank at the end of the line (and at the start, where the compiler skips
// blanks before the text).
std::string Verbatim(std::string_view s, bool escape_leading_blank) {
  std::string out;
  for (size_t k = 0; k < s.size(); ++k) {
    const auto b = static_cast<uint8_t>(s[k]);
    bool edge = b == ' ' && (k + 1 == s.size() || (escape_leading_blank && k == 0));
    if (AlwaysEscaped(b) || edge || (b == '\\' && FollowedByEscapeIntro(s, k)))
      out += EscapeByte(b);
    else
      AppendCp1252AsUtf8(b, out);
  }
  return out;
}

std::string Hex(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    if (!out.empty()) out += ' ';
    out += kHex[static_cast<uint8_t>(c) >> 4];
    out += kHex[static_cast<uint8_t>(c) & 15];
  }
  return out;
}

// A name that the compiler reads back as the first word of a line.
bool IsPlainWord(std::string_view name) {
  if (name.empty() || name[0] == '#') return false;
  for (char ch : name) {
    const auto b = static_cast<uint8_t>(ch);
    if (AlwaysEscaped(b) || b == '\\' || IsBlank(b)) return false;
    if (std::string_view("\"=:,;()@'").find(ch) != std::string_view::npos) return false;
  }
  return true;
}

std::string WithArgs(std::string head, const std::string& args) {
  if (!args.empty()) head += " " + args;
  return head;
}

// Ways to write one statement, best first.
std::vector<std::string> Candidates(std::string_view body, int line, bool in_case, const Context& ctx) {
  std::vector<std::string> out;
  if (body.empty()) return out;
  const auto t = static_cast<uint8_t>(body[0]);
  const std::string_view args = body.substr(1);
  switch (t) {
    case cmd::kComment:
      out.push_back("'" + Verbatim(args, false));
      break;
    case cmd::kCallStatement: {
      std::string text = ListArgs(args, ctx);
      if (!text.empty() && text[0] == '@') out.push_back(text);
      break;
    }
    case cmd::kAssignment: {
      size_t eq = args.find('=');
      if (eq != std::string_view::npos && IsPlainWord(args.substr(0, eq)))
        out.push_back(WithArgs(Cp1252ToUtf8(args.substr(0, eq)) + " =", ListArgs(args.substr(eq + 1), ctx)));
      break;
    }
    case cmd::kLabel: {
      size_t colon = args.find(':');
      if (!in_case && colon != std::string_view::npos && IsPlainWord(args.substr(0, colon)))
        out.push_back(Cp1252ToUtf8(args.substr(0, colon)) + ":" + Verbatim(args.substr(colon + 1), false));
      break;
    }
    case cmd::kCase:
    case cmd::kCaseNot: {
      std::vector<Node> nodes = Parse(args);
      for (const auto& n : nodes) {
        if (n.type != Node::kByte || args[n.pos] != ':') continue;
        std::string cond = ListArgs(args.substr(0, n.pos), ctx, true);
        std::string head = std::string(t == cmd::kCase ? "CASE " : "CASENOT ") + cond + " : ";
        // The statement fully structured, or with its token escaped.
        std::vector<std::string> inner = Candidates(args.substr(n.pos + 1), line, true, ctx);
        if (!inner.empty()) out.push_back(head + inner.front());
        if (inner.size() > 1) out.push_back(head + inner.back());
        break;
      }
      break;
    }
    case cmd::kDefFn: {
      auto fn = ctx.fn_names.find(line);
      if (in_case || fn == ctx.fn_names.end()) break;
      std::string_view rest = args.substr(kDefFnMarker.size());
      std::vector<Node> count;
      size_t close = 0;
      Parser(rest).Seq(close, true, count);
      out.push_back("DEFFN " + fn->second + "(" + ListArgsExact(rest.substr(0, close), ctx) + ") " +
                    ListArgsExact(rest.substr(close + 1), ctx));
      break;
    }
    case cmd::kProc: {
      auto p = ctx.proc_lines.find(line);
      if (!in_case && p != ctx.proc_lines.end()) out.push_back(p->second);
      break;
    }
    case cmd::kProcCall: {
      if (in_case || args.size() < 2) break;
      int target = vestil::ReadLe16(args.data());
      auto p = ctx.proc_names.find(target);
      if (p != ctx.proc_names.end()) out.push_back(WithArgs(Cp1252ToUtf8(p->second), ListArgs(args.substr(2), ctx)));
      break;
    }
    default: {
      const char* name = CommandName(t);
      if (name && IsAsciiLetter(static_cast<uint8_t>(name[0])) && CommandTokenOf(name) == t)
        out.push_back(WithArgs(name, ListArgs(args, ctx)));
      break;
    }
  }
  // The token as an escape, the arguments as they are.
  out.push_back(WithArgs(EscapeByte(t), ListArgsExact(args, ctx, t == cmd::kProcCall ? 2 : 0)));
  return out;
}

std::string ListLine(std::string_view body, int line, const Context& ctx) {
  std::string back;
  for (const auto& c : Candidates(body, line, false, ctx))
    if (CompileSingleLine(c, ctx.symbols, back) && back == body) return c;
  return WithArgs("#RAW", Verbatim(body, true));
}

// Procedures and functions whose definition lines can be written as such.
Context Declarations(const ProgramImage& image) {
  Context ctx;
  const Symbols none;
  std::set<std::string> listed;
  std::string back;
  for (size_t idx = 0; idx < image.lines.size(); ++idx) {
    const std::string& body = image.lines[idx];
    const int line = static_cast<int>(idx + 1);
    if (body.empty()) continue;
    const std::string_view args = std::string_view(body).substr(1);
    if (static_cast<uint8_t>(body[0]) == cmd::kProc) {
      size_t k = 0;
      if (k < args.size() && IsIdentStart(static_cast<uint8_t>(args[0])))
        while (k < args.size() && IsIdentChar(static_cast<uint8_t>(args[k]))) ++k;
      if (k == 0) continue;
      const std::string name(args.substr(0, k));
      const std::string key = Upper(name);
      if (listed.count(key)) continue;
      std::string text = "PROC " + Cp1252ToUtf8(name) + Verbatim(args.substr(k), false);
      if (!CompileSingleLine(text, none, back) || back != body) continue;
      listed.insert(key);
      ctx.proc_lines[line] = text;
      if (!IsReservedWord(key)) {
        ctx.symbols.procs[key] = line;
        ctx.proc_names[line] = name;
      }
    } else if (static_cast<uint8_t>(body[0]) == cmd::kDefFn && args.substr(0, kDefFnMarker.size()) == kDefFnMarker) {
      std::string_view rest = args.substr(kDefFnMarker.size());
      std::vector<Node> nodes;
      size_t close = 0;
      if (!Parser(rest).Seq(close, true, nodes)) continue;
      const std::string name = "FN" + std::to_string(line);
      Context bare;
      std::string text = "DEFFN " + name + "(" + ListArgsExact(rest.substr(0, close), bare) + ") " +
                         EscapeAllArgs(rest.substr(close + 1));
      if (!CompileSingleLine(text, none, back) || back != body) continue;
      ctx.symbols.functions[name] = {line, LiteralCount(rest.substr(0, close))};
      ctx.fn_names[line] = name;
    }
  }
  return ctx;
}

std::string HeaderLines(const ProgramImage& image) {
  const std::string& h = image.header;
  if (h.size() == kHeaderSize) {
    auto m1 = static_cast<uint8_t>(h[kScrambleMarkerOffset]);
    auto m2 = static_cast<uint8_t>(h[kScrambleMarkerOffset + 1]);
    if (h == StandardHeader(m1, m2)) {
      if (m1 == ' ' && m2 == ' ') return "";
      return "#SCRAMBLE " + Verbatim(h.substr(kScrambleMarkerOffset, 2), true) + "\n";
    }
  }
  return WithArgs("#HEADER", Hex(h)) + "\n";
}

std::string TrailerLines(const ProgramImage& image) {
  std::string out;
  for (size_t k = 0; k < image.trailer.size(); k += 32)
    out += "#TRAILER " + Hex(std::string_view(image.trailer).substr(k, 32)) + "\n";
  return out;
}

int IndentChange(uint8_t t, int& depth) {
  // Returns the depth of this line and leaves the depth for the next one.
  int here = depth;
  switch (t) {
    case cmd::kEndIf: case cmd::kEndWhile: case cmd::kEndProc:
      here = depth = depth > 0 ? depth - 1 : 0;
      break;
    case cmd::kElse: case cmd::kElseIf:
      here = depth > 0 ? depth - 1 : 0;
      break;
    case cmd::kIf: case cmd::kIfNot: case cmd::kWhile: case cmd::kWhileNot: case cmd::kProc:
      ++depth;
      break;
    default:
      break;
  }
  return here;
}

std::string RawListing(const ProgramImage& image) {
  std::string out = WithArgs("#HEADER", Hex(image.header)) + "\n";
  for (const auto& body : image.lines) out += WithArgs("#RAW", Verbatim(body, true)) + "\n";
  return out + TrailerLines(image);
}

}  // namespace

std::string ListArgumentText(std::string_view bytes) { return ListArgsExact(bytes, Context()); }

std::vector<std::string> ListLines(const std::vector<std::string>& bodies) {
  ProgramImage image;
  image.lines = bodies;
  const Context ctx = Declarations(image);
  std::vector<std::string> out;
  out.reserve(bodies.size());
  for (size_t idx = 0; idx < bodies.size(); ++idx) out.push_back(ListLine(bodies[idx], static_cast<int>(idx + 1), ctx));
  return out;
}

ListResult ListProgram(std::string_view program) {
  const ProgramImage image = ParseProgram(program);
  const Context ctx = Declarations(image);
  ListResult result;
  result.text = HeaderLines(image);
  int depth = 0;
  for (size_t idx = 0; idx < image.lines.size(); ++idx) {
    const std::string& body = image.lines[idx];
    int indent = body.empty() ? depth : IndentChange(static_cast<uint8_t>(body[0]), depth);
    result.text += std::string(2 * static_cast<size_t>(std::min(indent, 16)), ' ');
    result.text += ListLine(body, static_cast<int>(idx + 1), ctx);
    result.text += '\n';
  }
  result.text += TrailerLines(image);

  CompileOptions options;
  options.checks = false;
  options.read_file = [](const std::filesystem::path&, std::string&) { return false; };
  CompileResult back = CompileSource(result.text, "listing", options);
  if (!back.ok || back.program != program) {
    result.text = RawListing(image);
    result.raw_fallback = true;
  }
  return result;
}

}  // namespace vestcomp
