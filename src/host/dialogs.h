#pragma once
// Message boxes and the platform's standard dialogs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

  // The script's standard dialogs, owned by the main window when it exists.
  // Each returns true for OK and false for Cancel (a dialog that cannot be
  // shown counts as Cancel); a host without them cancels every one.
  // The one-line input dialog: `text` holds the initial text and receives
  // the confirmed one (at most 254 characters).
  virtual bool RunInputDialog(std::string_view /*caption*/, std::string_view /*prompt*/, std::string& /*text*/) {
    return false;
  }
  // A list dialog of template LISTBOX<style> (1..8; 3, 4, 7 and 8 sort their
  // items). `selection` receives the list box's index of the item last
  // selected (it keeps its value when none was), `text` that item's text
  // (empty when none was selected).
  virtual bool RunListDialog(std::string_view /*caption*/, int /*style*/, const std::vector<std::string>& /*items*/,
                             int32_t& /*selection*/, std::string& /*text*/) {
    return false;
  }
  // The edit dialog of template EDITBOX<style> (1, 2) showing `text` (lines
  // ended by CR LF); on OK `lines` receives the edit's lines in order.
  virtual bool RunEditDialog(std::string_view /*caption*/, int /*style*/, std::string_view /*text*/,
                             std::vector<std::string>& /*lines*/) {
    return false;
  }
  // The open or save dialog. `filter` holds description/pattern pairs
  // separated by NULs (the host adds the closing NULs); `name` is the
  // initial file name and receives the chosen path.
  virtual bool RunFileDialog(bool /*save*/, std::string_view /*caption*/, std::string_view /*filter*/,
                             std::string_view /*default_extension*/, std::string& /*name*/) {
    return false;
  }
  // The titles of the top-level windows, in the window manager's order.
  virtual std::vector<std::string> TopLevelWindowTitles() { return {}; }
};

}  // namespace vestil
