// Replays fuzz inputs without libFuzzer: each argument is a file, or a folder
// of files, fed once to LLVMFuzzerTestOneInput. The normal test build runs
// every fuzz target this way over its seed corpus, under the sanitizers.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

static int RunFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  std::string bytes = ss.str();
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

int main(int argc, char** argv) {
  int failures = 0, inputs = 0;
  for (int i = 1; i < argc; ++i) {
    struct stat st;
    if (stat(argv[i], &st) != 0) {
      std::fprintf(stderr, "missing %s\n", argv[i]);
      ++failures;
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      DIR* d = opendir(argv[i]);
      while (dirent* e = d ? readdir(d) : nullptr) {
        if (e->d_name[0] == '.') continue;
        failures += RunFile(std::string(argv[i]) + "/" + e->d_name);
        ++inputs;
      }
      if (d) closedir(d);
    } else {
      failures += RunFile(argv[i]);
      ++inputs;
    }
  }
  std::printf("%d inputs replayed, %d failures\n", inputs, failures);
  return failures ? 1 : 0;
}
