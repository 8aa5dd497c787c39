// The table of INI files, identified by index, and the shortcuts other
// subsystems use to read one setting without handling a buffer:
//
//   int encoding = GetIniInt(kMainIni, u"Files", u"Encoding", 0);
//
// reads AppDirectories().ini + "/kastrell_u.ini" and gives 0 when the entry,
// the file or its folder is missing or unreadable. For several settings of
// one file, open it once: IniStore::Open(IniPath(index)), many IniStore gets,
// IniStore::Close.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kastrell {

struct Directories;

enum IniFileIndex : int {
  kMainIni = 0,       // kastrell_u.ini: Options, Files, Colors, Fonts and the rest
  kToolIni = 1,       // tool_u.ini
  kProjectIni = 2,    // project_u.ini
  kSettingIni = 3,    // setting_u.ini: file types
  kWorkspaceIni = 4,  // workspace_u.ini, in the workspace directory when one is set
  kTemplateIni = 5,   // template_u.ini
  kFtpIni = 6,        // ftp_u.ini, the older account format (read only)
  kFtp2Ini = 7,       // ftp2_u.ini
  kComboboxIni = 8,   // combobox_u.ini
  kMacroIni = 9,      // default%d_mac, the number given by the caller
  kRestoreIni = 10,   // restore_u.ini
};
inline constexpr int kIniFileCount = 11;

// The file name of an index; any index outside the table is the main file.
// Index 9 is the pattern "default%d_mac".
std::string_view IniFileName(int index);
// The full path: the INI directory (the workspace directory for index 4 when
// it is set), '/', the file name; for index 9 `number` fills the "%d". Empty
// while the directory is not known yet.
std::string IniPath(const Directories& dirs, int index, int number = 0);
std::string IniPath(int index, int number = 0);  // with AppDirectories()

// One-shot reads and writes of the file of `index` in AppDirectories().
int GetIniInt(int index, std::u16string_view section, std::u16string_view key, int def);
std::u16string GetIniString(int index, std::u16string_view section, std::u16string_view key,
                            std::u16string_view def);
bool SetIniInt(int index, std::u16string_view section, std::u16string_view key, int value);
bool SetIniString(int index, std::u16string_view section, std::u16string_view key, std::u16string_view value);

}  // namespace kastrell
