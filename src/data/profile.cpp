// Profile (INI) files and the clipboard.
#include "data/profile.h"

#include <vector>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "core/shortstring.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

struct IniLine {
  std::string_view text;  // without its line end
  std::string_view end;   // "\r\n", "\n" or empty for a last line without one
};

std::vector<IniLine> SplitLines(std::string_view content) {
  std::vector<IniLine> lines;
  size_t i = 0;
  while (i < content.size()) {
    size_t nl = content.find('\n', i);
    if (nl == std::string_view::npos) {
      lines.push_back({content.substr(i), {}});
      break;
    }
    size_t text_end = nl > i && content[nl - 1] == '\r' ? nl - 1 : nl;
    lines.push_back({content.substr(i, text_end - i), content.substr(text_end, nl + 1 - text_end)});
    i = nl + 1;
  }
  return lines;
}

bool SameName(std::string_view a, std::string_view b) {
  a = TrimView(a);
  b = TrimView(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperLatin1(a[i]) != UpperLatin1(b[i])) return false;
  return true;
}

// The name of a section header line ("[name]", blanks around it allowed).
bool SectionHeader(std::string_view line, std::string_view& name) {
  std::string_view t = TrimView(line);
  if (t.empty() || t[0] != '[') return false;
  size_t close = t.rfind(']');
  if (close == std::string_view::npos) return false;
  name = t.substr(1, close - 1);
  return true;
}

// A key line: a line with "=" that is not a section header.
bool KeyLine(std::string_view line, std::string_view& key, size_t& value_start) {
  std::string_view name;
  if (SectionHeader(line, name)) return false;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = line.substr(0, eq);
  value_start = eq + 1;
  while (value_start < line.size() && Byte(line[value_start]) <= 32) ++value_start;
  return true;
}

// Index of the header of the first section of that name, or -1.
long FindSection(const std::vector<IniLine>& lines, std::string_view section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (SectionHeader(lines[i].text, name) && SameName(name, section)) return static_cast<long>(i);
  }
  return -1;
}

// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const std::vector<IniLine>& lines, size_t header) {
  size_t i = header + 1;
  std::string_view name;
  while (i < lines.size() && !SectionHeader(lines[i].text, name)) ++i;
  return i;
}

}  // namespace

bool IniLookup(std::string_view content, std::string_view section, std::string_view key,
               std::string& value) {
  std::vector<IniLine> lines = SplitLines(content);
  long header = FindSection(lines, section);
  if (header < 0) return false;
  size_t end = SectionEnd(lines, static_cast<size_t>(header));
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    std::string_view k;
    size_t start;
    if (!KeyLine(lines[i].text, k, start) || !SameName(k, key)) continue;
    std::string_view v = TrimView(lines[i].text.substr(start));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    value.assign(v);
    return true;
  }
  return false;
}

std::string IniUpdate(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value) {
  section = TrimView(section);
  key = TrimView(key);
  value = TrimView(value);
  std::vector<IniLine> lines = SplitLines(content);
  std::string_view eol = !lines.empty() && !lines[0].end.empty() ? lines[0].end : "\r\n";
  std::string entry = std::string(key) + "=" + std::string(value);

  auto join = [](const std::vector<IniLine>& ls, size_t from, size_t to, std::string& out) {
    for (size_t i = from; i < to; ++i) {
      out.append(ls[i].text);
      out.append(ls[i].end);
    }
  };
  std::string out;
  long header = FindSection(lines, section);
  if (header < 0) {
    out.assign(content);
    if (!lines.empty()) {
      if (lines.back().end.empty()) out.append(eol);
      if (!TrimView(lines.back().text).empty()) out.append(eol);  // a blank line between sections
    }
    out.append("[").append(section).append("]").append(eol);
    out.append(entry).append(eol);
    return out;
  }
  const size_t first = static_cast<size_t>(header) + 1;
  const size_t end = SectionEnd(lines, static_cast<size_t>(header));
  for (size_t i = first; i < end; ++i) {
    std::string_view k;
    size_t start;
    if (!KeyLine(lines[i].text, k, start) || !SameName(k, key)) continue;
    join(lines, 0, i, out);
    out.append(lines[i].text.substr(0, start)).append(value);
    out.append(lines[i].end);
    join(lines, i + 1, lines.size(), out);
    return out;
  }
  // A new key: after the last non-empty line of the section.
  size_t after = static_cast<size_t>(header);
  for (size_t i = first; i < end; ++i)
    if (!TrimView(lines[i].text).empty()) after = i;
  join(lines, 0, after + 1, out);
  if (lines[after].end.empty()) out.append(eol);
  out.append(entry).append(eol);
  join(lines, after + 1, lines.size(), out);
  return out;
}

namespace {

constexpr size_t kProfileBuffer = 255;  // characters of the value buffer, its NUL included

// Names and values are single profile lines: a line break or NUL in them
// would split the entry and plant lines of its own in the file, so they
// become blanks.
ShortString ProfileText(const ShortString& s) {
  ShortString t = s;
  for (size_t i = 0; i < t.size(); ++i)
    if (t[i] == '\r' || t[i] == '\n' || t[i] == '\0') t[i] = ' ';
  return ShortString(TrimView(t));
}

void WriteIni(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, ',', kFileNameDemand);
  ShortString file = rt.eval.rr.text();
  EvalArg(rt, ',', kAnyType);
  ShortString section = ProfileText(rt.eval.rr.text());
  EvalArg(rt, '=', kAnyType);
  ShortString key = ProfileText(rt.eval.rr.text());
  EvalArg(rt, kRest, kAnyType);
  ShortString value = ProfileText(rt.eval.rr.text());
  if (!rt.host->WriteProfileString(rt.host->MapPath(file), section, key, value)) {
    RuntimeWarning(rt, msg::kWriteError, file);
  }
}

void ReadIni(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kFileNameDemand);
  ShortString file = rt.eval.rr.text();
  EvalArg(rt, ',', kAnyType);
  ShortString section = ProfileText(rt.eval.rr.text());
  EvalArg(rt, ')', kAnyType);
  ShortString key = ProfileText(rt.eval.rr.text());
  std::string value = rt.host->ReadProfileString(rt.host->MapPath(file), section, key);
  if (value.size() > kProfileBuffer - 1) value.resize(kProfileBuffer - 1);
  rt.eval.rr.set_text(TrimView(value));
  rt.eval.rr.type = kTypeString;
  ctx.handled = true;
}

void ClearClip(Runtime& rt) {
  rt.host->ClearClipboard();
  rt.loop.statement_handled = true;
}

void SetClip(Runtime& rt) {
  EvalArg(rt, kRest, kAnyType);
  rt.host->SetClipboardText(rt.eval.rr.text());
  rt.loop.statement_handled = true;
}

void GetClip(Runtime& rt, CallContext& ctx) {
  rt.eval.rr.set_text(rt.host->ClipboardText());  // cut to 255 characters
  rt.eval.rr.type = kTypeString;
  ctx.handled = true;
}

}  // namespace

void RegisterProfile(Runtime& rt) {
  rt.statements[cmd::kWriteIni] = WriteIni;
  rt.statements[cmd::kClearClip] = ClearClip;
  rt.statements[cmd::kSetClip] = SetClip;
  rt.eval.functions[fn::kReadIni] = ReadIni;
  rt.eval.functions[fn::kGetClip] = GetClip;
}

}  // namespace vestil
