// Writes a large file of typical source lines for the load and save
// benchmarks: make_source_file OUT MEGABYTES [--chinese]
// Lines are CR LF terminated, about 38 bytes long on average (200 MB is some 5.5 million lines); with --chinese every
// eighth line carries a comment in Chinese (UTF-8), so that the file has a
// meaningful form in code page 936.
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_source_file OUT MEGABYTES [--chinese]\n");
    return 2;
  }
  const std::size_t target = std::size_t(std::atol(argv[2])) << 20;
  const bool chinese = argc > 3 && std::strcmp(argv[3], "--chinese") == 0;
  static const char* kLines[] = {
      "    if (count > limit && !(flags & FLAG_QUIET)) {",
      "        fprintf(stderr, \"%s: %d entries dropped\\n\", name, dropped);",
      "    size_t remaining = capacity - (size_t)(cursor - start);",
      "        result = compute(value, 42);",
      "    }",
      "",
      "static int parse_header(const char *buf, size_t len)",
      "{",
      "    for (i = 0; i < n; i++)",
      "        total += table[i] * scale;",
      "    return status == OK ? 0 : -1;",
      "}",
      "#define BUFFER_SIZE 4096",
      "    /* release the lock before waiting */",
      "    struct node *next = head->next;",
      "    memset(&state, 0, sizeof state);",
  };
  static const char* kChinese = "    // 释放缓冲区并返回错误代码";
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  std::string buf;
  std::size_t written = 0, line = 0;
  std::uint32_t seed = 12345;
  while (written < target) {
    seed = seed * 1103515245u + 12345u;
    const char* text = chinese && line % 8 == 7 ? kChinese : kLines[(seed >> 16) % (sizeof kLines / sizeof *kLines)];
    buf += text;
    buf += "\r\n";
    ++line;
    if (buf.size() > (1 << 20)) {
      std::fwrite(buf.data(), 1, buf.size(), out);
      written += buf.size();
      buf.clear();
    }
  }
  std::fwrite(buf.data(), 1, buf.size(), out);
  std::fclose(out);
  std::printf("%zu lines\n", line);
  return 0;
}
