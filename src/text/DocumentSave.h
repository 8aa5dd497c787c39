// The Save, Save As, Save All and automatic-save flows of a document.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "text/FileWriter.h"

namespace kastrell {

// What saving asks of other subsystems; every call defaults to nothing.
class SaveHooks {
 public:
  virtual ~SaveHooks() = default;
  virtual void BeforeSaveTools(CMyEditDoc&) {}
  virtual void AfterSaveTools(CMyEditDoc&) {}
  virtual void ReleaseLock(CMyEditDoc&) {}
  virtual void TakeLock(CMyEditDoc&) {}
  // The file type was chosen automatically: choose it again for the new name.
  virtual void ChooseFileTypeAgain(CMyEditDoc&) {}
  // Trailing blanks were trimmed before a save: every view refreshes.
  virtual void RefreshViews(CMyEditDoc&) {}
  virtual void AddToRecentFiles(const std::string&) {}
  // Remote documents: upload the written cache file, close the connection.
  virtual bool Upload(CMyEditDoc&, const std::string& /*cachePath*/) { return false; }
  virtual void Disconnect(CMyEditDoc&) {}
};

struct SaveAsProposal {
  std::string fileName;
  std::string initialDirectory;
  std::int32_t encoding = 0;
};
struct SaveAsChoice {
  std::string path;
  std::int32_t encoding = 0;
};
// The Save As file dialog; nothing when cancelled.
class SaveAsDialog {
 public:
  virtual ~SaveAsDialog() = default;
  virtual std::optional<SaveAsChoice> AskSaveAs(const SaveAsProposal& proposal) = 0;
};

struct SaveEnvironment {
  SaveSettings settings;
  WriteEnvironment write;
  bool trimTrailingSpaces = false;       // the file type's "Trim Trailing Spaces"
  bool fileTypeChosenAutomatically = false;
  SaveHooks* hooks = nullptr;
  SaveAsDialog* dialog = nullptr;        // null: Save As counts as cancelled
  // false (automatic saving): never ask; a save that would need a question
  // fails quietly instead.
  bool interactive = true;
};

bool SaveDocument(CMyEditDoc& doc, const std::string& path, const SaveEnvironment& env);
// Removes the run of white space (as iswspace sees it) at the end of every
// line, recorded as one undo step; returns whether any line changed.
bool TrimTrailingBlanks(CMyEditDoc& doc);
// path empty, or a read-only document: Save As first. replace: the document
// takes the new path.
bool DoSave(CMyEditDoc& doc, const std::string& path, bool replace, const SaveEnvironment& env);
bool DoFileSave(CMyEditDoc& doc, const SaveEnvironment& env);

// The open documents, for Save All and automatic saving.
class DocumentSet {
 public:
  virtual ~DocumentSet() = default;
  virtual std::vector<CMyEditDoc*> Documents() = 0;
  virtual CMyEditDoc* Active() = 0;
  virtual void Activate(CMyEditDoc*) = 0;
};

void SaveAll(DocumentSet& docs, bool includeUntitled, const SaveEnvironment& env);
// The automatic-save timer: temporary copies or a quiet Save All. Skipped
// while a load, a save or a question is in progress.
void AutoSaveTick(DocumentSet& docs, const SaveEnvironment& env);

}  // namespace kastrell
