#include "text/DocumentCommands.h"

#include <charconv>
#include <cstdio>

#include "platform/CodePages.h"
#include "platform/Path.h"
#include "platform/Platform.h"
#include "platform/ProcessLauncher.h"
#include "platform/Strings.h"
#include "platform/Trash.h"
#include "platform/Utf.h"
#include "text/CharTables.h"

namespace kastrell {

namespace {

MessageResult Show(std::string text, Buttons buttons, Icon icon) {
  return CurrentPlatform().boxes->Show({std::move(text), buttons, icon, {}});
}

bool Exists(const std::string& p) {
  FileInfo info;
  return !CurrentPlatform().files->Stat(p, info) && info.kind != FileKind::Missing;
}

// Reloading drops the undo lists: a modified document asks first.
bool ConfirmReload(const CMyEditDoc& doc) {
  if (!doc.IsModified()) return true;
  return Show(FormatString(LoadString(23549), {doc.PathName()}), Buttons::YesNo, Icon::Question).answer ==
         Answer::Yes;
}

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool IEndsWith(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && IEquals(s.substr(s.size() - end.size()), end);
}

std::vector<std::string> g_attachments;

}  // namespace

// ---- Reload

bool ReloadCommand(CMyEditDoc& doc, DocumentEnvironment& env) {
  if (doc.PathName().empty() || !ConfirmReload(doc)) return false;
  return doc.Reload(env, doc.IsModified() ? doc.encodingBeforeChange : doc.encoding);
}

bool ReloadWithEncodingCommand(CMyEditDoc& doc, DocumentEnvironment& env, EncodingChooser& chooser) {
  if (doc.PathName().empty()) return false;
  std::optional<std::int32_t> chosen = chooser.ChooseEncoding(doc.encoding);
  if (!chosen || !ConfirmReload(doc)) return false;
  std::int32_t enc = *chosen == 0 ? CurrentPlatform().codePages->AnsiCodePage() : *chosen;
  return doc.Reload(env, enc);
}

// ---- Delete

bool DeleteFileCommand(CMyEditDoc& doc, DocumentEnvironment& env, Trash& trash, bool permanent) {
  if (doc.PathName().empty()) {
    Show(std::string(LoadString(23460)), Buttons::Ok, Icon::Information);
    return false;
  }
  const std::string p = doc.PathName();
  if (Show(FormatString(LoadString(21520), {p}), Buttons::YesNo, Icon::Question).answer != Answer::Yes) return false;
  if (doc.remote) {
    if (!env.hooks || !env.hooks->DeleteRemoteFile(doc)) return false;
  } else {
    doc.UnlockFile();
    FileError e = permanent ? CurrentPlatform().files->Remove(p) : trash.MoveToTrash(p);
    if (e) {
      Show(FormatString(LoadString(23550), {p}) + "\n\n" + e.message, Buttons::Ok, Icon::Stop);
      doc.LockFile(p, env);
      return false;
    }
    if (Exists(p)) return false;
  }
  if (env.hooks) env.hooks->RemoveFromRecentFiles(p);
  doc.SetModified(false);
  return true;
}

// ---- Properties

std::optional<FileProperties> PropertiesCommand(const CMyEditDoc& doc, const DocumentEnvironment&) {
  FileSystem& fs = *CurrentPlatform().files;
  FileProperties p;
  if (doc.remote || doc.PathName().empty() || fs.Stat(doc.PathName(), p.info) || p.info.kind == FileKind::Missing) {
    Show(std::string(LoadString(23459)), Buttons::Ok, Icon::Information);
    return std::nullopt;
  }
  p.path = doc.PathName();
  p.name = path::FileName(p.path);
  p.folder = path::DirName(p.path);
  p.writable = !fs.CheckWritable(p.path);
  return p;
}

// ---- Statistics

TextStatistics CountTextStatistics(std::u16string_view text, std::int64_t lines, std::u16string_view delimiters) {
  TextStatistics s;
  s.units = std::int64_t(text.size());
  s.lines = lines;
  CodePages& pages = *CurrentPlatform().codePages;
  s.ansiBytes = text.empty() ? 0
                             : std::int64_t(pages.FromUtf16(pages.AnsiCodePage(), text.data(), text.size(), nullptr, 0)
                                                .length);
  bool inWord = false;
  for (char16_t u : text) {
    bool wordUnit = DelimiterKind(u, delimiters) == 0;
    if (wordUnit && !inWord) ++s.words;
    inWord = wordUnit;
  }
  return s;
}

TextStatistics DocumentStatistics(const CMyEditDoc& doc, TextPos start, TextPos end, std::u16string_view delimiters,
                                  bool asDisplayed) {
  const TextBuffer& buf = doc.Buffer();
  std::int64_t lines = buf.LineCount();
  if (start.line == end.line && start.column == end.column) {
    start = {0, 0};
    end = buf.EndPos();
  } else {
    if (end.line < start.line || (end.line == start.line && end.column < start.column)) std::swap(start, end);
    lines = end.line - start.line + 1;
  }
  std::u16string text = buf.GetTextString(start, end, doc.lineStyle, asDisplayed);
  return CountTextStatistics(text, lines, delimiters);
}

std::string WithThousands(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

void ShowStatistics(const TextStatistics& s) {
  Show(FormatString(LoadString(21538), {WithThousands(s.units), WithThousands(s.ansiBytes), WithThousands(s.words),
                                        WithThousands(s.lines)}),
       Buttons::Ok, Icon::Information);
}

// ---- Sum

double SumOfNumbers(std::u16string_view text) {
  double sum = 0;
  std::size_t i = 0;
  auto isNumberUnit = [](char16_t u) { return (u >= u'0' && u <= u'9') || u == u',' || u == u'.'; };
  while (i < text.size()) {
    if (!isNumberUnit(text[i])) {
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < text.size() && isNumberUnit(text[i])) ++i;
    if (i - start >= 50) continue;
    std::string number;
    if (start > 0 && text[start - 1] == u'-') number += '-';
    for (std::size_t k = start; k < i; ++k)
      if (text[k] != u',') number += char(text[k]);
    double value = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc()) sum += value;
  }
  return sum;
}

std::string FormatSum(double sum) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%f", sum);
  std::string_view s = buf;
  if (s.find('.') != std::string_view::npos) {
    while (!s.empty() && s.back() == '0') s.remove_suffix(1);
    if (!s.empty() && s.back() == '.') s.remove_suffix(1);
  }
  return s == "-0" ? std::string("0") : std::string(s);
}

// ---- Open header

std::optional<std::string> FindHeaderPartner(const std::string& p) {
  const std::string name = path::FileName(p);
  const std::string ext = path::Extension(p);
  if (ext.empty()) return std::nullopt;
  const std::string base = p.substr(0, p.size() - ext.size());  // keeps the dot
  std::vector<std::string> candidates;
  if (IEquals(ext, "h") || IEquals(ext, "hpp")) {
    candidates = {base + "c", base + "cpp"};
  } else if (IEquals(ext, "xaml")) {
    candidates = {p + ".cs"};
  } else if (IEndsWith(name, "xaml.cs")) {
    candidates = {p.substr(0, p.size() - 3)};
  } else {
    candidates = {base + "h", base + "hpp"};
  }
  for (const std::string& c : candidates)
    if (Exists(c)) return c;
  return std::nullopt;
}

std::optional<std::string> OpenHeaderCommand(const CMyEditDoc& doc) {
  std::optional<std::string> partner = doc.PathName().empty() ? std::nullopt : FindHeaderPartner(doc.PathName());
  if (!partner) Show(std::string(LoadString(21508)), Buttons::Ok, Icon::Stop);
  return partner;
}

// ---- Mail

bool SendByMailEnabled(ProcessLauncher& launcher) {
  static const bool available = !launcher.FindProgram("xdg-email").empty();
  return available;
}

const std::vector<std::string>& MailAttachments() { return g_attachments; }

void DeleteMailAttachments() {
  for (const std::string& f : g_attachments) CurrentPlatform().files->Remove(f);
  g_attachments.clear();
}

bool SendByMailCommand(const CMyEditDoc& doc, ProcessLauncher& launcher, const std::string& tempDir) {
  ExtractedText all = doc.Buffer().GetAllText(LineStyle::Pc, false);
  if (!all.ok) {
    Show(std::string(LoadString(61842)), Buttons::Ok, Icon::Stop);
    return false;
  }
  std::string body = all.length > 0 ? Utf16ToUtf8(std::u16string_view(all.units.get(), std::size_t(all.length))) : "";
  std::vector<std::string> argv{"xdg-email"};
  if (body.size() < kMailBodyLimit) {
    argv.push_back("--body");
    argv.push_back(body);
  } else {
    FileSystem& fs = *CurrentPlatform().files;
    std::string name = path::FileName(doc.PathName().empty() ? doc.Title() : doc.PathName());
    std::string attachment;
    std::unique_ptr<File> file;
    if (fs.CreateUnique(tempDir, "kastrell-mail-", attachment, file) || file->Write(body.data(), body.size()) ||
        file->Close()) {
      if (!attachment.empty()) fs.Remove(attachment);
      Show(std::string(LoadString(61842)), Buttons::Ok, Icon::Stop);
      return false;
    }
    g_attachments.push_back(attachment);
    argv.push_back("--attach");
    argv.push_back(attachment);
  }
  if (launcher.StartDetached(argv)) {
    Show(std::string(LoadString(61842)), Buttons::Ok, Icon::Stop);
    return false;
  }
  return true;
}

// ---- Multi-document forms

std::optional<LineStyle> PresetLineStyle(const std::vector<CMyEditDoc*>& chosen) {
  if (chosen.size() == 1) return chosen[0]->lineStyle;
  return std::nullopt;
}

std::int32_t PresetEncoding(const std::vector<CMyEditDoc*>& chosen) {
  return chosen.size() == 1 ? chosen[0]->encoding : 0;
}

int SetLineStyleOfDocuments(const std::vector<CMyEditDoc*>& chosen, std::optional<LineStyle> style,
                            DocumentEnvironment& env) {
  int changed = 0;
  if (style)
    for (CMyEditDoc* d : chosen) changed += d->SetLineSeparatorStyle(*style, env);
  return changed;
}

int SetEncodingOfDocuments(const std::vector<CMyEditDoc*>& chosen, std::optional<std::int32_t> encoding,
                           DocumentEnvironment& env) {
  int changed = 0;
  if (encoding) {
    std::int32_t enc = *encoding == 0 ? CurrentPlatform().codePages->AnsiCodePage() : *encoding;
    for (CMyEditDoc* d : chosen) changed += d->SetEncoding(enc, env);
  }
  return changed;
}

void ApplyPreventEditingToAll(DocumentSet& docs, DocumentEnvironment& env, bool preventEditing) {
  env.settings.preventEditing = preventEditing;
  for (CMyEditDoc* d : docs.Documents()) d->ApplyPreventEditing(preventEditing);
}

}  // namespace kastrell
