// Path names for the console runner's window functions. @FULLPATH$ resolves
// a name against the current directory the way GetFullPathName does: by
// its text alone, "." and ".." folded, the file need not exist.
// @SHORTPATH$ has no short names to give: an existing path comes back as
// written, a missing one as the empty text.
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/terminal/terminal_host.h"

namespace vestil {
namespace {

// The longest path the functions give; a longer one is a failure.
constexpr size_t kMaxPath = 255;

}  // namespace

std::string TerminalWindowAccess::FullPath(std::string_view file) {
  if (file.empty()) return std::string();
  std::string whole;
  if (file.front() != '/') {
    std::vector<char> buf(4096);
    if (!getcwd(buf.data(), buf.size())) return std::string();
    whole = buf.data();
    whole.push_back('/');
  }
  whole.append(file);
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= whole.size()) {
    size_t j = whole.find('/', i);
    if (j == std::string::npos) j = whole.size();
    const std::string part = whole.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (const std::string& p : parts) {
    out.push_back('/');
    out.append(p);
  }
  // A name ending in a separator keeps it, as the platform's function does;
  // the root is "/".
  if (out.empty() || whole.back() == '/') out.push_back('/');
  return out.size() > kMaxPath ? std::string() : out;
}

std::string TerminalWindowAccess::ShortPath(std::string_view path) {
  const std::string p(path);
  struct stat st;
  if (p.empty() || stat(p.c_str(), &st) != 0) return std::string();
  return p;
}

}  // namespace vestil
