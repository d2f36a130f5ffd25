#pragma once
// The program file as the compiler writes it and the lister and binder read
// it: a 32-byte header, then one length byte and that many (scrambled) body
// bytes per line, up to the end of the file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestcomp {

constexpr size_t kHeaderSize = 32;
constexpr size_t kMaxLineLength = 254;
constexpr size_t kMaxLines = 32767;
constexpr size_t kScrambleMarkerOffset = 20;
// Bytes 1..11 of every header.
constexpr std::string_view kMagic = "KVN-VESTIL3";
// The four bytes our compiler writes after the 0x83 token of a function
// definition line (the runtime skips them).
constexpr std::string_view kDefFnMarker = "DEFN";

// The header our compiler writes: " KVN-VESTIL3", "VESTCOMP" in bytes 12..19,
// the scramble marker (two spaces: plain), "1.0" and blanks in bytes 22..31.
std::string StandardHeader(uint8_t marker1 = ' ', uint8_t marker2 = ' ');

// The line key of a header: 0 for the marker "  " (or a header too short to
// hold a marker), else byte 20 OR byte 21.
uint8_t LineKey(std::string_view header);

// A program file taken apart. `header` holds 32 bytes for every file the
// compiler writes by itself; `lines` are the plain (unscrambled) bodies;
// `trailer` is whatever follows the last complete line: bytes that do not form
// a line (a length of 255, a truncated line, lines beyond 32767).
struct ProgramImage {
  std::string header;
  std::vector<std::string> lines;
  std::string trailer;
};

// Never fails: a file shorter than the header becomes a short header.
ProgramImage ParseProgram(std::string_view bytes);
std::string SerializeProgram(const ProgramImage& image);

// True when the bytes start with " " + "KVN-VESTIL3".
bool HasProgramMagic(std::string_view bytes);

}  // namespace vestcomp
