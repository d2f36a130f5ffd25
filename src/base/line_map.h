#pragma once
// The line map: for every program line, the source file and line it was
// compiled from. vestcomp writes it beside the program file (PROG.VSC ->
// PROG.VSM); the runner reads it to name source lines in error notes and in
// the trace. The program file itself carries nothing of it.
//
// The file is UTF-8 text, lines ending in LF:
//   VESTIL-LINEMAP 1 <program lines> <checksum>
//   F <source file name>                 one per source file, numbered from 0
//   <file number> <source line> <text>   one per program line, in order
// <checksum> is the FNV-1a hash (32 bits, 8 lower-case hex digits) of the
// whole program file; a map whose count or checksum does not fit the program
// beside it is ignored. <text> is the source line as written (a CR before the
// LF of the source is dropped).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestil {

struct LineMap {
  struct Entry {
    int file = 0;  // index into files
    int line = 0;  // 1-based line in that file
    std::string text;
  };
  std::vector<std::string> files;
  std::vector<Entry> lines;  // lines[0] is program line 1

  bool empty() const { return lines.empty(); }
  // The entry of a program line, or nullptr.
  const Entry* Find(int program_line) const;
  // "file:line: text" of a program line; empty when the map does not know it.
  std::string Note(int program_line) const;
};

uint32_t ProgramChecksum(std::string_view program_file);
std::string SerializeLineMap(const LineMap& map, std::string_view program_file);
// False (and an empty map) when the text is not a line map of this program.
bool ParseLineMap(std::string_view text, std::string_view program_file, LineMap& map);
// The map's file name beside a program file: the extension replaced by ".VSM"
// (or ".VSM" appended to a name without one).
std::string LineMapName(std::string_view program_name);

}  // namespace vestil
