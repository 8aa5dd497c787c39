#include "app/Directories.h"

#include "app/UserValues.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Path.h"
#include "platform/Platform.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"
#include "platform/Utf.h"

#ifndef KASTRELL_SOURCE_DATA_DIR
#define KASTRELL_SOURCE_DATA_DIR ""
#endif

namespace kastrell {

namespace {

constexpr unsigned kInvalidDirectoryMessage = 21547;

std::string HomeConfig(SystemInfo& system) {
  std::optional<std::string> xdg = system.GetEnv("XDG_CONFIG_HOME");
  if (xdg && path::IsAbsolute(*xdg)) return *xdg;
  std::optional<std::string> home = system.GetEnv("HOME");
  return path::Join(home && !home->empty() ? *home : "/", ".config");
}

std::string ReadDirectoryValue(const UserValues& values, std::u16string_view name, const std::string& def) {
  std::optional<std::u16string> v = values.GetString(user_values::kInstall, name);
  // An empty value means "not set" so that it falls back instead of failing the check.
  return v && !v->empty() ? Utf16ToUtf8(*v) : def;
}

}  // namespace

Directories& AppDirectories() {
  static Directories dirs;
  return dirs;
}

std::optional<std::string> ExpandEnvironment(std::string_view value, SystemInfo& system) {
  std::string out = ExpandEnvironmentReferences(value, system);
  if (Utf8ToUtf16(out).size() > kMaxDirectoryUnits) return std::nullopt;
  return out;
}

std::string StripTrailingSeparator(std::string p) {
  while (p.size() > 1 && p.back() == path::kSeparator) p.pop_back();
  return p;
}

std::string WithTrailingSeparator(std::string p) {
  if (p.empty() || p.back() != path::kSeparator) p += path::kSeparator;
  return p;
}

std::string DefaultIniDirectory(SystemInfo& system) { return path::Join(HomeConfig(system), "kastrell"); }

std::string DefaultInstallDirectory(SystemInfo& system, FileSystem& fs) {
  std::string exe = system.ExecutablePath();
  if (!exe.empty()) {
    std::string share = path::Normalize(path::Join(path::DirName(exe), "../share/kastrell"));
    FileInfo info;
    if (!fs.Stat(share, info) && info.kind == FileKind::Directory) return WithTrailingSeparator(share);
  }
  return WithTrailingSeparator(KASTRELL_SOURCE_DATA_DIR);
}

std::optional<std::string> CheckDirectory(std::string_view value, SystemInfo& system, FileSystem& fs,
                                          bool report) {
  std::string stripped = StripTrailingSeparator(std::string(value));
  std::optional<std::string> expanded = ExpandEnvironment(stripped, system);
  if (expanded && !expanded->empty() && !fs.CheckDirectoryAccess(*expanded)) return expanded;
  if (!report) return std::nullopt;
  std::string shown = expanded ? *expanded : stripped;
  MessageRequest box{FormatString(LoadString(kInvalidDirectoryMessage), {shown}), Buttons::Ok, Icon::Warning, {}};
  CurrentPlatform().boxes->Show(box);
  return std::nullopt;
}

std::string ResolveInstallDirectory(const UserValues& values) {
  Platform& p = CurrentPlatform();
  std::string install = ReadDirectoryValue(values, user_values::kInstallPath, {});
  if (!install.empty()) install = ExpandEnvironment(install, *p.system).value_or(std::string());
  return install.empty() ? DefaultInstallDirectory(*p.system, *p.files) : WithTrailingSeparator(install);
}

Directories ResolveDirectories(const UserValues& values) {
  Platform& p = CurrentPlatform();
  SystemInfo& system = *p.system;
  FileSystem& fs = *p.files;
  Directories d;

  d.install = ResolveInstallDirectory(values);
  std::string fallback = StripTrailingSeparator(d.install);

  std::string cwd = system.CurrentDirectory();
  d.start = WithTrailingSeparator(cwd);
  d.current = StripTrailingSeparator(cwd);

  std::string iniDefault = DefaultIniDirectory(system);
  std::string ini = ReadDirectoryValue(values, user_values::kIniDirectory, iniDefault);
  if (StripTrailingSeparator(ini) == iniDefault) fs.MakeDirectories(iniDefault);
  d.ini = CheckDirectory(ini, system, fs).value_or(fallback);

  std::string syntax = ReadDirectoryValue(values, user_values::kSyntaxDirectory, fallback);
  d.syntax = CheckDirectory(syntax, system, fs).value_or(fallback);
  return d;
}

}  // namespace kastrell
