#pragma once
// Profile (INI) files and the clipboard.
#include <string>
#include <string_view>

namespace vestil {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // GetPrivateProfileString; file is a mapped path. Empty when absent.
  virtual std::string ReadProfileString(std::string_view file, std::string_view section,
                                        std::string_view key) = 0;
  // WritePrivateProfileString; false when the file could not be written.
  virtual bool WriteProfileString(std::string_view file, std::string_view section,
                                  std::string_view key, std::string_view value) = 0;
  virtual void ClearClipboard() = 0;
  // Puts a text on the clipboard, beside what is there in other formats.
  virtual void SetClipboardText(std::string_view text) = 0;
  // The clipboard's text; empty when it holds none.
  virtual std::string ClipboardText() = 0;
};

}  // namespace vestil
