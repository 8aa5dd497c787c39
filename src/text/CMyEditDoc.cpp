#include "text/CMyEditDoc.h"

#include "platform/Path.h"
#include "text/DocumentEnvironment.h"
#include "text/FileWriter.h"
#include "platform/Platform.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"

namespace kastrell {

namespace {

DocumentHooks g_noHooks;

DocumentHooks& HooksOf(const DocumentEnvironment& env) { return env.hooks ? *env.hooks : g_noHooks; }

bool IsRemote(const CMyEditDoc& doc, const std::string& path, const DocumentEnvironment& env) {
  return doc.remote || (env.load.remote && env.load.remote->IsRemotePath(path));
}

// "ftp(n):path" or "login@server:path": kept as given.
bool LooksRemote(std::string_view p) {
  if (p.starts_with("ftp(") && p.find("):") != std::string_view::npos) return true;
  std::size_t at = p.find('@'), colon = p.find(':'), slash = p.find('/');
  return at != std::string_view::npos && colon != std::string_view::npos && at < colon && at > 0 &&
         (slash == std::string_view::npos || slash > colon);
}

// An absolute path by text alone: the base in front of a relative path, "."
// parts and doubled separators dropped. ".." stays: behind a symbolic link the
// parent is not what the text says.
std::string AbsolutePath(const std::string& p, const std::string& base) {
  std::string full = path::IsAbsolute(p) ? p : base + "/" + p;
  std::string out;
  std::size_t i = 0;
  while (i < full.size()) {
    std::size_t next = full.find('/', i);
    if (next == std::string::npos) next = full.size();
    std::string_view part(full.data() + i, next - i);
    if (!part.empty() && part != ".") {
      out += '/';
      out += part;
    }
    i = next + 1;
  }
  return out.empty() ? "/" : out;
}

// Save hooks that route the save flow's calls back to the document's own
// lifecycle: tools, the lock and the recent list.
class LifecycleSaveHooks final : public SaveHooks {
 public:
  LifecycleSaveHooks(DocumentEnvironment& env, SaveHooks* outer) : env_(env), outer_(outer) {}
  void BeforeSaveTools(CMyEditDoc& d) override { HooksOf(env_).RunTools(d, DocumentEvent::BeforeSave); }
  void AfterSaveTools(CMyEditDoc& d) override { HooksOf(env_).RunTools(d, DocumentEvent::AfterSave); }
  void ReleaseLock(CMyEditDoc& d) override { d.UnlockFile(); }
  // The lock is taken again on the name the document has after the save.
  void TakeLock(CMyEditDoc&) override {}
  // A new match follows a successful save under a new name (see DoSave).
  void ChooseFileTypeAgain(CMyEditDoc&) override {}
  void RefreshViews(CMyEditDoc& d) override {
    if (outer_) outer_->RefreshViews(d);
  }
  void AddToRecentFiles(const std::string& p) override { HooksOf(env_).AddToRecentFiles(p); }
  bool Upload(CMyEditDoc& d, const std::string& cache) override { return outer_ && outer_->Upload(d, cache); }
  void Disconnect(CMyEditDoc& d) override {
    if (outer_) outer_->Disconnect(d);
  }

 private:
  DocumentEnvironment& env_;
  SaveHooks* outer_;
};

}  // namespace

CMyEditDoc::~CMyEditDoc() = default;

// ---- Names

void CMyEditDoc::SetPathName(std::string p, bool addToRecent, DocumentHooks* hooks) {
  if (p.empty()) return;
  if (!remote && !LooksRemote(p)) {
    p = AbsolutePath(p, CurrentPlatform().system ? CurrentPlatform().system->CurrentDirectory() : "/");
  }
  path_ = p;
  title_ = IsModified() ? p + " *" : p;
  if (addToRecent && hooks) hooks->AddToRecentFiles(p);
  if (hooks) hooks->UpdateTab(*this);
}

std::string CMyEditDoc::TabText() const { return path_.empty() ? title_ : path::FileName(path_); }

std::string CMyEditDoc::DisplayName() const {
  if (!path_.empty()) return path_;
  if (!title_.empty()) return TitleWithoutMarker(title_);
  return std::string(LoadString(61443));
}

std::vector<std::int32_t> CMyEditDoc::MarkedLines() const {
  std::vector<std::int32_t> out;
  if (buffer_.MarkedLineCount() == 0) return out;
  for (std::int32_t i = 0; i < buffer_.LineCount(); ++i)
    if (buffer_.IsMarked(i)) out.push_back(i);
  return out;
}

// ---- New and open

bool CMyEditDoc::OnNewDocument(const std::string& title, DocumentEnvironment& env) {
  title_ = title;
  encoding = env.load.settings.encoding;
  encodingBeforeChange = encoding;
  lineStyle = env.load.settings.pcFormat;
  ApplyFileType(0, env);
  HooksOf(env).UpdateTab(*this);
  return true;
}

bool CMyEditDoc::OnOpenDocument(const std::string& p, DocumentEnvironment& env) {
  DocumentHooks& hooks = HooksOf(env);
  const std::string oldPath = path_, oldTitle = title_;
  SetPathName(p);
  hooks.RunTools(*this, DocumentEvent::BeforeOpen);

  std::optional<RememberedState> remembered;
  if (env.settings.restore && !env.reopeningWorkspace) remembered = hooks.FindRememberedState(path_);
  std::int32_t forced = EncodingOverride();
  if (remembered && forced == 0) forced = remembered->encoding;

  bool ok;
  {
    ScopedEncodingOverride scoped(forced);
    ok = LoadFile(*this, path_, std::string(), env.load);
  }
  if (!ok) {
    path_ = oldPath;
    title_ = oldTitle;
    return false;
  }
  if (env.fileTypes) ApplyFileType(env.fileTypes->MatchFileType(path_), env);
  StoreFileTime(path_, false, env);
  if (!IsRemote(*this, path_, env)) hooks.AddToRecentFiles(path_);
  if (readOnly) buffer_.SetEditingPrevented(env.settings.preventEditing);
  hooks.UpdateTab(*this);
  LockFile(path_, env);
  if (remembered) {
    // Marks are set, never toggled, and only on lines the text has.
    for (std::int32_t line : remembered->markedLines) buffer_.SetMark(line - 1, true);
    if (!env.suppressCaret) hooks.PostCaret(*this, remembered->caret);
  }
  hooks.RunTools(*this, DocumentEvent::AfterOpen);
  return true;
}

// ---- Outside changes

void CMyEditDoc::StoreStamp(const FileInfo& info) {
  stamp_.known = true;
  stamp_.mtimeNs = info.mtimeNs;
  stamp_.size = info.size;
  stamp_.inode = info.inode;
  stamp_.device = info.device;
  lastWriteTimeNs = info.mtimeNs;
}

void CMyEditDoc::ApplyReadOnlyAttribute(bool attribute, const DocumentEnvironment& env) {
  if (attribute == readOnlyAttribute_) return;
  readOnlyAttribute_ = attribute;
  readOnly = attribute;
  if (!attribute) readOnlyBecauseUnwritable = false;
  buffer_.SetEditingPrevented(attribute && env.settings.preventEditing);
  HooksOf(env).UpdateTab(*this);
}

void CMyEditDoc::StoreFileTime(const std::string& p, bool onlyWhenChecking, const DocumentEnvironment& env) {
  if (IsRemote(*this, p, env)) return;
  stamp_ = {};
  lastWriteTimeNs = 0;
  if (onlyWhenChecking && !env.settings.checkModify) return;
  FileSystem& fs = *CurrentPlatform().files;
  FileInfo info;
  if (fs.Stat(p, info) || info.kind == FileKind::Missing) return;
  StoreStamp(info);
  ApplyReadOnlyAttribute(static_cast<bool>(fs.CheckWritable(p)), env);
}

CMyEditDoc::FileChange CMyEditDoc::CheckFileChanged(const DocumentEnvironment& env) {
  if (path_.empty() || IsRemote(*this, path_, env)) return kUnchanged;
  FileSystem& fs = *CurrentPlatform().files;
  FileInfo info;
  if (fs.Stat(path_, info) || info.kind == FileKind::Missing) {
    // Forgetting the stamp makes a file that comes back count as changed.
    stamp_ = {};
    stamp_.known = true;
    stamp_.mtimeNs = -1;
    lastWriteTimeNs = 0;
    return kMissing;
  }
  lastMissingName.clear();
  ApplyReadOnlyAttribute(static_cast<bool>(fs.CheckWritable(path_)), env);
  if (!stamp_.known) {
    StoreStamp(info);
    return kUnchanged;
  }
  bool same = stamp_.mtimeNs == info.mtimeNs && stamp_.size == info.size && stamp_.inode == info.inode &&
              stamp_.device == info.device;
  return same ? kUnchanged : kChanged;
}

// ---- Reload

bool CMyEditDoc::Reload(DocumentEnvironment& env, std::int32_t forcedEncoding) {
  if (path_.empty()) return false;
  std::vector<std::int32_t> marks = MarkedLines();
  bool ok;
  {
    ScopedEncodingOverride scoped(forcedEncoding);
    ok = LoadFile(*this, path_, std::string(), env.load);
  }
  if (!ok) return false;
  SetPathName(path_);
  StoreFileTime(path_, false, env);
  if (readOnly) buffer_.SetEditingPrevented(env.settings.preventEditing);
  for (std::int32_t line : marks) buffer_.SetMark(line, true);
  SetModified(false);
  HooksOf(env).TextReplaced(*this);
  HooksOf(env).UpdateTab(*this);
  return true;
}

// ---- Saving through the document

bool CMyEditDoc::DoSave(const std::string& p, bool replace, DocumentEnvironment& env) {
  const std::string before = path_;
  LifecycleSaveHooks hooks(env, env.save.hooks);
  SaveEnvironment save = env.save;
  save.hooks = &hooks;
  save.fileTypeChosenAutomatically = fileTypeAuto_;
  bool ok = kastrell::DoSave(*this, p, replace, save);
  if (ok) {
    readOnlyAttribute_ = false;
    buffer_.SetEditingPrevented(false);
    StoreFileTime(path_, true, env);
    if (path_ != before && fileTypeAuto_ && env.fileTypes) ApplyFileType(env.fileTypes->MatchFileType(path_), env);
    HooksOf(env).UpdateTab(*this);
  }
  // The save may have replaced the file (a new inode): lock what is there now.
  LockFile(path_, env);
  return ok;
}

bool CMyEditDoc::DoFileSave(DocumentEnvironment& env) {
  FileSystem& fs = *CurrentPlatform().files;
  FileInfo info;
  const bool missing = !remote && (path_.empty() || fs.Stat(path_, info) || info.kind == FileKind::Missing);
  if (!remote && (missing || fs.CheckWritable(path_))) return DoSave(std::string(), true, env);
  return DoSave(path_, true, env);
}

// ---- Close

bool CMyEditDoc::SaveModified(DocumentEnvironment& env) {
  if (!IsModified()) return true;
  std::string text = std::string(LoadString(61699));
  std::size_t at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, DisplayName());
  LoadBatch& batch = CurrentLoadBatch();
  std::optional<Answer> answer;
  if (batch.active && batch.closeAnswer) {
    answer = batch.closeAnswer;
  } else {
    if (batch.active) text += LoadString(21704);
    MessageResult r = CurrentPlatform().boxes->Show({text, Buttons::YesNoCancel, Icon::Warning, {}});
    answer = r.answer;
    if (batch.active && r.shift) batch.closeAnswer = r.answer;
  }
  if (*answer == Answer::Cancel) return false;
  if (*answer == Answer::Yes) return DoFileSave(env);
  return true;
}

void CMyEditDoc::OnCloseDocument(DocumentEnvironment& env) {
  DocumentHooks& hooks = HooksOf(env);
  UnlockFile();
  ReleaseFileType(env);
  hooks.WriteMaximized(*this);
  hooks.RemoveTab(*this);
  hooks.DeletePreviewFiles(*this);
  if (!tempCopyPath.empty()) {
    CurrentPlatform().files->Remove(tempCopyPath);
    tempCopyPath.clear();
  }
  if (env.settings.restore && !env.batchRunning && !IsModified() && !path_.empty()) {
    RememberedState s;
    s.path = path_;
    s.caret = hooks.CaretOfFirstView(*this);
    for (std::int32_t line : MarkedLines()) s.markedLines.push_back(line + 1);
    s.encoding = encoding;
    hooks.RememberState(s);
  }
}

// ---- Read-only state and the lock

void CMyEditDoc::SetReadOnly(bool on, const DocumentEnvironment& env) {
  if (readOnlyAttribute_) return;
  readOnly = on;
  buffer_.SetEditingPrevented(on && env.settings.preventEditing);
  HooksOf(env).UpdateTab(*this);
}

void CMyEditDoc::ApplyPreventEditing(bool preventEditing) { buffer_.SetEditingPrevented(readOnly && preventEditing); }

void CMyEditDoc::LockFile(const std::string& p, const DocumentEnvironment& env) {
  if (readOnlyBecauseUnwritable || !env.settings.lockFiles || p.empty() || IsRemote(*this, p, env)) return;
  lock_.reset();
  std::unique_ptr<File> handle;
  if (!CurrentPlatform().files->OpenLocked(p, handle)) lock_ = std::move(handle);
}

// ---- Encoding and line style

bool CMyEditDoc::SetEncoding(std::int32_t codePage, DocumentEnvironment& env) {
  if (buffer_.EditingPrevented() || codePage == encoding) return false;
  encodingBeforeChange = encoding;
  encoding = codePage;
  edits_.SetModified(true);
  HooksOf(env).RefreshStatus(*this);
  return true;
}

bool CMyEditDoc::SetLineSeparatorStyle(LineStyle style, DocumentEnvironment& env, bool asciiTransfer) {
  if (buffer_.EditingPrevented() || style == lineStyle) return false;
  if (remote && asciiTransfer) {
    CurrentPlatform().boxes->Show({FormatString(LoadString(21608), {path_}), Buttons::Ok, Icon::Information, {}});
    return false;
  }
  lineStyle = style;
  edits_.SetModified(true);
  HooksOf(env).RefreshStatus(*this);
  return true;
}

// ---- File type

void CMyEditDoc::ApplyFileType(int type, DocumentEnvironment& env, bool automatic) {
  fileTypeAuto_ = automatic;
  if (!env.fileTypes) return;
  ReleaseFileType(env);
  env.fileTypes->ApplyFileType(*this, type);
  fileType_ = type;
}

void CMyEditDoc::ReleaseFileType(DocumentEnvironment& env) {
  if (fileType_ < 0 || !env.fileTypes) return;
  env.fileTypes->ReleaseFileType(*this, fileType_);
  fileType_ = -1;
}

}  // namespace kastrell
