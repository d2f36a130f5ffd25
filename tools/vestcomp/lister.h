#pragma once
// The lister: any program file back to VESTIL source (UTF-8).
#include <string>
#include <string_view>

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

// The argument text of a line (what follows the CommandToken) as source text.
std::string ListArgumentText(std::string_view bytes);

}  // namespace vestcomp
