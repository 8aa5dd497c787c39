#include "text/FileLoader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Busy.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/LargeBuffer.h"
#include "platform/Platform.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"
#include "platform/Utf.h"
#include "text/Encoding.h"
#include "text/FileErrors.h"
#include "text/UnitScan.h"

namespace kastrell {

namespace {

std::int32_t g_override = 0;
LoadBatch g_batch;
testing_hooks::ByteAllocator g_alloc = nullptr;

// Every large block of a load comes from here (the tests' hook may refuse it).
bool AllocateBlock(LargeBuffer& block, std::size_t bytes) {
  return AllocationAllowed(g_alloc, bytes) && block.Allocate(bytes);
}

// A number of megabytes with "," between groups of three digits.
std::string Megabytes(std::uint64_t bytes) {
  std::string digits = std::to_string(bytes / (1024 * 1024));
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// Asks one of the loading questions, with the batch note and the remembered
// Shift answer while a batch runs.
Answer AskBatched(std::string text, std::optional<Answer>& remembered) {
  if (g_batch.active && remembered) return *remembered;
  if (g_batch.active) text += LoadString(21704);
  MessageResult r = CurrentPlatform().boxes->Show({text, Buttons::YesNoCancel, Icon::Question, {}});
  if (g_batch.active && r.shift) remembered = r.answer;
  return r.answer;
}

// Units of a UTF-16 file used in place: big-endian ones are swapped.
void SwapUnits(char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) std::swap(bytes[2 * i], bytes[2 * i + 1]);
}

bool IsUtf16(std::int32_t cp) { return cp == kEncodingUtf16Le || cp == kEncodingUtf16Be; }

bool AllAscii(const char* bytes, std::size_t size) { return AsciiPrefixLength(bytes, size) == size; }

// Whether code page cp decodes every byte below 0x80 to the same unit, so
// that ASCII text decoded once as UTF-8 is already decoded in cp too.
bool AsciiTransparent(CodePages& pages, std::int32_t cp) {
  if (cp == kEncodingUtf8) return true;
  char ascii[128];
  char16_t units[128];
  for (int i = 0; i < 128; ++i) ascii[i] = char(i);
  ConvertResult r = pages.ToUtf16(cp, ascii, 128, DecodeMode::Strict, units, 128);
  if (!r.ok || r.length != 128) return false;
  for (int i = 0; i < 128; ++i)
    if (units[i] != char16_t(i)) return false;
  return true;
}

// Converts size bytes into UTF-16 units in out (count + 1 units, the last one
// 0); a block already in out is used when it is large enough. Returns false
// when the conversion reports invalid input (or the code page cannot be
// converted); outOfMemory tells a failed allocation.
bool Convert(std::int32_t cp, const char* bytes, std::size_t size, DecodeMode mode, LargeBuffer& out,
             std::size_t& count, bool& outOfMemory) {
  CodePages& pages = *CurrentPlatform().codePages;
  outOfMemory = false;
  // Most code pages need at most one unit per byte: try that first, so a
  // large file is converted in one pass.
  std::size_t capacity = size + 1;
  if (out.Size() < capacity * sizeof(char16_t) && !AllocateBlock(out, capacity * sizeof(char16_t))) {
    outOfMemory = true;
    return false;
  }
  ConvertResult r = pages.ToUtf16(cp, bytes, size, mode, out.As<char16_t>(), capacity - 1);
  if (!r.ok && r.overflow) {
    ConvertResult need = pages.ToUtf16(cp, bytes, size, mode, nullptr, 0);
    if (!need.ok) return false;
    capacity = need.length + 1;
    if (!AllocateBlock(out, capacity * sizeof(char16_t))) {
      outOfMemory = true;
      return false;
    }
    r = pages.ToUtf16(cp, bytes, size, mode, out.As<char16_t>(), capacity - 1);
  }
  if (!r.ok) return false;
  out.As<char16_t>()[r.length] = 0;
  count = r.length;
  return true;
}

}  // namespace

char* AllocateDecodeBuffer(std::size_t size) {
  if (!AllocationAllowed(g_alloc, size + 3)) return nullptr;
  auto* p = static_cast<char*>(std::malloc(size + 3));
  if (p) std::memset(p + size, 0, 3);
  return p;
}

bool ReadWholeStream(File& file, std::size_t expected, const std::string& name, LargeBuffer& bytes,
                     std::size_t& size, std::size_t limit) {
  bytes.Release();
  size = 0;
  // One read fills a buffer of the expected size; a stream that goes on is
  // grown by half again, at least 64 KB, never past the limit.
  std::size_t capacity = std::min(expected, limit);
  if (capacity == 0) capacity = std::min<std::size_t>(65536, limit);
  if (!AllocateBlock(bytes, capacity + 3)) {
    ReportOutOfMemory();
    return false;
  }
  std::size_t total = 0;
  char probe[65536];
  for (;;) {
    std::size_t got = 0;
    if (total < capacity) {
      if (FileError e = file.Read(bytes.Data() + total, capacity - total, got)) {
        ReportFileError(name, e);
        return false;
      }
      if (got == 0) break;
      total += got;
      continue;
    }
    // The buffer is full: only a stream that goes on makes it grow.
    if (FileError e = file.Read(probe, sizeof probe, got)) {
      ReportFileError(name, e);
      return false;
    }
    if (got == 0) break;
    if (got > limit - total) {
      CurrentPlatform().boxes->Show({std::string(LoadString(21696)), Buttons::Ok, Icon::Stop, {}});
      return false;
    }
    std::size_t grown = std::min(limit, std::max(total + got, capacity + std::max<std::size_t>(capacity / 2, 65536)));
    // A large block grows with mremap: its pages move, nothing is copied.
    if (!AllocationAllowed(g_alloc, grown + 3) || !bytes.Resize(grown + 3)) {
      bytes.Release();
      ReportOutOfMemory();
      return false;
    }
    std::memcpy(bytes.Data() + total, probe, got);
    capacity = grown;
    total += got;
  }
  std::memset(bytes.Data() + total, 0, 3);
  size = total;
  return true;
}

bool ReadWholeStream(File& file, std::size_t expected, const std::string& name, char*& bytes, std::size_t& size,
                     std::size_t limit) {
  bytes = nullptr;
  LargeBuffer block;
  if (!ReadWholeStream(file, expected, name, block, size, limit)) return false;
  bytes = AllocateDecodeBuffer(size);
  if (!bytes) {
    ReportOutOfMemory();
    return false;
  }
  std::memcpy(bytes, block.Data(), size);
  return true;
}

namespace testing_hooks {
void SetLoadAllocator(ByteAllocator alloc) { g_alloc = alloc; }
}  // namespace testing_hooks

std::int32_t EncodingOverride() { return g_override; }
ScopedEncodingOverride::ScopedEncodingOverride(std::int32_t encoding) : previous_(g_override) {
  g_override = encoding;
}
ScopedEncodingOverride::~ScopedEncodingOverride() { g_override = previous_; }

LoadBatch& CurrentLoadBatch() { return g_batch; }
ScopedLoadBatch::ScopedLoadBatch() : outer_(g_batch) { g_batch = LoadBatch{true, {}, {}, {}}; }
ScopedLoadBatch::~ScopedLoadBatch() { g_batch = outer_; }

bool DecodeText(CMyEditDoc& doc, char* rawBytes, std::size_t size, const std::string& displayName,
                const LoadEnvironment& env) {
  LargeBuffer bytes;
  bytes.AdoptMalloc(rawBytes, size + 3);
  return DecodeText(doc, std::move(bytes), size, displayName, env);
}

bool DecodeText(CMyEditDoc& doc, LargeBuffer bytes, std::size_t size, const std::string& displayName,
                const LoadEnvironment& env) {
  Platform& platform = CurrentPlatform();
  CodePages& pages = *platform.codePages;
  const std::int32_t ansi = pages.AnsiCodePage();
  const LoadSettings& settings = env.settings;

  std::int32_t encoding = ansi;
  // The decoded text: either the byte block itself (UTF-16) or a new block.
  LargeBuffer unitsBlock;
  char16_t* units = nullptr;
  std::size_t count = 0;

  auto useUtf16InPlace = [&](std::int32_t cp) {
    encoding = cp;
    count = size / 2;
    if (cp == kEncodingUtf16Be) SwapUnits(bytes.Data(), count);
    unitsBlock = std::move(bytes);
    units = unitsBlock.As<char16_t>();
    units[count] = 0;  // the buffer has room: size + 3 bytes
  };
  const auto* b = bytes.As<const unsigned char>();
  const bool hasUtf8Bom = size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;

  bool detectedUtf16 = false;
  // Text that decodes strictly as UTF-8 with at least one multi-byte sequence
  // is exactly what the UTF-8 detection accepts, so the first pass over the
  // bytes both detects and decodes; pure ASCII comes out of it decoded too.
  bool decodedAsUtf8 = false, asciiOnly = false;
  std::size_t utf8Count = 0;
  auto tryUtf8 = [&] {
    if (size == 0 || !pages.IsValidCodePage(kEncodingUtf8)) return true;
    if (!AllocateBlock(unitsBlock, (size + 1) * sizeof(char16_t))) return false;
    if (Utf8ToUtf16(bytes.Data(), size, unitsBlock.As<char16_t>(), true, utf8Count)) {
      asciiOnly = utf8Count == size && !hasUtf8Bom;
      decodedAsUtf8 = !asciiOnly;
    }
    return true;
  };
  if (std::int32_t forced = EncodingOverride(); forced != 0) {
    encoding = forced;
  } else if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
    encoding = kEncodingUtf16Le;
    detectedUtf16 = true;
  } else if (size >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
    encoding = kEncodingUtf16Be;
    detectedUtf16 = true;
  } else if (!tryUtf8()) {
    ReportOutOfMemory();
    return false;
  } else if (decodedAsUtf8) {
    encoding = kEncodingUtf8;
    doc.utf8Signature = hasUtf8Bom;
  } else if (Utf8Detection u = asciiOnly ? Utf8Detection{}
                                         : DetectUtf8(bytes.Data(), size, pages.IsValidCodePage(kEncodingUtf8));
             u.isUtf8) {
    encoding = kEncodingUtf8;
    doc.utf8Signature = u.hasSignature;
  } else {
    std::int32_t setting = settings.encoding;
    if (setting == 0)
      encoding = ansi;
    else if (setting == kEncodingUtf8)
      encoding = asciiOnly || AllAscii(bytes.Data(), size) ? kEncodingUtf8 : ansi;
    else
      encoding = setting;
  }
  if (!detectedUtf16) {
    // A code page that cannot be converted here (a stale setting, say) falls
    // back to the system code page rather than failing every load.
    if (!IsUtf16(encoding) && !pages.IsValidCodePage(encoding)) encoding = ansi;
    if (encoding == kEncodingUtf8 && hasUtf8Bom) doc.utf8Signature = true;  // a save keeps the signature
  }

  // Strict unless the encoding arrived at is UTF-8; a code page chosen after
  // the question is decoded with the same strictness. UTF-16 is strict about
  // an odd last byte, which has no unit to go into.
  DecodeMode current = encoding == kEncodingUtf8 ? DecodeMode::Lenient : DecodeMode::Strict;
  // The code pages that failed: choosing one of them again would only bring
  // the same question back, so it ends the load as cancelled.
  std::vector<std::int32_t> failed;
  // The first pass decoded the text already: as UTF-8, or as ASCII that this
  // code page reads the same way.
  const bool decoded = !IsUtf16(encoding) && (decodedAsUtf8 || (asciiOnly && AsciiTransparent(pages, encoding)));
  if (decoded) {
    count = utf8Count;
    units = unitsBlock.As<char16_t>();
    units[count] = 0;
  }
  while (!decoded) {
    bool outOfMemory = false;
    if (IsUtf16(encoding)) {
      if (size % 2 == 0 || current == DecodeMode::Lenient) {
        useUtf16InPlace(encoding);
        break;
      }
    } else if (size == 0) {
      if (!AllocateBlock(unitsBlock, sizeof(char16_t))) {
        ReportOutOfMemory();
        return false;
      }
      unitsBlock.As<char16_t>()[0] = 0;
      count = 0;
      units = unitsBlock.As<char16_t>();
      break;
    } else if (Convert(encoding, bytes.Data(), size, current, unitsBlock, count, outOfMemory)) {
      // The bytes are no longer needed; their block becomes the line array.
      units = unitsBlock.As<char16_t>();
      break;
    } else if (outOfMemory || current == DecodeMode::Lenient) {
      ReportOutOfMemory();
      return false;
    }
    failed.push_back(encoding);
    std::string question = FormatString(LoadString(21685), {displayName});
    Answer a = AskBatched(question, g_batch.decodeAnswer);
    if (a == Answer::No) {
      current = DecodeMode::Lenient;
      continue;
    }
    if (a != Answer::Yes) return false;
    std::optional<std::int32_t> chosen = env.chooser ? env.chooser->ChooseEncoding(encoding) : std::nullopt;
    if (!chosen) return false;
    encoding = *chosen == 0 ? ansi : *chosen;
    if (std::find(failed.begin(), failed.end(), encoding) != failed.end()) return false;
  }

  // A signature that came through a forced encoding never reaches the text.
  if (count > 0 && units[0] == 0xFEFF) {
    ++units;
    --count;
  }

  LoadStatus noStatus;
  LoadStatus& status = env.status ? *env.status : noStatus;
  const std::string progressText(LoadString(24448));
  status.Progress(progressText, 0);
  status.SuspendLineCount(true);
  auto endStatus = [&] {
    status.ProgressDone();
    status.SuspendLineCount(false);
  };

  LineStyle style = settings.pcFormat;
  bool mixed = false;
  TextBuffer fresh;
  if (count > 0) {
    LineSeparatorDetection d = DetectLineSeparator(units, count, settings.pcFormat);
    style = d.style;
    mixed = d.mixed;
    if (settings.checkInvalidCrLf && mixed) {
      std::string question(LoadString(21632));
      if (!displayName.empty()) question += "\r\n\r\n" + displayName;
      Answer a = AskBatched(question, g_batch.lineBreakAnswer);
      if (a == Answer::Cancel) {
        endStatus();
        return false;
      }
      if (a == Answer::Yes) {
        RepairResult repaired;
        if (RepairLineBreaks(units, count, repaired)) {
          unitsBlock.AdoptMalloc(reinterpret_cast<char*>(repaired.units), (repaired.count + 1) * sizeof(char16_t));
          units = repaired.units;
          count = repaired.count;
        } else if (repaired.outOfMemory) {
          endStatus();
          ReportOutOfMemory();
          return false;
        }
        style = LineStyle::Pc;
        d = DetectLineSeparator(units, count, settings.pcFormat);
        mixed = false;
      }
    }
    const std::int64_t breaks = BreaksOfStyle(d, style);
    // Reserve the exact line count so the array is allocated once, in the
    // block of the bytes when they were converted: its pages are faulted in.
    bool reserved = fresh.SetLineCount(0) && fresh.ReserveLineCapacity(breaks + 1, bytes);
    bytes.Release();
    if (!reserved) {
      endStatus();
      ReportOutOfMemory();
      return false;
    }
    // Each line points into the decoded block; its separator's first unit
    // becomes the line's terminating 0.
    const char16_t sepUnit = style == LineStyle::Unix ? u'\n' : u'\r';
    std::size_t lineStart = 0;
    // Lines go into the buffer 202 at a time, and the progress moves with each batch.
    constexpr std::int32_t kBatch = 202;
    LineRecord batch[kBatch];
    std::int32_t pending = 0;
    auto flush = [&] {
      bool done = fresh.InsertLines(fresh.LineCount(), batch, pending);
      pending = 0;
      return done;
    };
    auto append = [&](std::size_t end) {
      LineRecord& rec = batch[pending++];
      rec = LineRecord();
      rec.text = units + lineStart;
      rec.length = std::int32_t(end - lineStart + 1);
      rec.capacity = rec.length;
      rec.storeInBlock = 1;
      units[end] = 0;
      if (pending < kBatch) return true;
      if (!flush()) return false;
      status.Progress(progressText, int(std::min<std::uint64_t>(99, std::uint64_t(end) * 100 / count)));
      return true;
    };
    bool ok = true;
    for (std::size_t i = 0; i < count && ok; ++i) {
      i += FindUnit(units + i, count - i, sepUnit);
      if (i >= count) break;
      if (style == LineStyle::Pc) {
        if (i + 1 >= count || units[i + 1] != u'\n') continue;
        ok = append(i);
        lineStart = i + 2;
        ++i;
      } else {
        ok = append(i);
        lineStart = i + 1;
      }
    }
    if (ok) ok = append(count);  // the last line, empty after a final separator
    if (ok && pending > 0) ok = flush();
    if (!ok) {
      endStatus();
      ReportOutOfMemory();
      return false;
    }
    fresh.AdoptStoreBlock(std::make_shared<LargeBuffer>(std::move(unitsBlock)));
  }

  doc.Buffer().SwapLines(fresh);
  endStatus();
  doc.encoding = encoding;
  doc.lineStyle = style;
  doc.mixedLineBreaks = mixed;
  if (env.activeDocument) status.Refresh(doc);
  return true;
}

bool LoadFile(CMyEditDoc& doc, const std::string& path, const std::string& displayName,
              const LoadEnvironment& env) {
  // Memory that runs out on the way is reported and fails the call.
  return ReportingShortage([&]() -> bool {
    ScopedModalOperation busy;
    Platform& platform = CurrentPlatform();
    FileSystem& fs = *platform.files;
    const std::string& name = displayName.empty() ? path : displayName;

    if (env.remote && env.remote->IsRemotePath(path)) {
      std::string cache;
      std::unique_ptr<File> file;
      // An exclusive, unpredictable name: nobody can plant a file or link there.
      if (FileError e = fs.CreateUnique(fs.TempDirectory(), "rmt", cache, file)) {
        ReportFileError(fs.TempDirectory(), e);
        return false;
      }
      file->Close();
      bool ok = env.remote->Download(path, cache, doc) && LoadFile(doc, cache, path, env);
      if (!env.settings.backupRemote) {
        fs.Remove(cache);
        doc.remoteCachePath.clear();
      } else {
        doc.remoteCachePath = cache;
      }
      if (env.settings.disconnect) env.remote->Disconnect(path);
      return ok;
    }

    FileInfo info;
    if (FileError e = fs.Stat(path, info)) {
      ReportFileError(name, e);
      return false;
    }
    if (info.kind == FileKind::Directory || info.kind == FileKind::Other) {
      // Reading a FIFO or a device would block or never end.
      ReportFileError(name, FileError{EINVAL, std::string(LoadString(24450))});
      return false;
    }

    bool unwritable = static_cast<bool>(fs.CheckWritable(path));
    std::unique_ptr<File> file;
    if (FileError e = fs.OpenRead(path, file)) {
      ReportFileError(name, e);
      return false;
    }
    if (info.kind == FileKind::Missing) fs.Stat(path, info);  // created since the first look
    if (info.size >= 0x7FFFFFFFull) {
      platform.boxes->Show({std::string(LoadString(21696)), Buttons::Ok, Icon::Stop, {}});
      return false;
    }
    std::uint64_t available = platform.system->AvailableMemory();
    if (info.size > 0x2000000ull && info.size > available / 4) {
      std::string text =
          FormatString(LoadString(21655), {Megabytes(available), Megabytes(available / 4), Megabytes(info.size)});
      MessageResult r = platform.boxes->Show({text, Buttons::YesNo, Icon::Warning, {}});
      if (r.answer != Answer::Yes) return false;
    }

    // The size is only a hint: the file is read to its end.
    LargeBuffer bytes;
    std::size_t total = 0;
    if (!ReadWholeStream(*file, std::size_t(info.size), name, bytes, total)) return false;
    file->Close();

    const bool wasModified = doc.IsModified();
    doc.SetModified(true);
    if (!DecodeText(doc, std::move(bytes), total, name, env)) {
      doc.SetModified(wasModified);
      return false;
    }
    if (unwritable) {
      doc.readOnly = true;
      doc.readOnlyBecauseUnwritable = true;
    }
    const TextBuffer& buf = doc.Buffer();
    doc.logFile = buf.LineView(0) == u".LOG";
    doc.lastWriteTimeNs = info.mtimeNs;
    // A loaded or reloaded text starts a new history, unmodified.
    doc.Edits().ResetHistory();
    return true;
  });
}

}  // namespace kastrell
