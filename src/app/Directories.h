// The directories the application works with and how they are resolved at
// start: from the per-user values, with environment references expanded, each
// checked, and the install directory standing in for an invalid one.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kastrell {

class FileSystem;
class SystemInfo;
class UserValues;

// Paths are UTF-8 with '/' separators.
struct Directories {
  std::string install;    // shipped data (share/kastrell); ends with '/'
  std::string start;      // process current directory at start; ends with '/'
  std::string current;    // initial folder of file dialogs; no trailing '/'
  std::string ini;        // all INI files; no trailing '/'
  std::string syntax;     // .stx, .acp, .ctl and template files; no trailing '/'
  std::string workspace;  // workspace_u.ini only when not empty; no trailing '/'
};

// The application's directories, read by every Part that builds an INI path.
// The start-up sequence fills them (ResolveDirectories); tests set them.
Directories& AppDirectories();

// Longest directory value, in UTF-16 units, after expansion.
inline constexpr std::size_t kMaxDirectoryUnits = 520;

// ExpandEnvironmentReferences (platform/SystemInfo.h), nullopt when the
// result would be longer than kMaxDirectoryUnits.
std::optional<std::string> ExpandEnvironment(std::string_view value, SystemInfo& system);
// Removes trailing separators; "/" stays "/".
std::string StripTrailingSeparator(std::string p);
std::string WithTrailingSeparator(std::string p);

// $XDG_CONFIG_HOME/kastrell, or $HOME/.config/kastrell when the variable is
// unset or not absolute.
std::string DefaultIniDirectory(SystemInfo& system);
// The executable's ../share/kastrell when it exists, else the source tree's
// data folder (a run from the build tree); ends with '/'.
std::string DefaultInstallDirectory(SystemInfo& system, FileSystem& fs);

// Expands and checks a directory value (stripped of trailing separators).
// Returns the usable directory, or nullopt when it is not a directory the
// process can enter; then, when report is set, message 21547 shows the
// expanded value (the INI and syntax directories report, the workspace
// directory does not).
std::optional<std::string> CheckDirectory(std::string_view value, SystemInfo& system, FileSystem& fs,
                                          bool report = true);

// The install directory: `Install` / "Path" expanded, else
// DefaultInstallDirectory; ends with '/'.
std::string ResolveInstallDirectory(const UserValues& values);

// Fills install, start, current, INI and syntax directories from the values in
// `Install` ("Path", "INI directory", "STX ACP CTL"). The default INI directory
// is created when missing. An invalid INI or syntax directory is reported
// (21547) and replaced by the install directory.
Directories ResolveDirectories(const UserValues& values);

}  // namespace kastrell
