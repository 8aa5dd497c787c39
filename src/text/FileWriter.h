// Writing a document's text to a file: encoding, line separators, signature,
// and the atomic replacement of the file on disk. Also the names of backups
// and temporary copies.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/LargeBuffer.h"
#include "text/CMyEditDoc.h"
#include "text/FileLoader.h"

namespace kastrell {

// Whether a UTF-8 file starts with the signature EF BB BF; the numbers are
// the stored "BOM" setting.
enum class BomPolicy : std::int32_t {
  WhenNeeded = 0,  // when the text would not be recognised as UTF-8 without it
  Always = 1,
  Never = 2,
  Keep = 3,  // as the file had it when it was loaded
};

// The "Files" settings that saving reads.
struct SaveSettings {
  bool backup = true;                       // "Backup"
  std::string backupDir;                    // "Backup Dir", may hold %VAR% references
  std::string backupExtension = ".bak";     // "Backup Extension"
  bool backupDirname = false;               // "Backup Dirname"
  bool backupDatetime = false;              // "Backup Datetime"
  bool backupRemote = true;                 // "Backup Remote"
  BomPolicy bom = BomPolicy::Keep;          // "BOM"
  bool saveTempFile = false;                // "Save Temp File"
  std::int32_t autoSave = 0;                // "Auto Save", minutes
  std::int32_t autoSaveDec = 0;             // "Auto Save Dec", tenths of a minute
  bool checkModify = true;                  // "Check Mofify"
  bool disconnect = false;                  // "Options" / "Disconnect"
};

struct WriteEnvironment {
  BomPolicy bom = BomPolicy::Keep;
  bool hardBreak = false;              // word wrap on and the file type's "Hard break" on
  EncodingChooser* chooser = nullptr;  // null: the chooser counts as cancelled
  LoadStatus* status = nullptr;        // refreshed when the encoding changed
  bool activeDocument = true;
};

// The largest file a save writes (2^31 - 2 bytes).
constexpr std::uint64_t kMaxEncodedSize = 0x7FFFFFFEull;

// Encoded text: size bytes at the start of block.
struct EncodedText {
  LargeBuffer block;
  std::size_t size = 0;
};
enum class Encoded { Ok, Failed, NoText, OutOfMemory, TooLarge };

// Encodes the text of buf, joined with separator (as displayed: also at row
// breaks), in code page encoding into out. Whole lines are taken out and
// encoded about a million units at a time when the encoder carries no state
// between characters, else in one piece, so no UTF-16 copy of a large text
// is made. usedDefault tells that a unit had no mapping and was written as
// the default character. drain, when given, is called after each piece and
// may write out's bytes elsewhere and set out.size back to 0 (streaming); it
// returns false to stop (Failed). NoText: the pieces could not be taken out.
Encoded EncodeText(const TextBuffer& buf, LineStyle separator, bool asDisplayed, std::int32_t encoding,
                   EncodedText& out, bool& usedDefault, const std::function<bool(EncodedText&)>& drain = {});

// Writes the whole text of doc to path. silent (automatic temporary copies):
// no question and no message of its own, but file errors are still reported.
// The file on disk is replaced by ReplaceFileContents (platform/FileSystem.h):
// on any failure the old file keeps its contents.
bool WriteDocumentFile(CMyEditDoc& doc, const std::string& path, bool silent, const WriteEnvironment& env);

// The file-name part of a local or remote name: after the last '\\', '/' or ':'.
std::string NamePart(const std::string& name);

// The backup directory: "Backup Dir" expanded, without a trailing separator.
std::string BackupDirectory(const SaveSettings& settings);

// The name of a backup in the backup directory. fileName is the source's file
// name, displayPath the name the user knows the file by (a remote form for
// remote files), extension with its leading dot. With "Backup Dirname" the
// subdirectory is created when missing (createDirs).
std::string BackupFileName(const SaveSettings& settings, const std::string& fileName, const std::string& displayPath,
                           const std::string& extension, const LocalTime& now, bool createDirs);

// Copies the file that is about to be replaced to its backup. A failure of a
// local backup never stops a save; the result says whether a backup exists.
bool MakeBackup(const SaveSettings& settings, const std::string& sourceFile, std::string fileName,
                std::string extension, const std::string& displayPath, bool remote, bool interactive);

// The temporary copy of a document: "path.tmp" for a document with a path (or
// the first free "path.N.tmp" when a file of that name that is not this
// document's copy exists); in the backup directory for an untitled one; ""
// when there is none.
std::string TempFileName(const CMyEditDoc& doc, const SaveSettings& settings);

// The automatic-save interval in tenths of a minute (0: no timer).
std::int32_t AutoSaveIntervalTenths(std::int32_t autoSave, std::int32_t autoSaveDec);
// Reads the preferences text "2.3" (at most 9 characters, decimal digits and
// one point) into whole minutes and tenths, clamped to 0 ... 100.
void ParseAutoSaveText(const std::string& text, std::int32_t& autoSave, std::int32_t& autoSaveDec);

}  // namespace kastrell
