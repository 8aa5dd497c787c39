#include "app/IniFiles.h"

#include "app/Directories.h"
#include "app/IniStore.h"
#include "platform/Path.h"

namespace kastrell {

namespace {

constexpr std::string_view kNames[kIniFileCount] = {
    "kastrell_u.ini", "tool_u.ini",     "project_u.ini", "setting_u.ini",  "workspace_u.ini", "template_u.ini",
    "ftp_u.ini",      "ftp2_u.ini",     "combobox_u.ini", "default%d_mac", "restore_u.ini",
};

}  // namespace

std::string_view IniFileName(int index) { return kNames[index >= 0 && index < kIniFileCount ? index : 0]; }

std::string IniPath(const Directories& dirs, int index, int number) {
  if (index < 0 || index >= kIniFileCount) index = kMainIni;
  std::string name(IniFileName(index));
  if (index == kMacroIni) name = "default" + std::to_string(number) + "_mac";
  const std::string& dir = index == kWorkspaceIni && !dirs.workspace.empty() ? dirs.workspace : dirs.ini;
  // Before the directories are resolved there is no INI file: an empty path
  // reads as missing and never writes into whatever the current folder is.
  return dir.empty() ? std::string() : path::Join(dir, name);
}

std::string IniPath(int index, int number) { return IniPath(AppDirectories(), index, number); }

int GetIniInt(int index, std::u16string_view section, std::u16string_view key, int def) {
  return IniStore::ReadInt(IniPath(index), section, key, def);
}

std::u16string GetIniString(int index, std::u16string_view section, std::u16string_view key,
                            std::u16string_view def) {
  return *IniStore::ReadString(IniPath(index), section, key, def);
}

bool SetIniInt(int index, std::u16string_view section, std::u16string_view key, int value) {
  return IniStore::WriteInt(IniPath(index), section, key, value);
}

bool SetIniString(int index, std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  return IniStore::WriteString(IniPath(index), section, key, value);
}

}  // namespace kastrell
