#pragma once
// What both runners do with source files: `vestrun prog.vsl` compiles the
// source in memory and runs it with its line map, and the trace of executed
// lines.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/runtime.h"

namespace vestil {

// True for a name ending in ".vsl" (any case).
bool IsSourceFileName(std::string_view name);

struct SourceCompilation {
  bool ok = false;
  // The compiler's messages, as vestcomp writes them (UTF-8, one per line).
  std::vector<std::string> messages;
};

// Compiles the source file; when it compiles, the program and its line map
// are handed to the Runtime, whose loader then takes them instead of a file.
SourceCompilation CompileIntoRuntime(const std::filesystem::path& source, Runtime& rt);

// Writes every executed line to `out`: "file:line: source text" from the line
// map, or "line: listing" (the program line number and the line as the
// lister writes it) when there is no map.
void InstallTrace(Runtime& rt, std::function<void(std::string_view)> out);

// A line sink that appends to the named file (created or emptied first) and
// flushes every line; an empty function when the file cannot be opened.
std::function<void(std::string_view)> FileLineSink(const std::string& path);

}  // namespace vestil
