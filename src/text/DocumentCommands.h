// The commands that act on a document's file or text as a whole: reload,
// delete to the trash, properties, statistics, sum, the header switch, send
// by mail, and the multi-document forms of the encoding and line style
// commands. Each shows its own messages and reports by return value.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "text/CMyEditDoc.h"
#include "text/DocumentEnvironment.h"
#include "text/DocumentSave.h"

namespace kastrell {

class Trash;
class ProcessLauncher;

// ---- Reload (33084) and reload with another encoding (33258). A modified
// document asks first, since the reload empties the undo lists.
bool ReloadCommand(CMyEditDoc& doc, DocumentEnvironment& env);
bool ReloadWithEncodingCommand(CMyEditDoc& doc, DocumentEnvironment& env, EncodingChooser& chooser);

// ---- Delete file (32821). Asks 21520 first (always, and for a permanent
// delete too); moves the file to the trash, or removes it when permanent.
// True when the file is gone: the path left the recent list, the document is
// unmodified and the caller closes it. A failed move keeps the file and says why.
bool DeleteFileCommand(CMyEditDoc& doc, DocumentEnvironment& env, Trash& trash, bool permanent);

// ---- Properties (33274): what the front end shows; nothing (after 23459)
// for a file that is not local.
struct FileProperties {
  std::string path;
  std::string name;
  std::string folder;
  FileInfo info;
  bool writable = false;
};
std::optional<FileProperties> PropertiesCommand(const CMyEditDoc& doc, const DocumentEnvironment& env);

// ---- Statistics (33207)
struct TextStatistics {
  std::int64_t units = 0;      // UTF-16 units, separators included
  std::int64_t ansiBytes = 0;  // the same text in the system ANSI code page
  std::int64_t words = 0;
  std::int64_t lines = 0;
};
// A word is a run of units that are neither blanks nor delimiters (units up
// to U+00FF in `delimiters`; units above are always word units).
TextStatistics CountTextStatistics(std::u16string_view text, std::int64_t lines, std::u16string_view delimiters);
// The selection [start, end) (or the whole text when start == end) with the
// document's separators; asDisplayed counts wrap points as separators.
TextStatistics DocumentStatistics(const CMyEditDoc& doc, TextPos start, TextPos end, std::u16string_view delimiters,
                                  bool asDisplayed = false);
// 1234567 as "1,234,567".
std::string WithThousands(std::int64_t n);
// Shows message 21538 with the four numbers.
void ShowStatistics(const TextStatistics& s);

// ---- Sum (33344)
// Runs of digits, ',' and '.' (shorter than 50 units), negative after a
// directly preceding '-', commas dropped, added as decimal numbers.
double SumOfNumbers(std::u16string_view text);
// "%f" without trailing zeros and then without a trailing '.'.
std::string FormatSum(double sum);

// ---- Open header (32904): the partner file that exists, or nothing after
// message 21508.
std::optional<std::string> FindHeaderPartner(const std::string& path);
std::optional<std::string> OpenHeaderCommand(const CMyEditDoc& doc);

// ---- Send by mail (57612) through xdg-email, run without a shell. The whole
// text (CR LF separators) is the body when under 64 KiB as UTF-8; otherwise
// it is written to a temporary UTF-8 file that is attached and kept until
// DeleteMailAttachments (at exit).
inline constexpr std::size_t kMailBodyLimit = 64 * 1024;
bool SendByMailEnabled(ProcessLauncher& launcher);  // decided once, then kept
bool SendByMailCommand(const CMyEditDoc& doc, ProcessLauncher& launcher, const std::string& tempDir);
const std::vector<std::string>& MailAttachments();
void DeleteMailAttachments();

// ---- Multi-document forms (33333, 33388) over the documents chosen in the
// window list: the dialog's preset, and applying the choice (none: nothing).
std::optional<LineStyle> PresetLineStyle(const std::vector<CMyEditDoc*>& chosen);
std::int32_t PresetEncoding(const std::vector<CMyEditDoc*>& chosen);
int SetLineStyleOfDocuments(const std::vector<CMyEditDoc*>& chosen, std::optional<LineStyle> style,
                            DocumentEnvironment& env);
int SetEncodingOfDocuments(const std::vector<CMyEditDoc*>& chosen, std::optional<std::int32_t> encoding,
                           DocumentEnvironment& env);

// A new "Prevent Editing" value applies to every open document at once.
void ApplyPreventEditingToAll(DocumentSet& docs, DocumentEnvironment& env, bool preventEditing);

}  // namespace kastrell
