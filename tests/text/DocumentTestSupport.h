// Shared pieces of the document lifecycle tests: recording hooks, a file-type
// binding that counts its references, and file changes made behind a
// document's back.
#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "text/CMyEditDoc.h"
#include "text/DocumentSave.h"

namespace kastrell::test {

struct RecordingHooks final : DocumentHooks {
  std::vector<std::string> events;
  std::vector<std::string> recent, removedRecent, flashes;
  std::vector<RememberedState> remembered;
  std::optional<RememberedState> stored;
  std::optional<TextPos> postedCaret;
  TextPos caret{0, 0};
  int replaced = 0;

  void RunTools(CMyEditDoc&, DocumentEvent e) override { events.push_back("tools" + std::to_string(int(e))); }
  std::optional<RememberedState> FindRememberedState(const std::string& p) override {
    if (stored && stored->path == p) return stored;
    return std::nullopt;
  }
  void RememberState(const RememberedState& s) override { remembered.push_back(s); }
  TextPos CaretOfFirstView(const CMyEditDoc&) override { return caret; }
  void PostCaret(CMyEditDoc&, TextPos p) override { postedCaret = p; }
  void AddToRecentFiles(const std::string& p) override { recent.push_back(p); }
  void RemoveFromRecentFiles(const std::string& p) override { removedRecent.push_back(p); }
  void TextReplaced(CMyEditDoc&) override { ++replaced; }
  void FlashMessage(const std::string& m) override { flashes.push_back(m); }
};

// Counts the syntax references each type holds, as the file types do.
struct CountingFileTypes final : FileTypeBinding {
  std::map<std::string, int> byExtension{{"c", 2}, {"cpp", 2}, {"h", 2}, {"html", 3}, {"txt", 1}};
  std::map<int, int> held;  // type -> references
  int applies = 0, releases = 0;
  int MatchFileType(const std::string& p) override {
    auto dot = p.rfind('.');
    auto it = dot == std::string::npos ? byExtension.end() : byExtension.find(p.substr(dot + 1));
    return it == byExtension.end() ? 0 : it->second;
  }
  void ApplyFileType(CMyEditDoc&, int t) override {
    ++held[t];
    ++applies;
  }
  void ReleaseFileType(CMyEditDoc&, int t) override {
    --held[t];
    ++releases;
  }
  int Outstanding() const {
    int n = 0;
    for (auto& [t, c] : held) n += c;
    return n;
  }
};

struct ListOfDocuments final : DocumentSet {
  std::vector<CMyEditDoc*> docs;
  std::vector<CMyEditDoc*> Documents() override { return docs; }
  CMyEditDoc* Active() override { return docs.empty() ? nullptr : docs[0]; }
  void Activate(CMyEditDoc*) override {}
};

struct SamePathDialog final : SaveAsDialog {
  std::string path;  // "" answers with the proposal's own name in its folder
  int asked = 0;
  std::optional<SaveAsChoice> AskSaveAs(const SaveAsProposal& p) override {
    ++asked;
    return SaveAsChoice{path.empty() ? p.initialDirectory + "/" + p.fileName : path, p.encoding};
  }
};

// Sets a file's modification time (touch -d).
inline void SetMtime(const std::string& p, std::int64_t seconds, long nanos = 0) {
  struct timespec t[2] = {{seconds, nanos}, {seconds, nanos}};
  ::utimensat(AT_FDCWD, p.c_str(), t, 0);
}
inline struct timespec MtimeOf(const std::string& p) {
  struct stat st{};
  ::stat(p.c_str(), &st);
  return st.st_mtim;
}

// Runs fn as the unprivileged user "nobody" in a child process when the test
// runs as root (permissions do not bind root), else in this process. Returns
// fn's result, or -1 when the child could not drop its privileges.
inline int RunUnprivileged(const std::function<int()>& fn) {
  if (::geteuid() != 0) return fn();
  pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(255);
    ::_exit(fn());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 255) return -1;
  return WEXITSTATUS(status);
}

}  // namespace kastrell::test
