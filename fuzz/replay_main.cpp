// Stands in for libFuzzer where it is not linked: runs the fuzz target once
// over every file named on the command line and every file in the
// directories named there, so that a corpus replays as a regression test.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The inputs a command-line argument names, sorted so that runs repeat.
std::vector<fs::path> Inputs(const fs::path& argument) {
  std::error_code error;
  if (!fs::is_directory(argument, error)) return {argument};
  std::vector<fs::path> files;
  for (fs::directory_iterator it(argument, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file(error)) files.push_back(it->path());
  std::sort(files.begin(), files.end());
  return files;
}

bool Replay(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(stream), {}};
  // Named first: a broken property aborts the process.
  std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.c_str(), bytes.size());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i)
    for (const fs::path& file : Inputs(argv[i])) {
      ok = Replay(file) && ok;
      ++replayed;
    }
  std::fprintf(stderr, "replayed %d inputs\n", replayed);
  // An empty corpus replays nothing, which must not pass for success.
  return ok && replayed > 0 ? 0 : 1;
}
