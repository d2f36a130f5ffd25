#pragma once
// The program file and its loader.
#include <string_view>

namespace vestil {

struct Runtime;

// The magic of the header, bytes 1..11.
constexpr std::string_view kProgramMagic = "KVN-VESTIL3";
constexpr int kHeaderSize = 32;
constexpr int kMaxLineLength = 254;

// True when the named file can be opened and begins with " KVN-VESTIL".
bool IsProgramFile(Runtime& rt, std::string_view name);

// Chooses the source, validates the header and fills the line table. Every
// failure shows its box and ends the run (throws ProgramExit).
void LoadProgram(Runtime& rt);

}  // namespace vestil
