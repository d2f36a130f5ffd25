#pragma once
// Message boxes and the platform's standard dialogs.
#include <string>
#include <string_view>

namespace vestil {

// MessageBoxA styles and answers, as the Windows API numbers them.
namespace box {
constexpr unsigned kOk = 0x00;
constexpr unsigned kOkCancel = 0x01;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconWarning = 0x30;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
}  // namespace box

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A message box (texts in Windows-1252); returns the chosen button id.
  virtual int MessageBox(std::string_view caption, std::string_view text, unsigned style) = 0;
  // Makes the mouse pointer visible before an error box.
  virtual void ShowPointer() = 0;
  // The open-file dialog for choosing a program; false when cancelled.
  virtual bool ChooseProgramFile(std::string_view caption, std::string& path) = 0;
  // Lets the user pick a folder (the main window owns the browser); false
  // when cancelled.
  virtual bool ChooseDirectory(std::string_view title, std::string& path) = 0;
};

}  // namespace vestil
