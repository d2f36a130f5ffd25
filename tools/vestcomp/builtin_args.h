#pragma once
// The arguments each built-in function reads: how many and which of them must
// be numbers. The compiler checks calls against it. Functions not listed
// (those whose arguments use other separators than ",", or are read up to the
// closing parenthesis whatever they hold) are not checked.
#include <string_view>

namespace vestcomp {

struct BuiltinArgs {
  const char* name;       // upper case, without "@"
  const char* signature;  // the arguments as the message shows them
  const char* kinds;      // one letter per argument: 'n' a number, 'a' anything
};

// nullptr when the function is not listed.
const BuiltinArgs* FindBuiltinArgs(std::string_view upper_name);

}  // namespace vestcomp
