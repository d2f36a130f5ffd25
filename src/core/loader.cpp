#include "core/loader.h"

#include <cstdio>
#include <memory>
#include <string>

#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"

namespace vestil {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenRead(Runtime& rt, std::string_view name) {
  return File(std::fopen(rt.host->MapPath(name).c_str(), "rb"));
}

}  // namespace

bool IsProgramFile(Runtime& rt, std::string_view name) {
  if (name.empty()) return false;
  File f = OpenRead(rt, name);
  if (!f) return false;
  char buf[11];
  if (std::fread(buf, 1, sizeof buf, f.get()) != sizeof buf) return false;
  return std::string_view(buf, 11) == " KVN-VESTIL";
}

void LoadProgram(Runtime& rt) {
  const auto& args = rt.host->Arguments();
  bool has_param = args.size() > 1;
  bool appended = false;
  uint32_t offset = 0;
  std::string file;

  // Choosing the source.
  if (!(has_param && IsProgramFile(rt, args[1]))) {
    offset = rt.host->AppendedProgramOffset();
    appended = offset != 0;
  }
  if (appended) {
    file = args.empty() ? std::string() : args[0];
  } else if (!has_param) {
    std::string caption = "VESTIL\xb2-";
    caption += MessageText(msg::kLoadFileCaption);
    std::string chosen;
    if (!rt.host->ChooseProgramFile(caption, chosen)) LoaderFailure(rt, msg::kUsageVestrun, "", 2);
    file = std::string(TrimView(chosen));
  } else {
    file = args[1];
    if (file.find('.') == std::string::npos) file += ".VSC";
  }

  // Reading.
  File f = OpenRead(rt, file);
  if (!f) LoaderFailure(rt, msg::kFileNotFound, file, 2);

  unsigned char header[kHeaderSize];
  bool header_ok = std::fseek(f.get(), static_cast<long>(offset), SEEK_SET) == 0 &&
                   std::fread(header, 1, kHeaderSize, f.get()) == kHeaderSize &&
                   std::string_view(reinterpret_cast<char*>(header) + 1, 11) == kProgramMagic;
  if (!header_ok) LoaderFailure(rt, msg::kNotAProgramFile, "", 1);

  uint8_t key = 0;
  if (!(header[20] == ' ' && header[21] == ' ')) key = static_cast<uint8_t>(header[20] | header[21]);

  auto& prog = rt.program;
  prog.lines.assign(1, std::string());
  prog.line_count = 0;
  for (;;) {
    int c = std::fgetc(f.get());
    if (c == EOF) break;
    if (++prog.line_count > kMaxLines) LoaderFailure(rt, msg::kTooManyLines, "", 1);
    size_t len = static_cast<size_t>(c);
    std::string line(len, '\0');
    if (len && std::fread(line.data(), 1, len, f.get()) != len) LoaderFailure(rt, msg::kProgramFileDamaged, "", 1);
    for (auto& ch : line) ch = static_cast<char>(static_cast<uint8_t>(ch) ^ key);
    if (len > static_cast<size_t>(kMaxLineLength)) LoaderFailure(rt, msg::kLineTooLong, "", 1);
    prog.lines.push_back(std::move(line));
  }
  rt.errors.program_loaded = true;
  rt.loop.current_line = 0;
}

}  // namespace vestil
