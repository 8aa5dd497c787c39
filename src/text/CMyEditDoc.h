// A text document: one file's buffer and the attributes that loading, editing
// and saving share. The document lifecycle (open, reload, close, outside
// changes) builds on this; here are the parts the text layer needs.
#pragma once
#include <cstdint>
#include <string>

#include "text/EditOps.h"
#include "text/TextBuffer.h"

namespace kastrell {

class CMyEditDoc {
 public:
  CMyEditDoc() = default;
  CMyEditDoc(const CMyEditDoc&) = delete;
  CMyEditDoc& operator=(const CMyEditDoc&) = delete;

  TextBuffer& Buffer() { return buffer_; }
  const TextBuffer& Buffer() const { return buffer_; }

  // The file's path ("" for an untitled document) and the name shown in titles.
  const std::string& PathName() const { return path_; }
  void SetPathName(std::string path) { path_ = std::move(path); }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  // ---- Editing, undo and the modified flag (text/EditOps.h)
  EditOps& Edits() { return edits_; }
  const EditOps& Edits() const { return edits_; }
  bool IsModified() const { return edits_.IsModified(); }
  void SetModified(bool modified) { edits_.SetModified(modified); }

  // ---- Set by loading, used by saving
  std::int32_t encoding = 0;        // code page actually used; never 0 after a load
  std::int32_t lineStyle = kLineStylePc;
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

 private:
  TextBuffer buffer_;
  EditOps edits_{*this};
  std::string path_;
  std::string title_;
};

}  // namespace kastrell
