// vestcomp: compiler, lister and binder of VESTIL programs.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/version.h"
#include "base/whole_file.h"
#include "vestcomp/binder.h"
#include "vestcomp/compiler.h"
#include "vestcomp/lister.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage:\n"
    "  vestcomp SOURCE.vsl [-o OUT.VSC] [--scramble XY] [--no-map] [--no-check] [-Werror]\n"
    "      compile; the default output is SOURCE with the extension .VSC;\n"
    "      the line map goes beside it (OUT.VSM) unless --no-map is given;\n"
    "      --scramble writes the lines scrambled with the marker XY;\n"
    "      --no-check leaves out the checks beyond the syntax (blocks, jump\n"
    "      targets, argument counts, warnings); -Werror makes warnings errors;\n"
    "      a line #NOWARN silences the warnings of the line after it\n"
    "  vestcomp list PROGRAM.VSC [-o OUT.vsl]\n"
    "      list a program file as source (default: standard output)\n"
    "  vestcomp bind RUNNER PROGRAM.VSC -o OUTPUT [--unchecked]\n"
    "      make a stand-alone application: RUNNER with PROGRAM appended\n"
    "  vestcomp --help | --version\n"
    "The manual (guide and reference of the language):\n"
    "/usr/share/doc/vestil/html/index.html (HTML\\index.html in the Windows zip).\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "vestcomp: %s\n", problem);
  std::fputs(kUsage, problem ? stderr : stdout);
  return problem ? 2 : 0;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  return f && f.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && f.flush();
}

struct Args {
  std::vector<std::string> positional;
  std::optional<std::string> output, scramble;
  bool unchecked = false;
  bool no_map = false;
  bool no_check = false;
  bool werror = false;
};

// Options may stand anywhere; "--" ends them.
bool ParseArgs(int argc, char** argv, int first, Args& a, std::string& problem) {
  bool options = true;
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "-o" || arg == "--scramble")) {
      if (i + 1 >= argc) {
        problem = arg + " needs a value";
        return false;
      }
      (arg == "-o" ? a.output : a.scramble) = argv[++i];
    } else if (options && arg == "--unchecked") {
      a.unchecked = true;
    } else if (options && arg == "--no-map") {
      a.no_map = true;
    } else if (options && arg == "--no-check") {
      a.no_check = true;
    } else if (options && arg == "-Werror") {
      a.werror = true;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      problem = "unknown option " + arg;
      return false;
    } else {
      a.positional.push_back(arg);
    }
  }
  return true;
}

int Compile(const Args& a) {
  if (a.positional.size() != 1) return Usage("compile one source file at a time");
  fs::path source = a.positional[0];
  fs::path out = a.output ? fs::path(*a.output) : fs::path(source).replace_extension(".VSC");
  vestcomp::CompileOptions options;
  options.scramble = a.scramble;
  options.warnings_as_errors = a.werror;
  options.checks = !a.no_check;
  vestcomp::CompileResult r = vestcomp::CompileFile(source, options);
  vestcomp::PrintDiagnostics(r, stderr);
  if (!r.ok) return 1;
  if (!WriteFile(out, r.program)) {
    std::fprintf(stderr, "vestcomp: cannot write %s\n", out.string().c_str());
    return 1;
  }
  if (!a.no_map) {
    fs::path map = vestil::LineMapName(out.string());
    if (!WriteFile(map, vestil::SerializeLineMap(r.map, r.program))) {
      std::fprintf(stderr, "vestcomp: cannot write %s\n", map.string().c_str());
      return 1;
    }
  }
  return 0;
}

int List(const Args& a) {
  if (a.positional.size() != 1 || a.scramble || a.unchecked) return Usage("list takes one program file and -o");
  std::string bytes;
  if (!vestil::ReadWholeFile(a.positional[0], bytes)) {
    std::fprintf(stderr, "vestcomp: cannot read %s\n", a.positional[0].c_str());
    return 1;
  }
  vestcomp::ListResult r = vestcomp::ListProgram(bytes);
  if (r.raw_fallback)
    std::fprintf(stderr, "vestcomp: warning: the listing of %s is written as raw lines\n", a.positional[0].c_str());
  if (a.output) {
    if (!WriteFile(*a.output, r.text)) {
      std::fprintf(stderr, "vestcomp: cannot write %s\n", a.output->c_str());
      return 1;
    }
  } else {
    std::fwrite(r.text.data(), 1, r.text.size(), stdout);
  }
  return 0;
}

int Bind(const Args& a) {
  if (a.positional.size() != 2 || !a.output || a.scramble)
    return Usage("bind takes a runner, a program file and -o OUTPUT");
  vestcomp::BindOptions options;
  options.unchecked_program = a.unchecked;
  std::string error;
  if (!vestcomp::BindFiles(a.positional[0], a.positional[1], *a.output, error, options)) {
    std::fprintf(stderr, "vestcomp: bind: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage("nothing to do");
  std::string first = argv[1];
  if (first == "--help" || first == "-h") return Usage(nullptr);
  if (first == "--version" && argc == 2) {
    std::printf("vestcomp %s (VESTIL runtime %s)\n", vestil::kBuildVersion, vestil::kRuntimeVersion);
    return 0;
  }
  Args a;
  std::string problem;
  bool sub = first == "list" || first == "bind";
  if (!ParseArgs(argc, argv, sub ? 2 : 1, a, problem)) return Usage(problem.c_str());
  if (sub && (a.no_map || a.werror || a.no_check))
    return Usage("--no-map, --no-check and -Werror belong to compiling");
  if (first == "list") return List(a);
  if (first == "bind") return Bind(a);
  if (a.unchecked) return Usage("--unchecked belongs to bind");
  return Compile(a);
}
