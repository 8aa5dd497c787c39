#include "text/FileErrors.h"
#include "text/DocumentSave.h"

#include "platform/Busy.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Path.h"
#include "platform/Platform.h"
#include "platform/Strings.h"

namespace kastrell {

namespace {

SaveHooks g_noHooks;
SaveHooks& Hooks(const SaveEnvironment& env) { return env.hooks ? *env.hooks : g_noHooks; }

FileInfo StatOf(const std::string& path) {
  FileInfo info;
  if (CurrentPlatform().files->Stat(path, info)) info = {};
  return info;
}

bool Exists(const std::string& path) { return StatOf(path).kind != FileKind::Missing; }

// The C library's wide space test in a Unicode locale, fixed here so that the
// result does not depend on the process locale: the ASCII blanks and the
// Unicode spaces, but not the no-break ones (U+00A0, U+2007, U+202F).
bool IsWideSpace(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1680 || (c >= 0x2000 && c <= 0x2006) ||
         (c >= 0x2008 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x205F || c == 0x3000;
}

}  // namespace

bool TrimTrailingBlanks(CMyEditDoc& doc) {
  TextBuffer& buf = doc.Buffer();
  EditOps& edits = doc.Edits();
  bool changed = false;
  StepGroup group(edits);
  for (std::int32_t line = 0; line < buf.LineCount(); ++line) {
    std::u16string_view text = buf.LineView(line);
    std::size_t end = text.size();
    while (end > 0 && IsWideSpace(text[end - 1])) --end;
    if (end == text.size()) continue;
    changed |= edits.DeleteRange({line, std::int32_t(end)}, {line, std::int32_t(text.size())}, kUndoUser);
  }
  return changed;
}

bool SaveDocument(CMyEditDoc& doc, const std::string& path, const SaveEnvironment& env) {
  // Memory that runs out on the way is reported and fails the call.
  return ReportingShortage([&]() -> bool {
    ScopedModalOperation busy;
    Platform& platform = CurrentPlatform();
    FileSystem& fs = *platform.files;
    SaveHooks& hooks = Hooks(env);
    const SaveSettings& settings = env.settings;

    hooks.BeforeSaveTools(doc);
    if (env.trimTrailingSpaces && TrimTrailingBlanks(doc)) hooks.RefreshViews(doc);

    if (!doc.remote) {
      // Someone else changed the file since it was loaded or saved: ask before
      // anything is backed up or written.
      FileInfo now = StatOf(path);
      if (doc.lastWriteTimeNs != 0 && now.kind == FileKind::Regular && now.mtimeNs != doc.lastWriteTimeNs &&
          path == doc.PathName()) {
        if (!env.interactive) return false;
        std::string q = FormatString(LoadString(21619), {path});
        if (platform.boxes->Show({q, Buttons::YesNo, Icon::Warning, {}}).answer != Answer::Yes) return false;
      }
      hooks.ReleaseLock(doc);
      if (settings.backup) MakeBackup(settings, path, path::FileName(path), settings.backupExtension, path, false,
                                      env.interactive);
      bool written = WriteDocumentFile(doc, path, false, env.write);
      hooks.TakeLock(doc);
      if (!written) return false;
    } else {
      const std::string& cache = doc.remoteCachePath;
      if (cache.empty()) return false;
      if (settings.backupRemote)
        MakeBackup(settings, cache, NamePart(path), ".bak", path, true, env.interactive);
      bool ok = WriteDocumentFile(doc, cache, false, env.write) && hooks.Upload(doc, cache);
      if (!settings.backupRemote) {
        fs.Remove(cache);
        doc.remoteCachePath.clear();
      }
      if (settings.disconnect) hooks.Disconnect(doc);
      if (!ok) return false;
    }

    doc.Edits().MarkSaved();
    doc.readOnly = false;
    doc.readOnlyBecauseUnwritable = false;
    doc.lastWriteTimeNs = !doc.remote && settings.checkModify ? StatOf(path).mtimeNs : 0;
    if (env.fileTypeChosenAutomatically) hooks.ChooseFileTypeAgain(doc);
    doc.encodingBeforeChange = doc.encoding;
    // The temporary copy goes only now that the real file is safely written.
    if (!doc.tempCopyPath.empty()) {
      fs.Remove(doc.tempCopyPath);
      doc.tempCopyPath.clear();
    }
    hooks.AfterSaveTools(doc);
    return true;
  });
}

bool DoSave(CMyEditDoc& doc, const std::string& path, bool replace, const SaveEnvironment& env) {
  Platform& platform = CurrentPlatform();
  std::string name = path;
  const std::int32_t encodingBefore = doc.encoding;
  bool usedDialog = false;
  if (name.empty() || doc.readOnly) {
    if (!env.interactive || !env.dialog) return false;
    SaveAsProposal proposal;
    if (doc.remote) {
      proposal.fileName = NamePart(doc.PathName());
    } else if (doc.PathName().empty()) {
      proposal.fileName = TitleWithoutMarker(doc.Title());
    } else {
      proposal.fileName = path::FileName(doc.PathName());
      proposal.initialDirectory = path::DirName(doc.PathName());
    }
    proposal.encoding = doc.encoding;
    std::optional<SaveAsChoice> choice = env.dialog->AskSaveAs(proposal);
    if (!choice) return false;
    if (doc.readOnly && path::Same(choice->path, doc.PathName())) {
      platform.boxes->Show({std::string(LoadString(20064)), Buttons::Ok, Icon::None, {}});
      return false;
    }
    name = choice->path;
    doc.encoding = choice->encoding;
    usedDialog = true;
  }
  const bool existed = Exists(name);
  const bool wasRemote = doc.remote;
  // A remote document saved under a local name becomes a local document.
  if (usedDialog && wasRemote) doc.remote = false;
  if (SaveDocument(doc, name, env)) {
    if (replace || usedDialog) {
      doc.SetPathName(name);
      doc.SetTitle(name);
      Hooks(env).AddToRecentFiles(name);
    }
    return true;
  }
  doc.remote = wasRemote;
  // Only a file this save created may go; an existing file is never removed.
  if (usedDialog && !doc.saveCancelled && !existed && Exists(name)) platform.files->Remove(name);
  doc.encoding = encodingBefore;
  return false;
}

bool DoFileSave(CMyEditDoc& doc, const SaveEnvironment& env) {
  if (doc.remote) return DoSave(doc, doc.PathName(), true, env);
  FileInfo info = StatOf(doc.PathName());
  const bool missing = doc.PathName().empty() || info.kind != FileKind::Regular;
  const bool readOnlyAttribute = !missing && (info.mode & 0222) == 0;
  if (missing || readOnlyAttribute) return DoSave(doc, std::string(), true, env);
  return DoSave(doc, doc.PathName(), true, env);
}

void SaveAll(DocumentSet& docs, bool includeUntitled, const SaveEnvironment& env) {
  CMyEditDoc* active = docs.Active();
  for (CMyEditDoc* doc : docs.Documents()) {
    if (!doc->IsModified()) continue;
    const bool untitled = doc->PathName().empty();
    if (includeUntitled && untitled) docs.Activate(doc);
    if (doc->readOnly && !includeUntitled) continue;
    if (doc->remote ? !includeUntitled : (untitled && !includeUntitled)) continue;
    if (!includeUntitled) {
      // A quiet save never opens a dialog: a missing file or one with the
      // read-only attribute would need Save As.
      FileInfo info = StatOf(doc->PathName());
      if (info.kind != FileKind::Regular || (info.mode & 0222) == 0) continue;
    }
    DoFileSave(*doc, env);
  }
  if (active) docs.Activate(active);
}

void AutoSaveTick(DocumentSet& docs, const SaveEnvironment& env) {
  if (ModalOperationInProgress()) return;
  SaveEnvironment quiet = env;
  quiet.interactive = false;
  if (env.settings.saveTempFile) {
    for (CMyEditDoc* doc : docs.Documents()) {
      if (doc->remote || !doc->IsModified()) continue;
      std::string name = TempFileName(*doc, env.settings);
      if (name.empty()) continue;
      ScopedModalOperation busy;
      if (WriteDocumentFile(*doc, name, true, env.write)) doc->tempCopyPath = name;
    }
    return;
  }
  SaveAll(docs, false, quiet);
}

}  // namespace kastrell
