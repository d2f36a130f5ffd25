// The line map beside a program file: written by the compiler, read by the
// runners to name source lines (see line_map.h).
#include "base/line_map.h"

#include <cstdio>

namespace vestil {

const LineMap::Entry* LineMap::Find(int program_line) const {
  if (program_line < 1 || static_cast<size_t>(program_line) > lines.size()) return nullptr;
  return &lines[static_cast<size_t>(program_line) - 1];
}

std::string LineMap::Note(int program_line) const {
  const Entry* e = Find(program_line);
  if (!e || e->file < 0 || static_cast<size_t>(e->file) >= files.size()) return {};
  return files[static_cast<size_t>(e->file)] + ":" + std::to_string(e->line) + ": " + e->text;
}

uint32_t ProgramChecksum(std::string_view program_file) {
  uint32_t h = 2166136261u;
  for (char c : program_file) {
    h ^= static_cast<uint8_t>(c);
    h *= 16777619u;
  }
  return h;
}

namespace {

std::string Hex8(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

std::string HeaderLine(size_t count, std::string_view program_file) {
  return "VESTIL-LINEMAP 1 " + std::to_string(count) + " " + Hex8(ProgramChecksum(program_file));
}

// A non-negative decimal number up to the next blank; false when there is none.
bool Number(std::string_view& s, int& out) {
  size_t k = 0;
  out = 0;
  while (k < s.size() && s[k] >= '0' && s[k] <= '9' && k < 9) out = out * 10 + (s[k++] - '0');
  if (k == 0 || k >= s.size() || s[k] != ' ') return false;
  s.remove_prefix(k + 1);
  return true;
}

}  // namespace

std::string SerializeLineMap(const LineMap& map, std::string_view program_file) {
  std::string out = HeaderLine(map.lines.size(), program_file) + "\n";
  for (const auto& f : map.files) out += "F " + f + "\n";
  for (const auto& e : map.lines)
    out += std::to_string(e.file) + " " + std::to_string(e.line) + " " + e.text + "\n";
  return out;
}

bool ParseLineMap(std::string_view text, std::string_view program_file, LineMap& map) {
  map = LineMap();
  LineMap m;
  size_t pos = 0;
  bool first = true;
  size_t count = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) return false;
    std::string_view line = text.substr(pos, nl - pos);
    pos = nl + 1;
    if (first) {
      first = false;
      const std::string want_start = "VESTIL-LINEMAP 1 ";
      if (line.substr(0, want_start.size()) != want_start) return false;
      std::string_view rest = line.substr(want_start.size());
      int n = 0;
      if (!Number(rest, n) || rest != Hex8(ProgramChecksum(program_file))) return false;
      count = static_cast<size_t>(n);
      m.lines.reserve(count);
    } else if (line.substr(0, 2) == "F " && m.lines.empty()) {
      m.files.emplace_back(line.substr(2));
    } else {
      LineMap::Entry e;
      if (!Number(line, e.file) || !Number(line, e.line)) {
        // "<file> <line> " with an empty text has its blank as the last byte.
        return false;
      }
      if (static_cast<size_t>(e.file) >= m.files.size()) return false;
      e.text = std::string(line);
      m.lines.push_back(std::move(e));
    }
  }
  if (first || m.lines.size() != count) return false;
  map = std::move(m);
  return true;
}

std::string LineMapName(std::string_view program_name) {
  size_t slash = program_name.find_last_of("/\\");
  size_t dot = program_name.rfind('.');
  std::string base(program_name);
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) base.resize(dot);
  return base + ".VSM";
}

}  // namespace vestil
