// Reading a file into a document: the bytes, the encoding, the line separator
// style, the optional repair of mixed line breaks, and the split into lines.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/LargeBuffer.h"
#include "platform/MessageBoxes.h"
#include "text/CMyEditDoc.h"

namespace kastrell {

// The "Files" settings that loading reads.
struct LoadSettings {
  std::int32_t encoding = 0;         // "Encoding": default for undetected files
  LineStyle pcFormat = LineStyle::Pc;  // "PC format": style of text without breaks
  bool checkInvalidCrLf = false;     // "Check invalid CR/LF"
  bool backupRemote = true;          // "Backup Remote": keep remote cache files
  bool disconnect = false;           // "Options" / "Disconnect" after remote transfers
};

// ---- Per-open encoding override: 0 when unused. The caller of a load sets it
// just around that load (Open dialog choice, reload with encoding, history).
std::int32_t EncodingOverride();
class ScopedEncodingOverride {
 public:
  explicit ScopedEncodingOverride(std::int32_t encoding);
  ~ScopedEncodingOverride();
  ScopedEncodingOverride(const ScopedEncodingOverride&) = delete;
  ScopedEncodingOverride& operator=(const ScopedEncodingOverride&) = delete;

 private:
  std::int32_t previous_;
};

// ---- Batch answers: while an operation works on several files, the questions
// carry a note and an answer given with Shift held is reused for the rest.
struct LoadBatch {
  bool active = false;
  std::optional<Answer> decodeAnswer;     // the "characters may be lost" question
  std::optional<Answer> lineBreakAnswer;  // the "invalid CR/LF" question
  std::optional<Answer> closeAnswer;      // the close-time save question
};
LoadBatch& CurrentLoadBatch();
// Starts a batch for its lifetime; the remembered answers end with it. A
// batch started inside another one has answers of its own and gives the outer
// batch back, answers included, when it ends.
class ScopedLoadBatch {
 public:
  ScopedLoadBatch();
  ~ScopedLoadBatch();
  ScopedLoadBatch(const ScopedLoadBatch&) = delete;
  ScopedLoadBatch& operator=(const ScopedLoadBatch&) = delete;

 private:
  LoadBatch outer_;
};

// The encoding chooser dialog, preset to current. Returns the chosen code page
// (0 for the "ANSI" entry) or nothing when cancelled.
class EncodingChooser {
 public:
  virtual ~EncodingChooser() = default;
  virtual std::optional<std::int32_t> ChooseEncoding(std::int32_t current) = 0;
};

// Status bar feedback while loading; every call defaults to nothing.
class LoadStatus {
 public:
  virtual ~LoadStatus() = default;
  virtual void Progress(const std::string& /*text*/, int /*percent*/) {}
  virtual void ProgressDone() {}
  virtual void SuspendLineCount(bool /*suspended*/) {}
  // Called after a successful load when the document is the active one.
  virtual void Refresh(const CMyEditDoc& /*doc*/) {}
};

// Downloads of remote documents (names "ftp(n):path" or "login@server:path").
class RemoteFiles {
 public:
  virtual ~RemoteFiles() = default;
  virtual bool IsRemotePath(const std::string& path) = 0;
  // Downloads remotePath into the local file cachePath (already created),
  // updating the document's stored remote size and time.
  virtual bool Download(const std::string& remotePath, const std::string& cachePath, CMyEditDoc& doc) = 0;
  virtual void Disconnect(const std::string& remotePath) = 0;
};

struct LoadEnvironment {
  LoadSettings settings;
  EncodingChooser* chooser = nullptr;  // null: the chooser counts as cancelled
  LoadStatus* status = nullptr;
  RemoteFiles* remote = nullptr;       // null: no path is remote
  bool activeDocument = true;
};

// Reads path into doc. displayName is the name used in messages (empty: path).
// On failure the document keeps its previous lines and modified state.
bool LoadFile(CMyEditDoc& doc, const std::string& path, const std::string& displayName,
              const LoadEnvironment& env);

// Decodes bytes (at least size + 3 bytes long) into doc's lines. The block
// is used up: a UTF-16 text stays in it, otherwise it becomes the line array.
bool DecodeText(CMyEditDoc& doc, LargeBuffer bytes, std::size_t size, const std::string& displayName,
                const LoadEnvironment& env);
// The same for a malloc'ed block; ownership passes to the call.
bool DecodeText(CMyEditDoc& doc, char* bytes, std::size_t size, const std::string& displayName,
                const LoadEnvironment& env);

// Allocates a byte buffer of size + 3 bytes with the padding zeroed, as
// DecodeText expects; null when memory ran out.
char* AllocateDecodeBuffer(std::size_t size);

// The most bytes a load takes: 2 GB - 2 (a file of 2^31 - 1 bytes or more is refused).
inline constexpr std::size_t kMaxLoadBytes = 0x7FFFFFFE;

// Reads file to its end into bytes (size + 3 bytes, the padding zeroed, as
// DecodeText expects), whatever size was expected:
// files under /proc report 0, a growing log more than it had. More than limit
// bytes shows the too-large message, a failed read the file error (with
// name), a failed allocation the out-of-memory message; false then.
bool ReadWholeStream(File& file, std::size_t expected, const std::string& name, LargeBuffer& bytes,
                     std::size_t& size, std::size_t limit = kMaxLoadBytes);
// The same into a malloc'ed block (free() it).
bool ReadWholeStream(File& file, std::size_t expected, const std::string& name, char*& bytes, std::size_t& size,
                     std::size_t limit = kMaxLoadBytes);

namespace testing_hooks {
// Decides whether the large blocks of a load may be had: a hook that gives
// null makes the allocation fail (null: no hook).
using ByteAllocator = void* (*)(std::size_t bytes);
void SetLoadAllocator(ByteAllocator alloc);
}  // namespace testing_hooks

}  // namespace kastrell
