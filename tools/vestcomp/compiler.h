#pragma once
// The compiler: VESTIL source (.vsl, UTF-8) to a program file (.VSC).
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/line_map.h"

namespace vestcomp {

// Procedures and user-declared functions known to a compilation, by their
// upper-cased names.
struct Symbols {
  struct Function {
    int line;   // the DEFFN line
    int count;  // the parameter count when it is written as a number, else -1
  };
  std::map<std::string, int> procs;  // PROC line
  std::map<std::string, Function> functions;
};

// Reads the file an INCLUDE names; false when it cannot be read.
using FileReader = std::function<bool(const std::filesystem::path&, std::string&)>;

struct CompileOptions {
  // The two ScrambleMarker characters (source text, \x{HH} allowed); they
  // override a #SCRAMBLE line and the marker bytes of a #HEADER line.
  std::optional<std::string> scramble;
  // Reads INCLUDE files; when empty, the file system is used.
  FileReader read_file;
  // -Werror: every warning is reported and counted as an error.
  bool warnings_as_errors = false;
  // The checks beyond the syntax (blocks, jump targets, argument counts and
  // every warning); --no-check turns them off, the lister never uses them.
  bool checks = true;
};

struct CompileResult {
  bool ok = false;
  std::string program;              // the program file, only when ok
  std::vector<std::string> errors;    // "file:line[:column]: error: text"
  std::vector<std::string> warnings;  // "file:line:column: warning: text"
  std::vector<std::string> messages;  // all of them in the order they were found
  vestil::LineMap map;                // program line -> source line, only when ok
};

// Writes the messages one per line.
void PrintDiagnostics(const CompileResult& result, std::FILE* to);

// `name` is the file name used in messages and the base of INCLUDE paths.
CompileResult CompileSource(std::string_view text, const std::filesystem::path& name,
                            const CompileOptions& options = {});
CompileResult CompileFile(const std::filesystem::path& path, const CompileOptions& options = {});

// Compiles one source line the way a whole compilation would compile it at a
// place where `symbols` are defined: a statement or a #RAW line. False for
// anything else (errors, other directives, INCLUDE, empty lines, bodies longer
// than 254 bytes). The lister checks its output with it.
bool CompileSingleLine(std::string_view utf8_line, const Symbols& symbols, std::string& body);
// Compiles an argument text (what follows a keyword).
bool CompileArgumentText(std::string_view utf8, const Symbols& symbols, std::string& bytes);

// The value of a parameter count that is written as decimal digits, else -1.
int LiteralCount(std::string_view compiled_count);
constexpr int kMaxParameters = 12;

// Keywords that a procedure name cannot take the place of: every statement
// keyword and INCLUDE.
bool IsReservedWord(std::string_view upper_word);

}  // namespace vestcomp
