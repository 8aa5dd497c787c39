// Loads and saves in a child process whose address space cannot grow far
// (RLIMIT_AS): the large blocks fail for real, and each operation must end in
// its message with the document and the file on disk unchanged.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/IcuCodePages.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"
#include "text/Encoding.h"
#include "text/FileLoader.h"
#include "text/FileWriter.h"

namespace kastrell {
namespace {

using test::TempDir;
constexpr std::uint64_t kMiB = std::uint64_t(1) << 20;

std::uint64_t AddressSpaceInUse() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  unsigned long long kb = 0;
  char line[256];
  while (f && std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmSize: %llu kB", &kb) == 1) break;
  if (f) std::fclose(f);
  return std::uint64_t(kb) * 1024;
}

// Runs check in a child whose address space may grow by headroom bytes at
// most; true when the child ran it to the end and it held.
bool HoldsUnderLimit(std::uint64_t headroom, const std::function<bool()>& check) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = rlim_t(AddressSpaceInUse() + headroom);
    if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(3);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class MemoryLimitTest : public test::PlatformTest {
 protected:
  MemoryLimitTest() { hp.platform.codePages = &icu; }

  // A hash of the document's lines, taken without allocating (the child may
  // not have memory for a copy of the text).
  std::uint64_t Fingerprint() const {
    std::uint64_t h = 14695981039346656037ull;
    const TextBuffer& b = doc.Buffer();
    for (std::int32_t i = 0; i < b.LineCount(); ++i) {
      for (char16_t u : b.LineView(i)) h = (h ^ u) * 1099511628211ull;
      h = (h ^ 0x10000) * 1099511628211ull;
    }
    return h;
  }
  // Whether exactly the expected message boxes were shown.
  bool BoxesAsExpected() { return hp.boxes.Failures().empty(); }

  IcuCodePages icu{1252};
  TempDir dir;
  CMyEditDoc doc;
  LoadEnvironment env;
};

struct LoadCase {
  const char* name;
  char fill;                // the file: size bytes of this one
  std::size_t size;
  std::uint64_t headroom;   // address space the load may add
};

TEST_F(MemoryLimitTest, ALoadWithoutMemoryKeepsTheDocument) {
  const std::vector<LoadCase> cases = {
      // 48 MiB of NULs: the bytes fit, their UTF-16 text does not.
      {"decoded text", '\0', 48 * kMiB, 80 * kMiB},
      // 8 MiB of line feeds: bytes and text fit, 8 million line records do not.
      {"line array", '\n', 8 * kMiB, 80 * kMiB},
      // The bytes of the file itself.
      {"file bytes", 'x', 64 * kMiB, 16 * kMiB},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write("big.txt", std::string(c.size, c.fill));
    doc.Buffer().SetLineCount(0);
    doc.Buffer().AppendLine(MakeLineRecord(u"keep", 4));
    doc.SetModified(false);
    const std::uint64_t kept = Fingerprint();
    hp.system.SetAvailableMemory(std::uint64_t(64) << 30);  // no low-memory question
    EXPECT_TRUE(HoldsUnderLimit(c.headroom, [&] {
      hp.boxes.Expect({"内存不足", Answer::Ok, false, Buttons::Ok, Icon::Stop});
      bool loaded = LoadFile(doc, path, "", env);
      return !loaded && BoxesAsExpected() && Fingerprint() == kept && !doc.IsModified();
    }));
    // Without the limit the same file loads.
    EXPECT_TRUE(LoadFile(doc, path, "", env));
    EXPECT_EQ(doc.Buffer().LineLength(0), c.fill == '\n' ? 0 : std::int32_t(c.size));
  }
}

struct SaveCase {
  const char* name;
  std::int32_t encoding;
  const char* message;
};

TEST_F(MemoryLimitTest, ASaveWithoutMemoryKeepsTheFileAndTheDocument) {
  // 32 MiB of text in 400,000 lines; the save may add 12 MiB of address space.
  std::string bytes;
  for (int i = 0; bytes.size() < 32 * kMiB; ++i) bytes += "line " + std::to_string(i) + " of the text\r\n" + std::string(60, 'a');
  const std::string source = dir.Write("source.txt", bytes);
  ASSERT_TRUE(LoadFile(doc, source, "", env));
  const std::uint64_t text = Fingerprint();
  const std::string target = dir.Write("target.txt", "precious");
  const std::vector<SaveCase> cases = {
      {"UTF-16: the text taken out", kEncodingUtf16Le, "文件操作失败。"},
      {"UTF-8: the encoded bytes", kEncodingUtf8, "内存不足"},
      {"code page: the encoded bytes", kEncodingWestern, "内存不足"},
  };
  for (const SaveCase& c : cases) {
    SCOPED_TRACE(c.name);
    doc.encoding = c.encoding;
    EXPECT_TRUE(HoldsUnderLimit(12 * kMiB, [&] {
      hp.boxes.Expect({c.message, Answer::Ok, false, {}, {}});
      bool saved = WriteDocumentFile(doc, target, false, {});
      return !saved && BoxesAsExpected() && test::ReadBytes(target) == "precious" && Fingerprint() == text;
    }));
    // Without the limit the same save works.
    ASSERT_TRUE(WriteDocumentFile(doc, target, false, {}));
    test::WriteBytes(target, "precious");
  }
}

}  // namespace
}  // namespace kastrell
