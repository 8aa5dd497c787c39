#include "platform/posix/PosixSystemInfo.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kastrell {

std::optional<std::string> PosixSystemInfo::GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  if (!v) return std::nullopt;
  return std::string(v);
}

std::uint64_t PosixSystemInfo::AvailableMemory() {
  // MemAvailable counts reclaimable caches, which is what a large load can use.
  std::ifstream in("/proc/meminfo");
  std::string key;
  std::uint64_t kb = 0;
  std::string unit;
  while (in >> key >> kb >> unit) {
    if (key == "MemAvailable:") return kb * 1024;
  }
  long pages = sysconf(_SC_AVPHYS_PAGES);
  long size = sysconf(_SC_PAGESIZE);
  return pages > 0 && size > 0 ? std::uint64_t(pages) * std::uint64_t(size) : 0;
}

std::string PosixSystemInfo::ExecutablePath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, std::size_t(n));
}

std::string PosixSystemInfo::CurrentDirectory() {
  char buf[4096];
  return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

}  // namespace kastrell
