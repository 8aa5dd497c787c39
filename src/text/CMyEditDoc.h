// A text document: one file's buffer and the attributes that loading, editing
// and saving share, and its lifecycle: new, open, reload, the outside-change
// test, read-only state, the advisory lock, file types, the close question and
// close. Other subsystems take part through DocumentHooks.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "text/DocumentHooks.h"
#include "text/EditOps.h"
#include "text/TextBuffer.h"

namespace kastrell {

struct DocumentEnvironment;

// The layout and typing values a document takes from its file type when the
// type is applied (lang/FileTypes.h); the view and the editing commands read
// them from here.
struct DocumentTypeValues {
  int tabWidth = 8;
  int indentWidth = 8;
  int margin = 80;
  bool wordWrap = false;
  bool autoIndent = true;
  bool tabIndent = false;
  bool insertSpace = false;
  bool hardBreak = false;
  bool wrapAtColumn = false;
  bool showMarker = true;
  bool trimTrailingSpaces = false;
  bool htmlToolbar = false;
  bool autoCompletion = true;  // starts as the type's "Disable Auto-completion" negated
  char16_t indentOpen = 0;
  char16_t indentClose = 0;
  char16_t endOfStatement = 0;
  std::array<int, 10> columnMarkers{};
};

class CMyEditDoc {
 public:
  CMyEditDoc() = default;
  ~CMyEditDoc();
  CMyEditDoc(const CMyEditDoc&) = delete;
  CMyEditDoc& operator=(const CMyEditDoc&) = delete;

  TextBuffer& Buffer() { return buffer_; }
  const TextBuffer& Buffer() const { return buffer_; }
  // Every party that follows this document's changes registers here.
  DocWatchers& Watchers() { return buffer_.Watchers(); }

  // The file's path ("" for an untitled document) and the name shown in titles.
  const std::string& PathName() const { return path_; }
  // A remote name is kept as given; a local path is made absolute lexically
  // (the current directory put in front, "." parts and doubled separators
  // dropped; ".." kept, since a symbolic link makes folding it by text wrong)
  // and becomes the title. An empty path is ignored.
  void SetPathName(std::string path, bool addToRecent = false, DocumentHooks* hooks = nullptr);
  // The title, with " *" while modified (EditOps keeps the marker).
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  // The file-name part that the tab shows.
  std::string TabText() const;
  // The name questions show: the path, else the title, else "无标题".
  std::string DisplayName() const;

  // ---- Lifecycle
  // An empty document titled `title`; the default file type (0) is applied.
  bool OnNewDocument(const std::string& title, DocumentEnvironment& env);
  // Loads path; on failure the document is as before (a new one is discarded).
  bool OnOpenDocument(const std::string& path, DocumentEnvironment& env);
  // The close question; true when the document may close.
  bool SaveModified(DocumentEnvironment& env);
  // Releases the lock and the file type, deletes temporary copies, records the
  // restore entry. The document is empty and untitled afterwards.
  void OnCloseDocument(DocumentEnvironment& env);
  // Reloads the file with `encoding` forced (0: none), keeping the marked
  // lines that still exist; on failure the text stays.
  bool Reload(DocumentEnvironment& env, std::int32_t encoding);
  // Save through the document: its lock, file type and file stamp follow.
  bool DoFileSave(DocumentEnvironment& env);
  bool DoSave(const std::string& path, bool replace, DocumentEnvironment& env);

  // ---- The outside-change test
  enum FileChange { kUnchanged = 0, kChanged = 1, kMissing = 2 };
  // Compares the file's modification time (nanoseconds), size and inode with
  // those stored at load or save; a missing file clears them, so a file that
  // reappears counts as changed.
  FileChange CheckFileChanged(const DocumentEnvironment& env);
  // Stores the file's stamp (nothing for remote documents); onlyWhenChecking
  // with "Check Mofify" off only clears it.
  void StoreFileTime(const std::string& path, bool onlyWhenChecking, const DocumentEnvironment& env);
  bool HasFileStamp() const { return stamp_.known; }
  std::string lastMissingName;  // the user declined to save this deleted file

  // ---- Read-only state
  // Ignored while the file itself is not writable.
  void SetReadOnly(bool on, const DocumentEnvironment& env);
  bool ReadOnlyAttribute() const { return readOnlyAttribute_; }
  // A new "Prevent Editing" value for this document.
  void ApplyPreventEditing(bool preventEditing);
  // The set-read-only command (33085): toggles; disabled while the file is
  // not writable; checked in read-only state.
  void OnSetReadOnly(const DocumentEnvironment& env) { SetReadOnly(!readOnly, env); }
  bool SetReadOnlyEnabled() const { return !readOnlyAttribute_; }

  // ---- The advisory lock ("Lock Files")
  void LockFile(const std::string& path, const DocumentEnvironment& env);
  void UnlockFile() { lock_.reset(); }
  bool HoldsLock() const { return lock_ != nullptr; }

  // ---- Encoding and line style commands; false when refused.
  bool SetEncoding(std::int32_t codePage, DocumentEnvironment& env);
  // asciiTransfer: a remote document whose account converts line breaks.
  bool SetLineSeparatorStyle(LineStyle style, DocumentEnvironment& env, bool asciiTransfer = false);

  // ---- File type
  int FileType() const { return fileType_; }
  bool FileTypeChosenAutomatically() const { return fileTypeAuto_; }
  // Releases the applied type (if any) and applies `type`.
  void ApplyFileType(int type, DocumentEnvironment& env, bool automatic = true);
  void ReleaseFileType(DocumentEnvironment& env);

  // ---- Marks kept by number (the restore list and reloads)
  std::vector<std::int32_t> MarkedLines() const;  // 0-based

  // ---- Editing, undo and the modified flag (text/EditOps.h)
  EditOps& Edits() { return edits_; }
  const EditOps& Edits() const { return edits_; }
  bool IsModified() const { return edits_.IsModified(); }
  void SetModified(bool modified) { edits_.SetModified(modified); }

  // ---- Set by loading, used by saving
  std::int32_t encoding = 0;        // code page actually used; never 0 after a load
  LineStyle lineStyle = LineStyle::Pc;
  bool utf8Signature = false;       // the file began with EF BB BF
  bool logFile = false;             // the first line is exactly ".LOG"
  bool readOnly = false;
  bool readOnlyBecauseUnwritable = false;  // opened read-only because it could not be written
  std::int64_t lastWriteTimeNs = 0;
  bool mixedLineBreaks = false;     // the loaded text mixed separator styles or held NUL
  std::string remoteCachePath;      // the kept download of a remote document

  // ---- Used by saving
  std::int32_t encodingBeforeChange = 0;  // restored when a Save As fails
  bool saveCancelled = false;       // the user cancelled an encoding question of the last write
  bool remote = false;              // the path is a remote name ("ftp(n):path")
  std::string tempCopyPath;         // the temporary copy automatic saving wrote, "" when none

  // ---- The file type (lang/FileTypes.h)
  int fileType = -1;                // index into the type table; -1 before a type is applied
  bool fileTypeChosen = false;      // picked by the user: kept when the types are matched again
  bool descriptionFile = false;     // a .stx, .acp or .ctl file of the editor itself
  bool htmlScanner = false;         // highlighted with the HTML scanner
  DocumentTypeValues typeValues;
  // The syntax and auto-completion data this document holds references to,
  // by type index, so that they are released exactly as they were acquired.
  std::vector<int> acquiredSyntax;
  std::vector<int> acquiredCompletion;

 private:
  struct FileStamp {
    bool known = false;
    std::int64_t mtimeNs = 0;
    std::uint64_t size = 0, inode = 0, device = 0;
  };
  void ApplyReadOnlyAttribute(bool attribute, const DocumentEnvironment& env);
  void StoreStamp(const FileInfo& info);

  TextBuffer buffer_;
  EditOps edits_{*this};
  std::string path_;
  std::string title_;
  FileStamp stamp_;
  bool readOnlyAttribute_ = false;
  std::unique_ptr<File> lock_;
  int fileType_ = -1;  // -1: none applied
  bool fileTypeAuto_ = true;
};

}  // namespace kastrell
