#pragma once
// The profile (INI) text engine of the terminal host.
#include <string>
#include <string_view>

namespace vestil {

// The value of key in section of an INI text. Sections and keys match without
// regard to case (after trimming); the first matching section and, in it, the
// first matching key count. The value is trimmed, and a value enclosed in a
// pair of equal quotes (' or ") loses them. False when there is no such entry.
bool IniLookup(std::string_view content, std::string_view section, std::string_view key,
               std::string& value);

// The INI text with key = value set in section. An existing entry keeps its
// line up to the value; a new key goes after the last non-empty line of its
// section; a missing section is appended. Every other line stays as it is.
// New lines end as the text's first line does (CR LF for a new text).
std::string IniUpdate(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value);

}  // namespace vestil
