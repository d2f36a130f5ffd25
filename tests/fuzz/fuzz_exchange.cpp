// Fuzz target: the DLL bridge's exchange file read back. The input: a count
// of parameters, their types and area sizes, then the file. Findings: a byte
// written past an area, an area changed by a file that ends before it.
#include <cstring>
#include <memory>
#include <vector>

#include "data/dll_calls.h"
#include "fuzz_check.h"
#include "values/variables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t at = 0;
  const int count = data[at++] % 13;
  std::string types;
  VariableStore vars;
  std::vector<SlotValue> slots(static_cast<size_t>(count));
  for (int k = 0; k < count && at < size; ++k) {
    const uint8_t b = data[at++];
    const char type = "%&#"[b % 3];
    types.push_back(type);
    if (type != '#') {
      slots[k].i = static_cast<int16_t>(b * 257);
      slots[k].l = static_cast<int32_t>(b * 16843009u);
      continue;
    }
    // An area of 0..1023 bytes, or (size byte 255) no area's handle.
    const size_t hi = at < size ? data[at++] : 0;
    if (hi == 255) {
      slots[k].l = 12345;
      continue;
    }
    auto block = std::make_shared<AreaBlock>();
    block->size = static_cast<int32_t>((hi % 4) * 256 + (b & 0xff));
    block->bytes.reset(new uint8_t[static_cast<size_t>(block->size) + 1]);
    std::memset(block->bytes.get(), 0xAA, static_cast<size_t>(block->size));
    block->bytes[block->size] = 0;
    block->handle = vars.next_area_handle++;
    slots[k].l = static_cast<int32_t>(block->handle);
    vars.areas.Append(ShortString("A"), std::move(block));
  }
  slots.resize(types.size());
  const dll::ExchangeImage image = dll::BuildExchange(types, slots, vars);
  if (image.result_position != image.bytes.size()) Finding("the result position is not the file's end");
  const std::string_view file(reinterpret_cast<const char*>(data) + at, size - at);
  (void)dll::ReadBackExchange(image, file);
  for (const auto& a : image.areas) {
    if (!a.block) continue;
    if (a.block->bytes[a.block->size] != 0) Finding("a byte written past an area");
    if (a.position + 4 > file.size())
      for (int32_t i = 0; i < a.block->size; ++i)
        if (a.block->bytes[i] != 0xAA) Finding("an area changed by a file that ends before it");
  }
  return 0;
}
