// The icons of the console runner (see TerminalIcons in terminal_host.h).
#include <sys/stat.h>

#include "platform/terminal/terminal_host.h"

namespace vestil {
namespace {

// The runner's own icon of that name (resource names ignore case); a
// number names none of them.
bool RunnerHasIcon(const ImageName& name) {
  if (name.by_number) return false;
  for (std::string_view icon : kRunnerIcons) {
    if (icon.size() != name.text.size()) continue;
    bool same = true;
    for (size_t i = 0; i < icon.size() && same; ++i) {
      const char c = name.text[i];
      same = (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == icon[i];
    }
    if (same) return true;
  }
  return false;
}

}  // namespace

bool TerminalIcons::DrawIcon(const IconSource& icon, int32_t, int32_t) {
  switch (icon.kind) {
    case IconSource::Kind::kResource:
      return icon.module.has_value() || RunnerHasIcon(icon.name);
    case IconSource::Kind::kFile: {
      struct stat st {};
      return stat(icon.file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    case IconSource::Kind::kSystem:
      return true;
  }
  return false;
}

bool TerminalIcons::SetWindowIcon(const ImageName& name) { return RunnerHasIcon(name); }

}  // namespace vestil
