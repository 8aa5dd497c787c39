#include "app/FileSettings.h"

#include "app/IniFiles.h"
#include "app/IniStore.h"
#include "platform/Utf.h"

namespace kastrell {

namespace {

constexpr std::u16string_view kFiles = u"Files";

bool Flag(const IniBuffer* ini, std::u16string_view key, int def) { return IniStore::GetInt(ini, kFiles, key, def) != 0; }

std::string Text(const IniBuffer* ini, std::u16string_view key, std::u16string_view def) {
  return Utf16ToUtf8(IniStore::GetString(ini, kFiles, key, def).value_or(std::u16string(def)));
}

template <typename Read>
auto WithMainIni(Read read) {
  std::unique_ptr<IniBuffer> ini = IniStore::Open(IniPath(kMainIni));
  auto settings = read(ini.get());
  IniStore::Close(std::move(ini));
  return settings;
}

}  // namespace

LoadSettings ReadLoadSettings(const IniBuffer* ini) {
  LoadSettings s;
  s.encoding = IniStore::GetInt(ini, kFiles, u"Encoding", 0);
  const int pcFormat = IniStore::GetInt(ini, kFiles, u"PC format", 1);
  s.pcFormat = pcFormat >= 0 && pcFormat <= 2 ? static_cast<LineStyle>(pcFormat) : LineStyle::Pc;
  s.checkInvalidCrLf = Flag(ini, u"Check invalid CR/LF", 0);
  s.backupRemote = Flag(ini, u"Backup Remote", 1);
  s.disconnect = IniStore::GetInt(ini, u"Options", u"Disconnect", 0) != 0;
  return s;
}

SaveSettings ReadSaveSettings(const IniBuffer* ini) {
  SaveSettings s;
  s.backup = Flag(ini, u"Backup", 1);
  s.backupDir = Text(ini, u"Backup Dir", u"");
  s.backupExtension = Text(ini, u"Backup Extension", u".bak");
  if (s.backupExtension.empty()) s.backupExtension = ".bak";
  if (s.backupExtension[0] != '.') s.backupExtension.insert(0, 1, '.');
  s.backupDirname = Flag(ini, u"Backup Dirname", 0);
  s.backupDatetime = Flag(ini, u"Backup Datetime", 0);
  s.backupRemote = Flag(ini, u"Backup Remote", 1);
  const int bom = IniStore::GetInt(ini, kFiles, u"BOM", 3);
  s.bom = bom >= 0 && bom <= 3 ? static_cast<BomPolicy>(bom) : BomPolicy::Keep;
  s.saveTempFile = Flag(ini, u"Save Temp File", 0);
  s.autoSave = IniStore::GetInt(ini, kFiles, u"Auto Save", 0);
  s.autoSaveDec = IniStore::GetInt(ini, kFiles, u"Auto Save Dec", 0);
  s.checkModify = Flag(ini, u"Check Mofify", 1);
  s.disconnect = IniStore::GetInt(ini, u"Options", u"Disconnect", 0) != 0;
  return s;
}

DocumentSettings ReadDocumentSettings(const IniBuffer* ini) {
  DocumentSettings s;
  s.checkModify = Flag(ini, u"Check Mofify", 1);
  s.reload = Flag(ini, u"Reload", 0);
  s.preventEditing = Flag(ini, u"Prevent Editing", 0);
  s.lockFiles = IniStore::GetInt(ini, u"Options", u"Lock Files", 0) != 0;
  s.restore = IniStore::GetInt(ini, u"Options", u"Restore", 0) != 0;
  return s;
}

LoadSettings ReadLoadSettings() {
  return WithMainIni([](const IniBuffer* ini) { return ReadLoadSettings(ini); });
}
SaveSettings ReadSaveSettings() {
  return WithMainIni([](const IniBuffer* ini) { return ReadSaveSettings(ini); });
}
DocumentSettings ReadDocumentSettings() {
  return WithMainIni([](const IniBuffer* ini) { return ReadDocumentSettings(ini); });
}

}  // namespace kastrell
