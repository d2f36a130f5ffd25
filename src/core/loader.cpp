// The loader: the program file (named, or appended to the runner) checked and
// read into the line table.
#include "core/loader.h"

#include <cstdint>
#include <memory>
#include <string>

#include "base/line_map.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"

namespace vestil {
namespace {

constexpr size_t kMaxMapSize = 64u << 20;

enum class ReadResult { kRead, kNotOpened, kNotRead };

// Up to `limit` bytes of a file from `offset` on, through the host's files.
ReadResult ReadFrom(Runtime& rt, std::string_view name, uint32_t offset, size_t limit, std::string& bytes) {
  auto& files = *rt.host.files;
  std::unique_ptr<HostFile> f;
  if (files.OpenHostFile(files.MapPath(name), FileAccess::kRead, false, f) != 0) return ReadResult::kNotOpened;
  int64_t size = 0;
  if (f->Size(size) != 0 || f->Seek(offset) != 0) return ReadResult::kNotRead;
  size_t want = size > offset ? static_cast<size_t>(size - offset) : 0;
  if (want > limit) want = limit;
  bytes.assign(want, '\0');
  size_t done = 0;
  if (want && f->Read(bytes.data(), want, done) != 0) return ReadResult::kNotRead;
  bytes.resize(done);
  return ReadResult::kRead;
}

}  // namespace

bool IsProgramFile(Runtime& rt, std::string_view name) {
  if (name.empty()) return false;
  std::string start;
  return ReadFrom(rt, name, 0, 11, start) == ReadResult::kRead && start == " KVN-VESTIL";
}

void LoadProgram(Runtime& rt) {
  const auto& args = rt.host.system->Arguments();
  bool has_param = args.size() > 1;
  bool appended = false;
  uint32_t offset = 0;
  std::string file;

  std::string bytes;
  if (!rt.source.compiled.empty()) {
    // Compiled in memory by the platform (vestrun prog.vsl), map and all.
    bytes = std::move(rt.source.compiled);
    rt.source.compiled.clear();
  } else {
    // Choosing the source.
    if (!(has_param && IsProgramFile(rt, args[1]))) {
      offset = rt.host.system->AppendedProgramOffset();
      appended = offset != 0;
    }
    if (appended) {
      file = args.empty() ? std::string() : args[0];
    } else if (!has_param) {
      std::string caption = "VESTIL\xb2-";
      caption += MessageText(msg::kLoadFileCaption);
      std::string chosen;
      if (!rt.host.dialogs->ChooseProgramFile(caption, chosen)) LoaderFailure(rt, msg::kUsageVestrun, "", 2);
      file = std::string(TrimView(chosen));
    } else {
      file = args[1];
      if (file.find('.') == std::string::npos) file += ".VSC";
    }

    // Reading.
    // Enough for the header and one line more than a program may have, each
    // at its longest: the line limit is found without reading further.
    constexpr size_t kReadLimit = kHeaderSize + (kMaxLines + 1) * 256;
    switch (ReadFrom(rt, file, offset, kReadLimit, bytes)) {
      case ReadResult::kRead: break;
      case ReadResult::kNotOpened: LoaderFailure(rt, msg::kFileNotFound, file, 2);
      case ReadResult::kNotRead: LoaderFailure(rt, msg::kNotAProgramFile, "", 1);
    }
    // The line map beside a program file, when it belongs to these bytes.
    std::string map_text;
    if (!appended && ReadFrom(rt, LineMapName(file), 0, kMaxMapSize, map_text) == ReadResult::kRead)
      ParseLineMap(map_text, bytes, rt.source.map);
  }
  const auto* header = reinterpret_cast<const unsigned char*>(bytes.data());
  bool header_ok = bytes.size() >= kHeaderSize &&
                   std::string_view(bytes).substr(1, 11) == kProgramMagic;
  if (!header_ok) LoaderFailure(rt, msg::kNotAProgramFile, "", 1);

  uint8_t key = 0;
  if (!(header[20] == ' ' && header[21] == ' ')) key = static_cast<uint8_t>(header[20] | header[21]);

  auto& prog = rt.program;
  prog.lines.assign(1, std::string());
  prog.line_count = 0;
  size_t at = kHeaderSize;
  while (at < bytes.size()) {
    if (++prog.line_count > kMaxLines) LoaderFailure(rt, msg::kTooManyLines, "", 1);
    size_t len = static_cast<uint8_t>(bytes[at++]);
    if (bytes.size() - at < len) LoaderFailure(rt, msg::kProgramFileDamaged, "", 1);
    std::string line = bytes.substr(at, len);
    at += len;
    for (auto& ch : line) ch = static_cast<char>(static_cast<uint8_t>(ch) ^ key);
    if (len > static_cast<size_t>(kMaxLineLength)) LoaderFailure(rt, msg::kLineTooLong, "", 1);
    prog.lines.push_back(std::move(line));
  }
  rt.errors.program_loaded = true;
  rt.loop.current_line = 0;
}

}  // namespace vestil
