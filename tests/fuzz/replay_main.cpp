// A fuzz target without libFuzzer: every file named, and every file of every
// folder named, runs through the target once (a finding aborts).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  int inputs = 0;
  for (int a = 1; a < argc; ++a) {
    std::vector<std::filesystem::path> paths{argv[a]};
    if (std::filesystem::is_directory(argv[a]))
      paths.assign(std::filesystem::directory_iterator(argv[a]), std::filesystem::directory_iterator());
    for (const auto& p : paths) {
      std::ifstream in(p, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++inputs;
    }
  }
  std::printf("%d inputs replayed\n", inputs);
  return inputs ? 0 : 1;
}
