#pragma once
// The fuzz targets' host: the console runner's, but boxes answer OK and Cancel
// in turn, INPUT reads a few numbers, the console shows nothing (or records
// it), no program starts and every file but the program's leads nowhere.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/runtime.h"
#include "platform/terminal/terminal_host.h"
#include "runtime/assemble.h"

namespace vestil_fuzz {

class FuzzFiles : public vestil::TerminalFiles {
 public:
  explicit FuzzFiles(std::string program) : program_(std::move(program)) {}
  std::string MapPath(std::string_view name) override {
    return name == program_ ? program_ : std::string("/dev/null/x");
  }
  std::vector<vestil::FoundFile> FindFiles(std::string_view) override { return {}; }
  int ChangeDirectory(const std::string&) override { return 5; }
  std::string program_;
};

class FuzzSystem : public vestil::TerminalSystem {
 public:
  using TerminalSystem::TerminalSystem;
  uint32_t AppendedProgramOffset() override { return 0; }
  // The clocks stand still (a run repeats exactly) but for the naps of sound
  // waits, so that a melody takes no real time and still ends.
  uint32_t MillisecondsSinceMidnightUtc() override { return 12345; }
  vestil::LocalTime Now() override { return vestil::LocalTime{2026, 12, 7, 12, 34, 56, 789}; }
  uint32_t TickCount() override { return ticks; }
  uint32_t ticks = 1000;
  void Execute(std::string_view) override {}
  int32_t StartProgram(std::string_view, int) override { return 2; }
  bool StartProgramAndWait(std::string_view, int) override { return false; }
  uintptr_t StartHelper(std::string_view, int) override { return 0; }
};

class FuzzScreen : public vestil::TerminalScreen {
 public:
  using TerminalScreen::TerminalScreen;
  bool WriteText(std::string_view bytes) override {
    if (log) log->append(bytes);
    return true;
  }
  std::string* log = nullptr;  // what the program shows, when recorded
  vestil::LineRead ReadLine(std::string& line, size_t) override {
    if (lines_++ > 3) return vestil::LineRead::kEndOfInput;
    line = "42";
    return vestil::LineRead::kLine;
  }
  int lines_ = 0;
};

class FuzzDialogs : public vestil::TerminalDialogs {
 public:
  using TerminalDialogs::TerminalDialogs;
  std::string* log = nullptr;  // the boxes shown, when recorded; warning boxes get OK and Cancel in turn
  int MessageBox(std::string_view text, std::string_view caption, unsigned style) override {
    if (log) log->append("\n[box ").append(caption).append(": ").append(text).append("]\n");
    return (style & 0x0f) && (++boxes_ % 2 == 0) ? vestil::box::kIdCancel : vestil::box::kIdOk;
  }
  bool ChooseDirectory(std::string_view, std::string&) override { return false; }
  int boxes_ = 0;
};

class FuzzSound : public vestil::TerminalSound {
 public:
  explicit FuzzSound(uint32_t& ticks) : ticks_(ticks) {}
  void DefaultBeep() override {}
  void Nap() override { ticks_ += 1000; }
  uint32_t& ticks_;
};

// No library loads, no port opens (the failure paths are taken).
class FuzzLibraries : public vestil::Libraries {
 public:
  void* Load(std::string_view) override { return nullptr; }
  void Free(void*) override {}
  void* Find(void*, std::string_view) override { return nullptr; }
  int32_t Call(void*, std::span<const intptr_t>) override { return 0; }
  int32_t ModuleNumber(void*) override { return 0; }
  std::string ShortPath(const std::string& path) override { return path; }
  bool Nap() override { return true; }
  void EndWait() override {}
};

class FuzzSerial : public vestil::TerminalSerialPorts {
 public:
  int32_t Open(std::string_view, uint32_t, uint32_t) override { return -1; }
};

// Waits get a few keys (a line for WAITMOUSE), then the end of the input;
// a running timer has ticked whenever it is asked, so no wait sleeps.
class FuzzEvents : public vestil::Events {
 public:
  vestil::InputEvent WaitForEvent(vestil::WaitFor wanted, bool, bool) override {
    using Kind = vestil::InputEvent::Kind;
    if (inputs_++ > 3) return {Kind::kEnd};
    if (wanted == vestil::WaitFor::kClick) return {Kind::kClick};
    return {Kind::kKey, 'A', 'a'};
  }
  void SetTimer(uint32_t) override { timer_ = true; }
  void KillTimer() override { timer_ = false; }
  bool TimerTicked() override { return timer_; }
  int32_t MainWindowHandle() override { return 0; }
  int32_t TargetDcHandle() override { return 0; }
  int32_t ShadowDcHandle() override { return 0; }
  int32_t ScriptFontHandle() override { return 0; }
  vestil::WindowEdges MainWindowEdges() override { return {}; }
  int inputs_ = 0;
  bool timer_ = false;
};

struct FuzzHost {
  explicit FuzzHost(const std::string& path) : files(path), system({"fuzz", path}) {}
  FuzzFiles files;
  FuzzSystem system;
  vestil::TerminalLocale locale;
  vestil::StandardInput input;
  FuzzScreen screen{input};
  FuzzDialogs dialogs{screen};
  vestil::TerminalProfile profile{files};
  FuzzSound sound{system.ticks};
  vestil::TerminalPorts ports;
  FuzzSerial serial;
  FuzzLibraries libraries;
  FuzzEvents events;
  vestil::TerminalCanvas canvas;
  vestil::TerminalMenus menus;
  vestil::TerminalWindowAccess windows;
  vestil::TerminalIcons icons;
  vestil::TerminalControls controls;
  vestil::TerminalPrinter printer;
  vestil::TerminalBitmaps bitmaps;
  // Everything but ODBC.
  vestil::Host host{&files, &system, &locale, &screen, &dialogs, &profile, &sound, &ports, &serial, &libraries,
                    &events, nullptr, &canvas, &menus, &windows, &icons, &controls, &printer, &bitmaps};
};

// Writes a fuzz input as this process's program file of a target
// (/tmp/vestil-<name>-<pid>.VSC) and gives its path.
inline std::string WriteProgram(const char* name, const uint8_t* data, size_t size) {
  const std::string path = std::string("/tmp/vestil-") + name + "-" + std::to_string(getpid()) + ".VSC";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

}  // namespace vestil_fuzz
