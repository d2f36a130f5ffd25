// Reading a whole file into a string.
#include "base/whole_file.h"

#include <fstream>
#include <sstream>

namespace vestil {

bool ReadWholeFile(const std::filesystem::path& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  content = s.str();
  return !in.bad();
}

}  // namespace vestil
