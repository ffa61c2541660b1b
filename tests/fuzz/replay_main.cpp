// Replays fuzz inputs without libFuzzer: every file named on the command line,
// and every file in every folder named there, goes once through
// LLVMFuzzerTestOneInput. A folder that does not exist counts as empty (a
// target with no reproducers yet); no input at all is an error, so that a
// wrong path cannot pass unnoticed. A fault aborts the program, as under the
// fuzzer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The files of the argument, sorted so that runs are repeatable.
std::vector<std::filesystem::path> Inputs(const std::filesystem::path& arg) {
  namespace fs = std::filesystem;
  if (!fs::exists(arg)) return {};
  if (!fs::is_directory(arg)) return {arg};
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(arg))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::size_t count = 0;
  try {
    for (int i = 1; i < argc; ++i) {
      for (const auto& file : Inputs(argv[i])) {
        const std::string bytes = ReadAll(file);
        std::cout << "replay " << file.string() << " (" << bytes.size() << " bytes)" << std::endl;
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++count;
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "replay: " << e.what() << std::endl;
    return 1;
  }
  if (count == 0) {
    std::cerr << "replay: no input found in the paths given" << std::endl;
    return 1;
  }
  std::cout << count << " inputs replayed" << std::endl;
  return 0;
}
