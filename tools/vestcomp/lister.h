#pragma once
// The lister: any program file back to VESTIL source (UTF-8).
#include <string>
#include <string_view>
#include <vector>

namespace vestcomp {

struct ListResult {
  std::string text;
  // True when the structured listing did not compile back to the same bytes
  // and every line had to be written raw (a fault of the lister; the text is
  // exact all the same).
  bool raw_fallback = false;
};

// Never fails: whatever the bytes, compiling the returned text gives them back.
ListResult ListProgram(std::string_view program);

// Each program line (a body without its length byte) as one source line,
// without indentation: what the trace shows when there is no line map.
std::vector<std::string> ListLines(const std::vector<std::string>& bodies);

// The argument text of a line (what follows the CommandToken) as source text.
std::string ListArgumentText(std::string_view bytes);

}  // namespace vestcomp
