// Profile files of the console runner, read and written by its own INI
// engine (profile_file.h) and rewritten whole through a work file.
#include "base/whole_file.h"
#include "data/work_file.h"
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
  uint32_t attributes = 0;
  // A missing file starts empty; one that exists and cannot be read is not
  // written over.
  if (!ReadWholeFile(path, content) && files_.GetAttributes(path, attributes) == 0) return false;
  // The old file stays whole when the new one cannot be written in full.
  return ReplaceWholeFile(files_, path, IniUpdate(content, section, key, value)) == 0;
}

}  // namespace vestil
