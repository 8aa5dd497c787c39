#include "app/Language.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "app/Directories.h"
#include "app/UserValues.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Path.h"
#include "platform/Platform.h"
#include "platform/StringTableFile.h"
#include "platform/SystemInfo.h"
#include "text/FileErrors.h"

#ifndef KASTRELL_VERSION
#define KASTRELL_VERSION ""
#endif

namespace kastrell {

namespace {

constexpr unsigned kLanguageVersionMismatch = 21627;

}  // namespace

std::string_view ProgramVersion() { return KASTRELL_VERSION; }

int LanguageForLocale(SystemInfo& system) {
  std::optional<std::string> locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = system.GetEnv(name);
    if (locale && !locale->empty()) break;
  }
  if (!locale) return kBuiltInLanguage;
  const std::string& l = *locale;
  bool english = l.rfind("en", 0) == 0 && (l.size() == 2 || l[2] == '_' || l[2] == '.' || l[2] == '@');
  return english ? kEnglishLanguage : kBuiltInLanguage;
}

int StoredLanguage(UserValues& values, SystemInfo& system) {
  if (values.GetString(user_values::kInstall, user_values::kLanguage))
    return values.GetInt(user_values::kInstall, user_values::kLanguage, kBuiltInLanguage);
  int language = LanguageForLocale(system);
  // A failed write only means the locale is asked again at the next start.
  values.SetInt(user_values::kInstall, user_values::kLanguage, language);
  return language;
}

std::string LanguageTablePath(const std::string& dir, int codePage) {
  return path::Join(path::Join(path::Join(dir, "lang"), std::to_string(codePage)), "strings.txt");
}

LanguageLoad LoadLanguageTable(const std::string& path, std::string_view version, LanguageStrings& out,
                               std::string& error) {
  std::string bytes;
  FileError read = ReadWholeFile(*CurrentPlatform().files, path, bytes);
  if (read.code == ENOENT || read.code == ENOTDIR) return LanguageLoad::Missing;
  if (read) {
    error = read.message;
    return LanguageLoad::Malformed;
  }
  StringTableFile table;
  if (!ParseStringTable(bytes, table, error)) return LanguageLoad::Malformed;
  if (table.version != version) {
    error = "version \"" + table.version + "\", the program is " + std::string(version);
    return LanguageLoad::WrongVersion;
  }
  out.texts.clear();
  out.texts.reserve(table.rows.size());
  for (StringTableRow& row : table.rows) out.texts.emplace_back(row.id, std::move(row.text));
  std::sort(out.texts.begin(), out.texts.end());
  return LanguageLoad::Loaded;
}

int StartLanguage(UserValues& values, const std::string& installDir) {
  Platform& p = CurrentPlatform();
  SetLanguageStrings(nullptr);
  int language = StoredLanguage(values, *p.system);
  if (language == kBuiltInLanguage || language != p.codePages->AnsiCodePage() ||
      !p.codePages->IsValidCodePage(language))
    return kBuiltInLanguage;
  std::string own = DefaultInstallDirectory(*p.system, *p.files);
  std::string dirs[] = {own, installDir};
  if (StripTrailingSeparator(installDir) == StripTrailingSeparator(own)) dirs[1].clear();
  for (const std::string& dir : dirs) {
    if (dir.empty()) continue;
    std::string path = LanguageTablePath(dir, language);
    auto strings = std::make_unique<LanguageStrings>();
    std::string error;
    switch (LoadLanguageTable(path, ProgramVersion(), *strings, error)) {
      case LanguageLoad::Loaded:
        SetLanguageStrings(std::move(strings));
        return language;
      case LanguageLoad::Missing:
        continue;
      case LanguageLoad::WrongVersion:
        p.boxes->Show({std::string(LoadString(kLanguageVersionMismatch)), Buttons::Ok, Icon::None, {}});
        return kBuiltInLanguage;
      case LanguageLoad::Malformed:
        ReportFileError(path, FileError{EINVAL, error});
        return kBuiltInLanguage;
    }
  }
  return kBuiltInLanguage;
}

}  // namespace kastrell
