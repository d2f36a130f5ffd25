#pragma once
// Helpers of the compiler, lister and binder tests.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "vestcomp/compiler.h"
#include "vestcomp/program_file.h"

namespace vestcomp_test {

// Compiles `source` as "prog.vsl"; INCLUDE files come from `files`. The
// checks beyond the syntax only when asked for.
inline vestcomp::CompileResult Compile(const std::string& source,
                                       const std::map<std::string, std::string>& files = {},
                                       std::optional<std::string> scramble = std::nullopt, bool checks = false) {
  vestcomp::CompileOptions options;
  options.scramble = scramble;
  options.checks = checks;
  options.read_file = [files](const std::filesystem::path& p, std::string& text) {
    auto it = files.find(p.generic_string());
    if (it == files.end()) return false;
    text = it->second;
    return true;
  };
  return vestcomp::CompileSource(source, "prog.vsl", options);
}

// The plain line bodies of a source that must compile.
inline std::vector<std::string> Lines(const std::string& source) {
  auto r = Compile(source);
  EXPECT_TRUE(r.ok) << (r.errors.empty() ? "" : r.errors[0]);
  return vestcomp::ParseProgram(r.program).lines;
}

// The body of a one-statement source.
inline std::string Line(const std::string& source) {
  auto lines = Lines(source);
  EXPECT_EQ(lines.size(), 1u) << source;
  return lines.empty() ? std::string() : lines[0];
}

// The first error of a source that must not compile.
inline std::string Error(const std::string& source, const std::map<std::string, std::string>& files = {}) {
  auto r = Compile(source, files);
  EXPECT_FALSE(r.ok) << source;
  EXPECT_TRUE(r.program.empty());
  return r.errors.empty() ? std::string() : r.errors[0];
}

// Bytes from a string literal with embedded zeros: B("\xce" "a%=1").
template <size_t N>
std::string B(const char (&s)[N]) {
  return std::string(s, N - 1);
}

}  // namespace vestcomp_test
