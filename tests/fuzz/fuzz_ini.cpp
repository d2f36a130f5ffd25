// Fuzz target: the console runner's INI engine; the input is a section, a key and a
// value (each ended by a zero byte), then an INI text. Findings: a value that does not
// read back, a second write that changes the text, another entry changed by the write.
#include <algorithm>
#include <string_view>

#include "core/shortstring.h"
#include "fuzz_check.h"
#include "platform/terminal/profile_file.h"

namespace {

// As WRITEINI passes names and values: line breaks and NULs become blanks.
std::string ProfileText(std::string_view s) {
  std::string t(s);
  for (char& c : t)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return std::string(TrimView(t));
}

bool SameName(std::string_view a, std::string_view b) {
  a = TrimView(a);
  b = TrimView(b);
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return UpperLatin1(x) == UpperLatin1(y); });
}

std::string_view Part(std::string_view& rest) {
  size_t z = rest.find('\0');
  std::string_view p = rest.substr(0, z);
  rest = z == std::string_view::npos ? std::string_view() : rest.substr(z + 1);
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string section = ProfileText(Part(rest));
  const std::string key = ProfileText(Part(rest));
  const std::string value = ProfileText(Part(rest));
  const std::string_view content = rest;

  // A second entry to watch: the key "other" of the same section and the
  // same key in the section "other".
  std::string other_key, other_section, v;
  const bool had_other_key = IniLookup(content, section, "other", other_key);
  const bool had_other_section = IniLookup(content, "other", key, other_section);

  const std::string updated = IniUpdate(content, section, key, value);
  // A key the text cannot hold as written: one with "=" (the line would split
  // there), one starting with "[" (with a "]" in the line it reads as a
  // section header, as Windows reads it), or none at all.
  std::string_view k(key);
  if (k.empty() || k.find('=') != std::string_view::npos || k[0] == '[') return 0;
  std::string got;
  if (!IniLookup(updated, section, key, got)) Finding("a written entry is not found");
  std::string_view expected(value);
  if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') && expected.back() == expected[0])
    expected = expected.substr(1, expected.size() - 2);
  if (got != expected) Finding("a written value reads back otherwise");
  if (IniUpdate(updated, section, key, value) != updated) Finding("writing the same value again changed the text");

  if (!SameName(key, "other") && had_other_key && (!IniLookup(updated, section, "other", v) || v != other_key))
    Finding("another key of the section changed");
  if (!SameName(section, "other") && had_other_section && (!IniLookup(updated, "other", key, v) || v != other_section))
    Finding("the key of another section changed");
  return 0;
}
