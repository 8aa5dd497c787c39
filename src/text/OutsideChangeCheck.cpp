#include "text/OutsideChangeCheck.h"

#include <optional>

#include "platform/Platform.h"
#include "platform/Strings.h"

namespace kastrell {

namespace {

bool g_running = false;

class RunningFlag {
 public:
  RunningFlag() { g_running = true; }
  ~RunningFlag() { g_running = false; }
};

// Shows a Yes/No question, with the batch note when several documents are
// concerned; a Shift answer to a noted question answers all later ones.
Answer Ask(const std::string& text, bool withNote, std::optional<Answer>& remembered) {
  if (remembered) return *remembered;
  std::string shown = text;
  if (withNote) shown += LoadString(21704);
  MessageResult r = CurrentPlatform().boxes->Show({shown, Buttons::YesNo, Icon::Question, {}});
  if (withNote && r.shift) remembered = r.answer;
  return r.answer;
}

}  // namespace

void RunOutsideChangeCheck(DocumentSet& docs, DocumentEnvironment& env) {
  if (g_running || !env.settings.checkModify) return;
  RunningFlag running;

  std::vector<CMyEditDoc*> list = docs.Documents();
  std::vector<CMyEditDoc::FileChange> changes;
  int changed = 0, missing = 0;
  for (CMyEditDoc* doc : list) {
    CMyEditDoc::FileChange c = doc->CheckFileChanged(env);
    changes.push_back(c);
    changed += c == CMyEditDoc::kChanged;
    missing += c == CMyEditDoc::kMissing;
  }

  std::optional<Answer> remembered;
  bool silentReload = false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    CMyEditDoc& doc = *list[i];
    if (changes[i] == CMyEditDoc::kChanged) {
      // A modified document reloads the encoding it was loaded with.
      const std::int32_t enc = doc.IsModified() ? doc.encodingBeforeChange : doc.encoding;
      if (!env.settings.reload || doc.IsModified()) {
        std::string q = FormatString(LoadString(23546), {doc.PathName()});
        if (Ask(q, changed > 1, remembered) == Answer::Yes) doc.Reload(env, enc);
      } else if (doc.Reload(env, enc)) {
        silentReload = true;
      }
    } else if (changes[i] == CMyEditDoc::kMissing && doc.PathName() != doc.lastMissingName) {
      std::string q = FormatString(LoadString(21711), {doc.PathName()});
      if (Ask(q, missing > 1, remembered) == Answer::Yes) {
        if (doc.DoFileSave(env)) doc.lastMissingName.clear();
      } else {
        doc.lastMissingName = doc.PathName();
      }
    }
  }
  if (silentReload && env.hooks) env.hooks->FlashMessage(std::string(LoadString(21620)));
}

}  // namespace kastrell
