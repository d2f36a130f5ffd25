// The profile (INI) text engine of the terminal host, which has no profile
// service of its own: the rules of the Windows profile functions.
#include "platform/terminal/profile_file.h"

#include <vector>

#include "core/shortstring.h"

namespace vestil {
namespace {

struct IniLine {
  std::string_view text;  // without its line end
  std::string_view end;   // "\r\n", "\n" or empty for a last line without one
};

std::vector<IniLine> SplitLines(std::string_view content) {
  std::vector<IniLine> lines;
  size_t i = 0;
  // A line ends with CR LF, LF or a lone CR, as Windows reads profiles.
  while (i < content.size()) {
    size_t text_end = content.find_first_of("\r\n", i);
    if (text_end == std::string_view::npos) {
      lines.push_back({content.substr(i), {}});
      break;
    }
    size_t next = text_end + 1;
    if (content[text_end] == '\r' && next < content.size() && content[next] == '\n') ++next;
    lines.push_back({content.substr(i, text_end - i), content.substr(text_end, next - text_end)});
    i = next;
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

}  // namespace vestil
