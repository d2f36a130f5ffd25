#pragma once
// Windows-1252 <-> UTF-8, for text that crosses the terminal boundary.
#include <string>
#include <string_view>

namespace vestil {

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters without a Windows-1252 code become "?"; bytes that are not valid
// UTF-8 are taken as Windows-1252 as they stand.
std::string Utf8ToCp1252(std::string_view text);

}  // namespace vestil
