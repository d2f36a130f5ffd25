#pragma once
// Clock and shell: the command line, the clock, starting programs, help
// files, the environment and what the platform says of itself.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestil {

// A local date and time as the platform's clock gives it.
struct LocalTime {
  int year = 1900, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class SystemServices {
 public:
  virtual ~SystemServices() = default;
  // Command-line parameters (Windows-1252); element 0 is the runtime's own path.
  virtual const std::vector<std::string>& Arguments() = 0;
  // The AppendedProgramOffset of the running executable (0: none appended).
  virtual uint32_t AppendedProgramOffset() = 0;

  virtual uint32_t MillisecondsSinceMidnightUtc() = 0;
  virtual uint32_t TickCount() = 0;
  virtual LocalTime Now() = 0;

  // EXECUTE: starts a program and does not wait.
  virtual void Execute(std::string_view command_line) = 0;
  // WinExec: starts a program and returns at once; above 31 when it started,
  // else an error code (2: not found).
  virtual int32_t StartProgram(std::string_view command_line, int show) = 0;
  // Starts a program and waits until it has ended; false when it did not start.
  virtual bool StartProgramAndWait(std::string_view command_line, int show) = 0;
  // A helper program the runtime waits on (the DLL bridge), started as
  // StartProgram starts one: its handle, or 0 when it did not start.
  virtual uintptr_t StartHelper(std::string_view command_line, int show) = 0;
  // True while the helper runs; once it has ended, false.
  virtual bool HelperRunning(uintptr_t helper) = 0;
  // Lets go of a helper, ending it first when `stop` is set and it still
  // runs; a helper that has ended is reaped (one that ends later, then).
  virtual void EndHelper(uintptr_t helper, bool stop) = 0;
  virtual void Help(std::string_view file, unsigned command, std::string_view keyword) = 0;
  // A variable of the process environment; empty when it does not exist.
  virtual std::string EnvironmentValue(std::string_view name) = 0;

  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  virtual uint32_t PlatformVersion() = 0;
  virtual uint32_t WindowsVersion() = 0;
  virtual int32_t InstanceHandle() = 0;
};

}  // namespace vestil
