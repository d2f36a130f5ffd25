#pragma once
// Reading a whole file into a string.
#include <filesystem>
#include <string>

namespace vestil {

// The bytes of the file as they stand. False when the file cannot be opened
// or a read fails (content then holds what was read).
bool ReadWholeFile(const std::filesystem::path& path, std::string& content);

}  // namespace vestil
