#include "platform/posix/PosixProcessLauncher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kastrell {

std::string PosixProcessLauncher::FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
  const char* env = std::getenv("PATH");
  std::string dirs = env ? env : "/usr/local/bin:/usr/bin:/bin";
  std::size_t i = 0;
  while (i <= dirs.size()) {
    std::size_t end = dirs.find(':', i);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(i, end - i);
    if (dir.empty()) dir = ".";
    std::string full = dir + "/" + name;
    struct stat st;
    if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(full.c_str(), X_OK) == 0) return full;
    i = end + 1;
  }
  return {};
}

FileError PosixProcessLauncher::StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return {EINVAL, std::strerror(EINVAL)};
  std::string program = FindProgram(argv[0]);
  if (program.empty()) return {ENOENT, std::strerror(ENOENT)};
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // The grandchild reports a failed exec through a close-on-exec pipe.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {errno, std::strerror(errno)};
  pid_t child = ::fork();
  if (child < 0) {
    int e = errno;
    ::close(fds[0]);
    ::close(fds[1]);
    return {e, std::strerror(e)};
  }
  if (child == 0) {
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execv(program.c_str(), args.data());
      int e = errno;
      (void)!::write(fds[1], &e, sizeof e);
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  ::close(fds[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int execError = 0;
  ssize_t n;
  while ((n = ::read(fds[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
  }
  ::close(fds[0]);
  if (n == sizeof execError) return {execError, std::strerror(execError)};
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {ECHILD, std::strerror(ECHILD)};
  return {};
}

}  // namespace kastrell
