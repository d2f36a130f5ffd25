#pragma once
// The file channels: 16 numbered records, each binding one file name to a
// line-oriented text side (RESET, REWRITE, APPEND, PRINT #, INPUT #) and a
// byte-addressed binary side (OPENRW, PUTBYTE, SEEK, BLOCKWRITE, @GETBYTE,
// @BLOCKREAD), plus the file and folder statements that work on names.
//
// Failures of channel operations do not stop a script: they leave a code
// pending for %IORESULT. Operating-system failures keep Windows' codes; the
// runtime's own are the fixed codes below.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows_errors.h"
#include "core/runtime.h"
#include "core/shortstring.h"
#include "host/host.h"

namespace vestil {

struct Runtime;

constexpr int kChannelCount = 16;     // records 0..15; scripts reach 1..15
constexpr int kOpenChannelLimit = 8;  // the statements and PRINT #/INPUT # reach 1..8

// The runtime's own pending codes.
namespace io_error {
constexpr int kNoMoreFiles = win_error::kNoMoreFiles;    // the directory search found nothing (more)
constexpr int kNegativeSeek = win_error::kNegativeSeek;  // SEEK before the first byte
constexpr int kReadPastEnd = 100;     // a byte read at the end of the binary side
constexpr int kShortWrite = 101;      // fewer bytes written than asked (disk full)
constexpr int kNotAssigned = 102;     // the channel has no file name
constexpr int kNotOpen = 103;         // the side is closed
constexpr int kNotOpenForInput = 104;
constexpr int kNotOpenForOutput = 105;
}  // namespace io_error

// Buffered line reading over a host file: lines end with CR LF, LF or CR.
struct TextReader {
  std::unique_ptr<HostFile> file;
  std::string buffer;
  size_t pos = 0;

  // Returns 0 or an error code; at_end tells that no byte is left.
  int AtEnd(bool& at_end);
  // One line without its end; at most 255 characters are kept, the rest of
  // the line is skipped. Returns 0 or an error code.
  int ReadLine(ShortString& line);
};

enum class TextMode { kClosed, kInput, kOutput };

struct FileChannel {
  ShortString name;        // Name: the last ASSIGN, or the new name of RENAME
  bool assigned = false;   // ASSIGN has bound the sides to a name
  ShortString text_name;   // the file the text side is bound to
  ShortString data_name;   // the file the binary side is bound to (ASSIGN only)
  TextMode text_mode = TextMode::kClosed;
  TextReader text;         // its file is the open text side, in either mode
  std::unique_ptr<HostFile> data;  // the open binary side
};

struct ChannelState : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kChannels;
  std::array<FileChannel, kChannelCount> channels;
  int io_result = 0;     // the code of the last failed channel operation
  int find_error = 0;    // the stored file error code of the directory search
  int file_open_mode = 2;  // FileOpenMode: 0 read-only, 1 write-only, 2 read and write
  int current_channel = 0;
  std::vector<ShortString> found;  // the results of the last @FINDFIRST$, in order
  size_t next_found = 0;
};

inline ChannelState& Channels(Runtime& rt) { return rt.Family<ChannelState>(); }
inline const ChannelState& Channels(const Runtime& rt) { return rt.Family<ChannelState>(); }

// %IORESULT: the pending I/O result OR the stored file error code; both are
// cleared.
int TakeIoResult(Runtime& rt);

// The channel prefix of PRINT and INPUT: ArgText starts with "#"; removes
// "#", the channel number and its ",". Returns the channel 1..8, or 0 after
// an error was raised (210).
int TakeChannelPrefix(Runtime& rt);
// Writes bytes to the text side of a channel (open for output), at once.
void ChannelWrite(Runtime& rt, int channel, std::string_view bytes);
// Reads one line from the text side of a channel (open for input); failures
// leave the line empty and a code pending.
void ChannelReadLine(Runtime& rt, int channel, ShortString& line);

// The access FileOpenMode gives (0 read-only, 1 write-only, else read and write).
FileAccess OpenModeAccess(int mode);

// Statements and functions of the channels, files and folders.
void RegisterFileChannels(Runtime& rt);
// @FINDFIRST$ and @FINDNEXT$ (find_files.cpp).
void RegisterDirectorySearch(Runtime& rt);

}  // namespace vestil
