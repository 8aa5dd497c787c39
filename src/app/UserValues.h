// The per-user values that stand in for the settings registry key: one file
// per user, $XDG_CONFIG_HOME/kastrell/registry_u.ini, with one section per
// subkey ("Install", "Recent File List", ...) and one entry per value. It is an
// INI file like the others, so it is read and replaced whole through IniStore.
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/IniStore.h"

namespace kastrell {

class SystemInfo;

// The sections and value names the application keeps here.
namespace user_values {
inline constexpr std::u16string_view kInstall = u"Install";
inline constexpr std::u16string_view kInstallPath = u"Path";            // install directory
inline constexpr std::u16string_view kIniDirectory = u"INI directory";  // INI directory
inline constexpr std::u16string_view kSyntaxDirectory = u"STX ACP CTL";  // syntax directory
inline constexpr std::u16string_view kLanguage = u"Language";           // code page of the UI language, 0 built in
inline constexpr std::u16string_view kRecentFiles = u"Recent File List";  // File1 ... File16
inline constexpr std::u16string_view kRecentDirs = u"Recent Dir List";    // Dir1 ... Dir16
}  // namespace user_values

class UserValues {
 public:
  explicit UserValues(std::string path) : path_(std::move(path)) {}
  // $XDG_CONFIG_HOME/kastrell/registry_u.ini, or ~/.config/kastrell/... when
  // the variable is unset or not absolute.
  static std::string DefaultPath(SystemInfo& system);

  const std::string& Path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }

  std::optional<std::u16string> GetString(std::u16string_view section, std::u16string_view name) const;
  std::u16string GetString(std::u16string_view section, std::u16string_view name, std::u16string_view def) const;
  int GetInt(std::u16string_view section, std::u16string_view name, int def) const;
  bool GetBinary(std::u16string_view section, std::u16string_view name, void* block, std::size_t size) const;

  // Each set rewrites the file; false when it could not be written.
  bool SetString(std::u16string_view section, std::u16string_view name, std::u16string_view value);
  bool SetInt(std::u16string_view section, std::u16string_view name, int value);
  bool SetBinary(std::u16string_view section, std::u16string_view name, const void* block, std::size_t size);
  bool DeleteValue(std::u16string_view section, std::u16string_view name);
  bool DeleteSection(std::u16string_view section);

  // For many values at once: Open, IniStore gets and sets, then Save once
  // (which creates the folder when needed) or let the buffer go.
  std::unique_ptr<IniBuffer> Open() const { return IniStore::Open(path_); }
  bool Save(std::unique_ptr<IniBuffer> buffer);

 private:
  template <class F>
  bool Edit(F f);
  std::string path_;
};

// The application's per-user values. Its path is empty (reads give defaults,
// writes fail) until the start-up sequence sets it, normally to DefaultPath.
UserValues& AppUserValues();

}  // namespace kastrell
