// Source files for both runners: compiled in memory with their line map, and
// the trace of the lines a program runs (see source_run.h).
#include "platform/source_run.h"

#include <cstdio>
#include <memory>

#include "vestcomp/compiler.h"
#include "vestcomp/lister.h"

namespace vestil {

bool IsSourceFileName(std::string_view name) {
  if (name.size() < 4) return false;
  std::string_view ext = name.substr(name.size() - 4);
  return ext[0] == '.' && (ext[1] | 0x20) == 'v' && (ext[2] | 0x20) == 's' && (ext[3] | 0x20) == 'l';
}

SourceCompilation CompileIntoRuntime(const std::filesystem::path& source, Runtime& rt) {
  SourceCompilation out;
  vestcomp::CompileResult r = vestcomp::CompileFile(source);
  out.messages = r.messages;
  if (!r.ok) return out;
  out.ok = true;
  rt.source.compiled = std::move(r.program);
  rt.source.map = std::move(r.map);
  return out;
}

void InstallTrace(Runtime& rt, std::function<void(std::string_view)> out) {
  auto listing = std::make_shared<std::vector<std::string>>();
  rt.source.trace = [out = std::move(out), listing](Runtime& r) {
    const int n = r.loop.current_line;
    std::string line = r.source.map.Note(n);
    if (line.empty()) {
      if (listing->empty())
        *listing = vestcomp::ListLines(
            std::vector<std::string>(r.program.lines.begin() + 1, r.program.lines.end()));
      line = std::to_string(n) + ": ";
      if (n >= 1 && static_cast<size_t>(n) <= listing->size()) line += (*listing)[static_cast<size_t>(n) - 1];
    }
    out(line);
  };
}

std::function<void(std::string_view)> FileLineSink(const std::string& path) {
  std::shared_ptr<std::FILE> f(std::fopen(path.c_str(), "wb"), [](std::FILE* p) {
    if (p) std::fclose(p);
  });
  if (!f) return {};
  return [f](std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), f.get());
    std::fputc('\n', f.get());
    std::fflush(f.get());
  };
}

}  // namespace vestil
