#pragma once
// Icons and the mouse cursor of the Windows build (win32_icons.cpp): icons
// drawn with DrawIcon on the main window's target and shadow DCs, the class
// icon and cursor of the main window, ShowCursor. Free of windows.h.
#include "host/icons.h"

namespace vestil {

class Win32Screen;

class Win32Icons : public Icons {
 public:
  explicit Win32Icons(Win32Screen& screen) : screen_(screen) {}
  bool DrawIcon(const IconSource& icon, int32_t x, int32_t y) override;
  bool SetWindowIcon(const ImageName& name) override;
  void SetSystemCursor(uint16_t number) override;
  void SetResourceCursor(std::optional<int32_t> module, const ImageName& name) override;
  void ShowMousePointer(bool visible) override;

 private:
  // Makes `cursor` (an HCURSOR) the cursor now and the main window's class
  // cursor, so that it stays when the mouse moves.
  void UseCursor(void* cursor);
  Win32Screen& screen_;
};

}  // namespace vestil
