#include "app/UserValues.h"

#include "app/Directories.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Platform.h"

namespace kastrell {

UserValues& AppUserValues() {
  static UserValues values{std::string()};
  return values;
}

std::string UserValues::DefaultPath(SystemInfo& system) {
  return path::Join(DefaultIniDirectory(system), "registry_u.ini");
}

std::optional<std::u16string> UserValues::GetString(std::u16string_view section, std::u16string_view name) const {
  return IniStore::ReadString(path_, section, name);
}

std::u16string UserValues::GetString(std::u16string_view section, std::u16string_view name,
                                     std::u16string_view def) const {
  return *IniStore::ReadString(path_, section, name, def);
}

int UserValues::GetInt(std::u16string_view section, std::u16string_view name, int def) const {
  return IniStore::ReadInt(path_, section, name, def);
}

bool UserValues::GetBinary(std::u16string_view section, std::u16string_view name, void* block,
                           std::size_t size) const {
  return IniStore::ReadBinary(path_, section, name, block, size);
}

template <class F>
bool UserValues::Edit(F f) {
  std::unique_ptr<IniBuffer> b = Open();
  if (!b || !f(b.get())) return false;
  return Save(std::move(b));
}

bool UserValues::SetString(std::u16string_view section, std::u16string_view name, std::u16string_view value) {
  return Edit([&](IniBuffer* b) { return IniStore::SetString(b, section, name, value); });
}

bool UserValues::SetInt(std::u16string_view section, std::u16string_view name, int value) {
  return Edit([&](IniBuffer* b) { return IniStore::SetInt(b, section, name, value); });
}

bool UserValues::SetBinary(std::u16string_view section, std::u16string_view name, const void* block,
                           std::size_t size) {
  return Edit([&](IniBuffer* b) { return IniStore::SetBinary(b, section, name, block, size); });
}

bool UserValues::DeleteValue(std::u16string_view section, std::u16string_view name) {
  return Edit([&](IniBuffer* b) { return IniStore::DeleteEntry(b, section, name); });
}

bool UserValues::DeleteSection(std::u16string_view section) {
  return Edit([&](IniBuffer* b) { return IniStore::DeleteSection(b, section); });
}

bool UserValues::Save(std::unique_ptr<IniBuffer> buffer) {
  if (!buffer) return false;
  std::string dir = path::DirName(path_);
  if (!dir.empty() && CurrentPlatform().files->MakeDirectories(dir)) return false;
  return IniStore::Close(std::move(buffer), path_);
}

}  // namespace kastrell
