// The binder: a runner executable with a program file appended.
#include "vestcomp/binder.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "base/bytes.h"
#include "base/whole_file.h"
#include "vestcomp/program_file.h"

namespace vestcomp {
namespace {

std::string HexNumber(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
  return buf;
}

// The file offset of the runner's 4-byte slot, or npos with a message.
size_t FindSlot(std::string_view runner, std::string& error) {
  if (runner.substr(0, 2) == "MZ") {
    if (runner.size() < kPeSlotOffset + 4) {
      error = "the runner is too short for a Windows executable";
      return std::string_view::npos;
    }
    uint32_t pe = vestil::ReadLe32(runner.data() + 0x3C);
    if (pe < kPeMinHeaderOffset) {
      error = "the runner's PE header starts at " + HexNumber(pe) +
              ", where the program offset at 0x80 would overwrite it (the runner must be built with its PE "
              "header at 0x100 or later)";
      return std::string_view::npos;
    }
    return kPeSlotOffset;
  }
  if (runner.substr(0, 4) == "\x7f" "ELF") {
    size_t pos = runner.find(kAppendSlotMarker);
    if (pos == std::string_view::npos) {
      error = "the runner has no append slot (the marker " + std::string(kAppendSlotMarker) + " is missing)";
      return std::string_view::npos;
    }
    size_t again = runner.find(kAppendSlotMarker, pos + 1);
    if (again != std::string_view::npos) {
      error = "the marker " + std::string(kAppendSlotMarker) + " occurs more than once in the runner (at " +
              HexNumber(static_cast<uint32_t>(pos)) + " and " + HexNumber(static_cast<uint32_t>(again)) +
              "); the slot is ambiguous";
      return std::string_view::npos;
    }
    size_t slot = pos + kAppendSlotMarker.size();
    if (slot + 4 > runner.size()) {
      error = "the append slot is cut off at the end of the runner";
      return std::string_view::npos;
    }
    return slot;
  }
  error = "the runner is neither a Windows (MZ) nor an ELF executable";
  return std::string_view::npos;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  return std::filesystem::absolute(a, ec).lexically_normal() == std::filesystem::absolute(b, ec).lexically_normal();
}

}  // namespace

bool BindImage(std::string_view runner, std::string_view program, std::string& output, std::string& error,
               const BindOptions& options) {
  if (!options.unchecked_program) {
    if (program.size() < kHeaderSize || !HasProgramMagic(program)) {
      error = "the program file has no VESTIL header (\" KVN-VESTIL3\")";
      return false;
    }
    if (!ParseProgram(program).trailer.empty()) {
      error = "the program file is damaged (a line runs past the end of the file or is longer than 254 bytes)";
      return false;
    }
  }
  size_t slot = FindSlot(runner, error);
  if (slot == std::string_view::npos) return false;
  uint32_t current = vestil::ReadLe32(runner.data() + slot);
  if (current != 0) {
    error = "the runner already has a program appended (offset " + HexNumber(current) + ")";
    return false;
  }
  if (runner.size() > 0xFFFFFFFFu) {
    error = "the runner is too large for a 32-bit program offset";
    return false;
  }
  output.assign(runner);
  vestil::WriteLe32(output.data() + slot, static_cast<uint32_t>(runner.size()));
  output.append(program);
  return true;
}

bool BindFiles(const std::filesystem::path& runner, const std::filesystem::path& program,
               const std::filesystem::path& output, std::string& error, const BindOptions& options) {
  if (SameFile(output, runner) || SameFile(output, program)) {
    error = "the output must not be the runner or the program";
    return false;
  }
  std::string runner_bytes, program_bytes, out;
  if (!vestil::ReadWholeFile(runner, runner_bytes)) {
    error = "cannot read the runner " + runner.string();
    return false;
  }
  if (!vestil::ReadWholeFile(program, program_bytes)) {
    error = "cannot read the program " + program.string();
    return false;
  }
  if (!BindImage(runner_bytes, program_bytes, out, error, options)) return false;
  {
    std::ofstream f(output, std::ios::binary | std::ios::trunc);
    if (!f || !f.write(out.data(), static_cast<std::streamsize>(out.size())) || !f.flush()) {
      error = "cannot write " + output.string();
      return false;
    }
  }
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::perms p = fs::status(runner, ec).permissions();
  if (!ec) {
    p |= fs::perms::owner_exec;
    if ((p & fs::perms::group_read) != fs::perms::none) p |= fs::perms::group_exec;
    if ((p & fs::perms::others_read) != fs::perms::none) p |= fs::perms::others_exec;
    fs::permissions(output, p, ec);
  }
  return true;
}

}  // namespace vestcomp
