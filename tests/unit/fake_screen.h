#pragma once
// A screen for unit tests: a console that opens, a fixed 640x480 desktop and
// nothing else; a test overrides what it watches (ShowText, ReadLine).
#include <string>
#include <string_view>
#include <vector>

#include "host/screen.h"

namespace vestil {

class FakeScreen : public Screen {
 public:
  bool OpenConsole() override { return true; }
  void ShowText(std::string_view, const std::vector<GridOp>&) override {}
  LineRead ReadLine(std::string&, size_t) override { return LineRead::kNoConsole; }
  void PumpMessages() override {}
  void EndProgram() override {}
  int ScreenWidth() override { return 640; }
  int ScreenHeight() override { return 480; }
  int ColorBits() override { return 24; }
  int32_t DesktopHandle() override { return 0; }
  int32_t FocusHandle() override { return 0; }
};

}  // namespace vestil
