// Profile files of the console runner, read and written by its own INI
// engine (profile_file.h).
#include <fstream>

#include "base/whole_file.h"
#include "platform/terminal/profile_file.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {

std::string TerminalProfile::ReadProfileString(std::string_view file, std::string_view section,
                                              std::string_view key) {
  std::string content, value;
  if (!ReadWholeFile(std::string(file), content)) return std::string();
  IniLookup(content, section, key, value);
  return value;
}

bool TerminalProfile::WriteProfileString(std::string_view file, std::string_view section,
                                         std::string_view key, std::string_view value) {
  const std::string path(file);
  std::string content;
  ReadWholeFile(path, content);  // a missing file starts empty
  std::string updated = IniUpdate(content, section, key, value);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(updated.data(), static_cast<std::streamsize>(updated.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace vestil
