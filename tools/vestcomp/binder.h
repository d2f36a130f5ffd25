#pragma once
// The binder: a runner executable with a program file appended, which then
// runs as a stand-alone application.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vestcomp {

// Windows runners keep AppendedProgramOffset at this file offset (inside the
// DOS stub; our build moves the PE header to 0x100 to make room).
constexpr size_t kPeSlotOffset = 0x80;
constexpr uint32_t kPeMinHeaderOffset = 0x100;
// Native (ELF) runners carry this marker once, followed by the 4-byte slot.
constexpr std::string_view kAppendSlotMarker = "<<VESTIL-APPEND-SLOT>>";

struct BindOptions {
  // Append the program even when it is not a well-formed program file (for
  // testing the loader's error paths).
  bool unchecked_program = false;
};

// The runner with the slot set to the runner's size, followed by the program.
// False with a message when the runner has no usable slot, already carries a
// program, or the program is not a program file.
bool BindImage(std::string_view runner, std::string_view program, std::string& output, std::string& error,
               const BindOptions& options = {});

// The same on files; the output gets the runner's permission bits (and is
// executable for everyone who may read it).
bool BindFiles(const std::filesystem::path& runner, const std::filesystem::path& program,
               const std::filesystem::path& output, std::string& error, const BindOptions& options = {});

}  // namespace vestcomp
