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

class UserValues {
 public:
  explicit UserValues(std::string path) : path_(std::move(path)) {}
  // $XDG_CONFIG_HOME/kastrell/registry_u.ini, or ~/.config/kastrell/... when
  // the variable is unset or not absolute.
  static std::string DefaultPath(SystemInfo& system);

  const std::string& Path() const { return path_; }

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

}  // namespace kastrell
