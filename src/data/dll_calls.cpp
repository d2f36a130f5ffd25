// Calls into libraries: the direct binding, @LOADLIB and the bridge binding
// through the exchange file of VEST16.
#include "data/dll_calls.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/bytes.h"
#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"
#include "values/variables.h"

namespace vestil {
namespace dll {

std::vector<intptr_t> DirectArguments(VariableStore& vars, int count) {
  std::vector<intptr_t> args;
  for (int k = 1; k <= count && k < kParameterSlotCount; ++k) {
    const int32_t v = vars.slots[k].l;
    AreaBlock* area = v != 0 ? vars.ResolveArea(static_cast<uint32_t>(v)) : nullptr;
    args.push_back(area ? reinterpret_cast<intptr_t>(area->bytes.get()) : static_cast<intptr_t>(v));
  }
  return args;
}

uint32_t NextExchangeNumber(uint32_t ticks, uint32_t previous) {
  return ticks > previous ? ticks : previous + 1;
}

std::string ExchangeFileName(uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "P%u.$", static_cast<unsigned>(number % 10000000u));
  return name;
}

int CheckParameterTypes(std::string_view types, int count) {
  if (types.size() != static_cast<size_t>(count)) return msg::kParameterCountMismatch;
  for (char c : types) {
    if (c != '%' && c != '&' && c != '#') return msg::kBadParameterDescriptionType;
  }
  return 0;
}

namespace {

void AppendLe(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

ExchangeImage BuildExchange(std::string_view types, std::span<const SlotValue> slots, VariableStore& vars) {
  ExchangeImage image;
  for (size_t k = 0; k < types.size() && k < slots.size(); ++k) {
    const SlotValue& slot = slots[k];
    switch (types[k]) {
      case '%': AppendLe(image.bytes, static_cast<uint32_t>(slot.i), 2); break;
      case '&': AppendLe(image.bytes, static_cast<uint32_t>(slot.l), 4); break;
      default: {
        AreaBlock* area = slot.l != 0 ? vars.ResolveArea(static_cast<uint32_t>(slot.l)) : nullptr;
        image.areas.push_back({image.bytes.size(), area});
        const int32_t size = area ? area->size : 0;
        AppendLe(image.bytes, static_cast<uint32_t>(size), 4);
        if (size > 0) image.bytes.append(reinterpret_cast<const char*>(area->bytes.get()), static_cast<size_t>(size));
        break;
      }
    }
  }
  image.result_position = image.bytes.size();
  return image;
}

int32_t ReadBackExchange(const ExchangeImage& image, std::string_view file) {
  for (const auto& a : image.areas) {
    if (!a.block || a.position + 4 > file.size()) continue;
    const uint32_t told = ReadLe32(file.data() + a.position);
    size_t n = std::min<size_t>(told, static_cast<size_t>(std::max(a.block->size, 0)));
    n = std::min(n, file.size() - (a.position + 4));
    std::memcpy(a.block->bytes.get(), file.data() + a.position + 4, n);
  }
  if (image.result_position + 4 > file.size()) return 0;
  return static_cast<int32_t>(ReadLe32(file.data() + image.result_position));
}

std::string BridgeCommandLine(std::string_view library, std::string_view function, std::string_view types,
                              std::string_view result_type, std::string_view short_path) {
  const std::string_view parts[] = {"VEST16 ", library, "|", function, "|", types, "|", result_type, " ",
                                    short_path};
  size_t size = 0;
  for (std::string_view p : parts) size += p.size();
  std::string cmd;
  cmd.reserve(size);
  for (std::string_view p : parts) cmd.append(p.data(), p.size());
  return cmd;
}

}  // namespace dll

namespace {

struct LibraryFamily : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kLibraries;
  Libraries* libraries = nullptr;
  void* resident = nullptr;  // the library @LOADLIB keeps
  uint32_t last_exchange = 0;
  ~LibraryFamily() override {
    if (resident) libraries->Free(resident);
  }
};

LibraryFamily& Family(Runtime& rt) { return rt.Family<LibraryFamily>(); }

// The function's result in its long, float and text views.
void Result(Runtime& rt, int32_t v, uint8_t type) {
  auto& rr = rt.eval.rr;
  rr.type = type;
  rr.i = rr.l = v;
  rr.f = v;
  rr.set_text_integer(v, rt.format.number_width);
}

ShortString TextArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kTextDemand);
  return rt.eval.rr.text();
}

// A module loaded for one call, freed however the call ends.
struct CallModule {
  Libraries& libs;
  void* module;
  ~CallModule() {
    if (module) libs.Free(module);
  }
};

void DirectCall(Runtime& rt, int count) {
  Libraries& libs = *rt.host.libraries;
  const ShortString library = TextArg(rt, ',');
  CallModule module{libs, libs.Load(library)};
  if (!module.module) {
    RuntimeError(rt, msg::kDllLoadFailed, library);
    return Result(rt, 0, kTypeLong);
  }
  const ShortString function = TextArg(rt, kRest);
  void* entry = libs.Find(module.module, function);
  if (!entry) {
    RuntimeError(rt, msg::kDllFunctionNotFound, function);
    return Result(rt, 0, kTypeLong);
  }
  const std::vector<intptr_t> args = dll::DirectArguments(rt.vars, count);
  Result(rt, libs.Call(entry, args), kTypeLong);
}

// The exchange file and its marker, removed however the call ends, and the
// bridge program, ended (when it still runs) and reaped.
struct ExchangeFiles {
  FileSystem& files;
  SystemServices& system;
  Libraries& libraries;
  std::string path, marker;
  uintptr_t helper = 0;
  bool answered = false;  // the marker came: the bridge is let go, not ended
  ~ExchangeFiles() {
    libraries.EndWait();
    if (helper) system.EndHelper(helper, !answered);
    if (!marker.empty()) files.EraseFile(marker);
    if (!path.empty()) files.EraseFile(path);
  }
};

bool WriteWhole(FileSystem& files, const std::string& path, std::string_view bytes) {
  std::unique_ptr<HostFile> f;
  if (files.OpenHostFile(path, FileAccess::kReadWrite, true, f) != 0) return false;
  size_t done = 0;
  return f->Write(bytes.data(), bytes.size(), done) == 0 && done == bytes.size();
}

// The first `limit` bytes of a file at most: what the read-back looks at.
std::string ReadHead(FileSystem& files, const std::string& path, size_t limit) {
  std::unique_ptr<HostFile> f;
  if (files.OpenHostFile(path, FileAccess::kRead, false, f) != 0) return std::string();
  int64_t size = 0;
  if (f->Size(size) != 0 || size <= 0) return std::string();
  std::string bytes(static_cast<size_t>(std::min<int64_t>(size, static_cast<int64_t>(limit))), '\0');
  size_t done = 0;
  f->Read(bytes.data(), bytes.size(), done);
  bytes.resize(done);
  return bytes;
}

void BridgeCall(Runtime& rt, int count) {
  Libraries& libs = *rt.host.libraries;
  FileSystem& files = *rt.host.files;
  const ShortString library = TextArg(rt, ',');
  const ShortString function = TextArg(rt, ',');
  const ShortString types = TextArg(rt, ',');
  if (int error = dll::CheckParameterTypes(types, count)) {
    RuntimeError(rt, error, "");
    return Result(rt, 0, kTypeLong);
  }
  LibraryFamily& family = Family(rt);
  family.last_exchange = dll::NextExchangeNumber(rt.host.system->TickCount(), family.last_exchange);
  ExchangeFiles exchange{files, *rt.host.system, libs, files.MapPath(dll::ExchangeFileName(family.last_exchange)), ""};
  const dll::ExchangeImage image =
      dll::BuildExchange(types, std::span<const SlotValue>(rt.vars.slots).subspan(1, static_cast<size_t>(count)),
                         rt.vars);
  if (!WriteWhole(files, exchange.path, image.bytes)) {
    RuntimeError(rt, msg::kDllLoadFailed, library);
    return Result(rt, 0, kTypeLong);
  }
  const ShortString result_type = TextArg(rt, kRest);
  const std::string short_path = libs.ShortPath(exchange.path);
  // A bridge that does not start would never write its marker: that is a
  // library that cannot be loaded, not a wait without end.
  exchange.helper =
      rt.host.system->StartHelper(dll::BridgeCommandLine(library, function, types, result_type, short_path), 1);
  if (!exchange.helper) {
    RuntimeError(rt, msg::kDllLoadFailed, "VEST16");
    return Result(rt, 0, kTypeLong);
  }
  exchange.marker = short_path + "!";
  uint32_t attributes = 0;
  while (files.GetAttributes(exchange.marker, attributes) != 0) {
    // Nor is a bridge that has ended without its marker, or a wait the user
    // has ended (the last look for the marker comes after the bridge ended).
    const bool running = rt.host.system->HelperRunning(exchange.helper);
    if (!running && files.GetAttributes(exchange.marker, attributes) == 0) break;
    rt.host.screen->PumpMessages();
    if (!running || !libs.Nap()) {
      RuntimeError(rt, msg::kDllLoadFailed, "VEST16");
      return Result(rt, 0, kTypeLong);
    }
  }
  exchange.answered = true;
  files.EraseFile(exchange.marker);
  exchange.marker.clear();
  // The areas and the result lie before the result position's four bytes:
  // a longer file is not read further.
  const int32_t v = dll::ReadBackExchange(image, ReadHead(files, exchange.path, image.result_position + 4));
  const std::string_view rtype = result_type.view();
  if (rtype == "%") return Result(rt, v, kTypeInteger);
  if (rtype == "&") return Result(rt, v, kTypeLong);
  Result(rt, 0, kTypeLong);
}

void LibraryBinding(Runtime& rt, int count) {
  auto& at = rt.loop.arg_text;
  const char kind = at.empty() ? '!' : at[0];
  at.remove_prefix(at.empty() ? 0 : 1);
  if (kind == '*') {
    BridgeCall(rt, count);
  } else {
    DirectCall(rt, count);
  }
}

// @LOADLIB(name): frees the resident library, then keeps the named one.
void LoadLib(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kFileNameDemand);
  const ShortString name = rt.eval.rr.text();
  LibraryFamily& family = Family(rt);
  if (family.resident) {
    family.libraries->Free(family.resident);
    family.resident = nullptr;
  }
  int32_t handle = 0;
  if (!name.empty()) {
    family.resident = family.libraries->Load(name);
    if (family.resident) handle = family.libraries->ModuleNumber(family.resident);
  }
  NumberResult(rt, ctx, handle, kTypeLong);
}

}  // namespace

void RegisterLibraryCalls(Runtime& rt) {
  rt.InstallFamily<LibraryFamily>();
  rt.Family<LibraryFamily>().libraries = rt.host.libraries;
  rt.eval.functions[fn::kLoadLib] = LoadLib;
  rt.eval.library_binding = LibraryBinding;
}

}  // namespace vestil
