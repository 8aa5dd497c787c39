#include "platform/Platform.h"

#include "platform/SystemInfo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <cstdlib>

#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Path.h"

namespace kastrell {

namespace {
Platform* g_platform = nullptr;
}

Platform& CurrentPlatform() {
  if (!g_platform) {
    std::fputs("kastrell: no platform installed\n", stderr);
    std::abort();
  }
  return *g_platform;
}

Platform* SetPlatform(Platform* p) {
  Platform* old = g_platform;
  g_platform = p;
  return old;
}

Answer DefaultAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
    case Buttons::YesNoCancel: return Answer::Cancel;
    case Buttons::RetryCancel: return Answer::Cancel;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
  }
  return Answer::Cancel;
}

void MessageBoxDiagnostics::UnexpectedError(std::string_view text) {
  boxes_.Show(MessageRequest{std::string(text), Buttons::Ok, Icon::None, {}});
}

FileError ReadInChunks(FileSystem& fs, const std::string& path,
                       const std::function<FileError(const char* data, std::size_t size)>& take) {
  std::unique_ptr<File> file;
  if (FileError e = fs.OpenRead(path, file)) return e;
  char chunk[65536];
  for (;;) {
    std::size_t got = 0;
    if (FileError e = file->Read(chunk, sizeof chunk, got)) return e;
    if (got == 0) break;
    if (FileError e = take(chunk, got)) return e;
  }
  return file->Close();
}

FileError ReadWholeFile(FileSystem& fs, const std::string& path, std::string& bytes) {
  bytes.clear();
  return ReadInChunks(fs, path, [&](const char* data, std::size_t size) {
    bytes.append(data, size);
    return FileError{};
  });
}

std::string ExpandEnvironmentReferences(std::string_view value, SystemInfo& system) {
  std::string out;
  std::size_t i = 0;
  while (i < value.size()) {
    std::size_t open = value.find('%', i);
    std::size_t close = open == value.npos ? value.npos : value.find('%', open + 1);
    if (close == value.npos) {
      out.append(value.substr(i));
      break;
    }
    out.append(value.substr(i, open - i));
    std::string name(value.substr(open + 1, close - open - 1));
    std::optional<std::string> v = name.empty() ? std::nullopt : system.GetEnv(name);
    if (v) {
      out += *v;
    } else {
      out.append(value.substr(open, close - open + 1));
    }
    i = close + 1;
  }
  return out;
}

}  // namespace kastrell
