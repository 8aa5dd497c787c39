// What the document lifecycle asks of other subsystems, and the settings it
// reads. Each hook defaults to nothing, so a document works on its own (tests,
// the command-line tool) and the workspace, tab strip, tools and file types
// plug in by overriding.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/TextPos.h"

namespace kastrell {

class CMyEditDoc;

// The moments at which user tools registered for a document event run.
enum class DocumentEvent { BeforeOpen = 0, AfterOpen = 1, BeforeSave = 2, AfterSave = 3 };

// "Files" / "Check Mofify", "Reload", "Prevent Editing"; "Options" / "Lock
// Files", "Restore".
struct DocumentSettings {
  bool checkModify = true;
  bool reload = false;
  bool preventEditing = false;
  bool lockFiles = false;
  bool restore = false;
};

// One entry of the restore list: where a closed document's caret was, its
// marked lines (1-based) and its encoding.
struct RememberedState {
  std::string path;
  TextPos caret;
  std::vector<std::int32_t> markedLines;
  std::int32_t encoding = 0;
};

// The seam to the file types: a document is matched to a type when opened and
// when saved under a new name. Apply takes the type's syntax and
// auto-completion references; every Apply is paired with one Release (on a
// type change, a new match after Save As, and on close).
class FileTypeBinding {
 public:
  virtual ~FileTypeBinding() = default;
  virtual int MatchFileType(const std::string& path) = 0;
  virtual void ApplyFileType(CMyEditDoc& doc, int type) = 0;
  virtual void ReleaseFileType(CMyEditDoc& doc, int type) = 0;
};

class DocumentHooks {
 public:
  virtual ~DocumentHooks() = default;
  virtual void RunTools(CMyEditDoc&, DocumentEvent) {}
  // The restore list (looked up by path) and recording into it.
  virtual std::optional<RememberedState> FindRememberedState(const std::string& /*path*/) { return std::nullopt; }
  virtual void RememberState(const RememberedState&) {}
  virtual TextPos CaretOfFirstView(const CMyEditDoc&) { return {}; }
  // Moves the first view's caret once it exists ("LocateCursor").
  virtual void PostCaret(CMyEditDoc&, TextPos) {}
  virtual void AddToRecentFiles(const std::string&) {}
  virtual void RemoveFromRecentFiles(const std::string&) {}
  // Title, tab text or read-only state changed; the tab strip shows it.
  virtual void UpdateTab(CMyEditDoc&) {}
  virtual void RemoveTab(CMyEditDoc&) {}
  // The whole text was replaced (reload): rows, highlighting, folding, views.
  virtual void TextReplaced(CMyEditDoc&) {}
  virtual void RefreshStatus(CMyEditDoc&) {}
  // The status bar shows a short message with the information beep.
  virtual void FlashMessage(const std::string&) {}
  virtual void DeletePreviewFiles(CMyEditDoc&) {}
  virtual void WriteMaximized(CMyEditDoc&) {}
  // Deletes a remote document's file on its server.
  virtual bool DeleteRemoteFile(CMyEditDoc&) { return false; }
};


}  // namespace kastrell
