#pragma once
// What the window functions and window statements ask of the platform:
// windows of this and other programs by handle, string resources, icons,
// full and short path names and keystrokes. Handles travel as 32-bit
// numbers. A failing platform call is no error: the queries give 0 or an
// empty text and the actions do nothing.
#include <cstdint>
#include <string>
#include <string_view>

namespace vestil {

enum class MainWindowShow { kMaximized, kMinimized, kNormal };

class WindowAccess {
 public:
  virtual ~WindowAccess() = default;
  // The client area's size (its rectangle's right and bottom).
  virtual int32_t ClientWidth(int32_t window) = 0;
  virtual int32_t ClientHeight(int32_t window) = 0;
  // String resource `id` of `module` (0: this program), at most 255 bytes.
  virtual std::string ResourceString(int32_t module, int32_t id) = 0;
  virtual std::string FullPath(std::string_view file) = 0;
  virtual std::string ShortPath(std::string_view path) = 0;
  // 1 when the message was posted.
  virtual int32_t Post(int32_t window, int32_t message, int32_t wparam, int32_t lparam) = 0;
  // One key press and release into `window` (0: the focused one); a shifted
  // key is pressed with Shift held.
  virtual void SendKey(int32_t window, uint8_t virtual_key, bool shifted) = 0;
  virtual int32_t ScrollPosition(int32_t control) = 0;
  // The number of icons in an executable, a library or an icon file.
  virtual int32_t IconCount(std::string_view file) = 0;
  // The first top-level window whose text begins with `title`, ignoring
  // case; 0 when none does.
  virtual int32_t FindTopWindow(std::string_view title) = 0;

  // The window statements. `after` 0 keeps the z-order.
  virtual void Place(int32_t window, int32_t after, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
  virtual void ShowMain(MainWindowShow how) = 0;
  virtual void Enable(int32_t window, bool enable) = 0;
  virtual void SetCaption(int32_t window, std::string_view text) = 0;
  virtual void Check(int32_t window, bool checked) = 0;
  // After a message box: the main window repainted from its shadow copy.
  virtual void RepaintMain() = 0;
  // Ends the user's Windows session.
  virtual void LogOff() = 0;
};

}  // namespace vestil
