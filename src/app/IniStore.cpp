#include "app/IniStore.h"

#include <climits>
#include <cstring>

#include "platform/Memory.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/AnsiText.h"
#include "platform/Utf.h"

namespace kastrell {

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
constexpr std::size_t npos = std::u16string::npos;

bool IsLineBreak(char16_t c) { return c == kCr || c == kLf; }

bool HasAny(std::u16string_view s, std::u16string_view chars) {
  return s.find_first_of(chars) != std::u16string_view::npos;
}

const std::u16string_view kBreaksAndNul(u"\r\n\0", 3);

bool ValidSection(std::u16string_view s) { return !HasAny(s, kBreaksAndNul) && s.find(u']') == s.npos; }
// A key starting with '[' would put a line that reads as a section header.
bool ValidKey(std::u16string_view k) {
  return !HasAny(k, kBreaksAndNul) && k.find(u'=') == k.npos && !k.starts_with(u'[');
}
bool ValidValue(std::u16string_view v) { return !HasAny(v, kBreaksAndNul); }

// Where the text proper starts: after the mark when there is one.
std::size_t TextStart(const std::u16string& t) { return !t.empty() && t[0] == kByteOrderMark ? 1 : 0; }

struct SectionSpan {
  std::size_t open = npos;  // the '['
  std::size_t body = 0;     // right after the ']'
  std::size_t end = 0;      // the next '[' that follows a line feed, or the buffer's end
  bool found() const { return open != npos; }
};

struct EntrySpan {
  std::size_t key = npos;  // first unit of the key (after the line feed)
  std::size_t value = 0;
  std::size_t valueEnd = 0;
  bool found() const { return key != npos; }
};

// Section headers are found only at the text's start or right after a line
// feed. Names compare as full 16-bit units, case-sensitively: for the ASCII
// names the program uses this is the same as comparing on the low byte, and
// it keeps a non-ASCII name that a set wrote findable by the next get.
SectionSpan FindSection(const std::u16string& t, std::u16string_view name) {
  SectionSpan s;
  std::u16string needle;
  needle.reserve(name.size() + 2);
  needle.append(1, u'[').append(name).append(1, u']');
  const std::size_t start = TextStart(t);
  for (std::size_t i = t.find(needle, start); i != npos; i = t.find(needle, i + 1)) {
    if (i != start && t[i - 1] != kLf) continue;
    s.open = i;
    s.body = i + needle.size();
    std::size_t next = t.find(u"\n[", s.body);
    s.end = next == npos ? t.size() : next + 1;
    return s;
  }
  return s;
}

// An entry is a line feed, the key and '=' inside the section. The value runs
// to the next CR (or LF, so that a hand-made file with bare LF line ends
// cannot make one value swallow the lines after it) or to the section's end.
EntrySpan FindEntry(const std::u16string& t, const SectionSpan& s, std::u16string_view key) {
  EntrySpan e;
  std::u16string needle;
  needle.reserve(key.size() + 2);
  needle.append(1, kLf).append(key).append(1, u'=');
  std::size_t lf = std::u16string_view(t).substr(0, s.end).find(needle, s.body);
  if (lf == npos) return e;
  e.key = lf + 1;
  e.value = lf + needle.size();
  e.valueEnd = e.value;
  while (e.valueEnd < s.end && !IsLineBreak(t[e.valueEnd])) ++e.valueEnd;
  return e;
}

EntrySpan Lookup(const IniBuffer* b, std::u16string_view section, std::u16string_view key) {
  if (!b || !ValidSection(section) || !ValidKey(key)) return {};
  SectionSpan s = FindSection(b->text, section);
  return s.found() ? FindEntry(b->text, s, key) : EntrySpan{};
}

std::u16string_view ValueOf(const IniBuffer* b, const EntrySpan& e) {
  return std::u16string_view(b->text).substr(e.value, e.valueEnd - e.value);
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Decodes 2 × (size + 1) hex digits (the data and the terminator) into out;
// false on any other length or any non-hex unit.
bool DecodeHex(std::u16string_view v, std::size_t size, unsigned char* out) {
  if (v.size() != 2 * (size + 1)) return false;
  for (char16_t c : v)
    if (HexDigit(c) < 0) return false;
  for (std::size_t i = 0; i < size; ++i)
    out[i] = static_cast<unsigned char>(HexDigit(v[2 * i]) * 16 + HexDigit(v[2 * i + 1]));
  return true;
}

// Valid UTF-8 decodes to U+FFFD exactly where the input spells U+FFFD itself.
bool DecodeUtf8Strictly(std::string_view bytes, std::u16string& out) {
  out = Utf8ToUtf16(bytes);
  std::size_t spelled = 0;
  for (std::size_t p = bytes.find("\xEF\xBF\xBD"); p != bytes.npos; p = bytes.find("\xEF\xBF\xBD", p + 3)) ++spelled;
  std::size_t produced = 0;
  for (char16_t c : out) produced += c == 0xFFFD;
  return spelled == produced;
}

// Bare CR and bare LF become CR LF.
std::u16string WithCrLf(std::u16string_view in) {
  std::u16string out;
  out.reserve(in.size() + in.size() / 16);
  for (std::size_t i = 0; i < in.size(); ++i) {
    char16_t c = in[i];
    if (c == kCr) {
      out += u"\r\n";
      if (i + 1 < in.size() && in[i + 1] == kLf) ++i;
    } else if (c == kLf) {
      out += u"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

void RemoveZeroUnits(std::u16string& t) { std::erase(t, u'\0'); }

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// The first name among path.bak, path.bak.2 ... path.bak.9 that is free.
std::optional<std::string> FreeBackupName(FileSystem& fs, const std::string& path) {
  for (int i = 1; i <= 9; ++i) {
    std::string name = path;
    name += ".bak";
    if (i > 1) {
      name += '.';
      name += std::to_string(i);
    }
    FileInfo info;
    if (fs.Stat(name, info)) return std::nullopt;
    if (info.kind == FileKind::Missing) return name;
  }
  return std::nullopt;
}

// The older ANSI file of a "_u.ini" name becomes the UTF-16 file, with the
// misspelled options header of old versions corrected. The old file stays.
std::unique_ptr<IniBuffer> Migrate(FileSystem& fs, const std::string& path, const std::string& oldPath) {
  std::string bytes;
  if (ReadWholeFile(fs, oldPath, bytes) || bytes.size() > IniStore::kMaxFileBytes) return nullptr;
  auto b = std::make_unique<IniBuffer>();
  b->text = kByteOrderMark + AnsiToUtf16(bytes);
  RemoveZeroUnits(b->text);
  std::size_t typo = b->text.find(u"[Opions]");
  if (typo != npos) b->text.replace(typo, 8, u"[Options]");
  std::string out = EncodeIniText(b->text);
  // When the new file cannot be written the converted text still serves this run.
  ReplaceFileContents(fs, path, out.data(), out.size());
  return b;
}

std::u16string HexOf(const void* block, std::size_t size) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  const auto* p = static_cast<const unsigned char*>(block);
  std::u16string v;
  v.reserve(2 * size + 2);
  for (std::size_t i = 0; i < size; ++i) {
    v += kHex[p[i] >> 4];
    v += kHex[p[i] & 15];
  }
  v += u"FF";
  return v;
}

// Runs f on a freshly opened file and saves it when f succeeded.
template <class F>
bool EditFile(const std::string& path, F f) {
  std::unique_ptr<IniBuffer> b = IniStore::Open(path);
  if (!b || !f(b.get())) return false;
  return IniStore::Close(std::move(b), path);
}

}  // namespace

std::u16string DecodeIniBytes(std::string_view bytes, bool& eightBit) {
  eightBit = false;
  bool hasMark = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  if (!bytes.empty() && !hasMark && bytes.find('\0') == bytes.npos) {
    eightBit = true;
    std::string_view body = bytes;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    std::u16string text;
    if (!DecodeUtf8Strictly(body, text)) text = AnsiToUtf16(body);
    return kByteOrderMark + WithCrLf(text);
  }
  std::u16string t;
  t.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char16_t u = char16_t(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (u != 0) t += u;
  }
  return t;
}

std::string EncodeIniText(std::u16string_view text) {
  std::string out(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    out[2 * i] = char(text[i] & 0xFF);
    out[2 * i + 1] = char(text[i] >> 8);
  }
  return out;
}

std::unique_ptr<IniBuffer> IniStore::Open(const std::string& path) {
  // Memory that runs out on the way fails the call.
  return GuardAllocation([&]() -> std::unique_ptr<IniBuffer> {
    FileSystem& fs = *CurrentPlatform().files;
    FileInfo info;
    if (fs.Stat(path, info)) return nullptr;
    if (info.kind == FileKind::Missing) {
      if (EndsWith(path, "_u.ini")) {
        std::string oldPath = path.substr(0, path.size() - 6) + ".ini";
        FileInfo oldInfo;
        if (!fs.Stat(oldPath, oldInfo) && oldInfo.kind == FileKind::Regular) {
          if (auto b = Migrate(fs, path, oldPath)) return b;
        }
      }
      auto b = std::make_unique<IniBuffer>();
      b->text.assign(1, kByteOrderMark);
      return b;
    }
    if (info.kind != FileKind::Regular || info.size > kMaxFileBytes) return nullptr;
    std::string bytes;
    if (ReadWholeFile(fs, path, bytes) || bytes.size() > kMaxFileBytes) return nullptr;
    auto b = std::make_unique<IniBuffer>();
    bool eightBit = false;
    b->text = DecodeIniBytes(bytes, eightBit);
    if (eightBit) {
      // A later saving close would replace the hand-edited text with UTF-16, so
      // the original bytes are kept aside first; without a backup, nothing is
      // converted and the file is treated as unreadable.
      std::optional<std::string> backup = FreeBackupName(fs, path);
      if (!backup || ReplaceFileContents(fs, *backup, bytes.data(), bytes.size())) return nullptr;
      std::string out = EncodeIniText(b->text);
      if (ReplaceFileContents(fs, path, out.data(), out.size())) return nullptr;
    }
    return b;
  }, nullptr);
}

bool IniStore::Close(std::unique_ptr<IniBuffer> buffer, const std::string& path) {
  // Memory that runs out on the way fails the call.
  return GuardAllocation([&]() -> bool {
    if (!buffer) return false;
    std::string bytes = EncodeIniText(buffer->text);
    buffer.reset();
    return !ReplaceFileContents(*CurrentPlatform().files, path, bytes.data(), bytes.size());
  }, false);
}

bool IniStore::Close(std::unique_ptr<IniBuffer> buffer) {
  buffer.reset();
  return true;
}

std::optional<std::u16string> IniStore::GetString(const IniBuffer* buffer, std::u16string_view section,
                                                  std::u16string_view key, std::optional<std::u16string_view> def) {
  EntrySpan e = Lookup(buffer, section, key);
  if (e.found()) return std::u16string(ValueOf(buffer, e));
  if (def) return std::u16string(*def);
  return std::nullopt;
}

int IniStore::GetInt(const IniBuffer* buffer, std::u16string_view section, std::u16string_view key, int def) {
  EntrySpan e = Lookup(buffer, section, key);
  if (!e.found()) return def;
  std::u16string_view v = ValueOf(buffer, e);
  std::size_t i = 0;
  while (i < v.size() && (v[i] == u' ' || (v[i] >= u'\t' && v[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) negative = v[i++] == u'-';
  long long n = 0;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  for (; i < v.size() && v[i] >= u'0' && v[i] <= u'9'; ++i) {
    n = n * 10 + (v[i] - u'0');
    if (n > limit) n = limit;
  }
  return static_cast<int>(negative ? -n : n);
}

bool IniStore::GetBinary(const IniBuffer* buffer, std::u16string_view section, std::u16string_view key, void* block,
                         std::size_t size) {
  EntrySpan e = Lookup(buffer, section, key);
  if (!e.found()) return false;
  std::u16string_view v = ValueOf(buffer, e);
  auto* out = static_cast<unsigned char*>(block);
  if (size == kWideFontSize && v.size() == 2 * (kNarrowFontSize + 1)) {
    // A font description of an older version: 28 bytes of metrics, then a
    // 32-byte face name in the ANSI code page instead of 32 wide characters.
    constexpr std::size_t kMetrics = 28, kFace = 32;
    unsigned char narrow[kNarrowFontSize];
    if (!DecodeHex(v, kNarrowFontSize, narrow)) return false;
    std::size_t faceLen = 0;
    while (faceLen < kFace && narrow[kMetrics + faceLen] != 0) ++faceLen;
    std::u16string face = AnsiToUtf16(std::string_view(reinterpret_cast<const char*>(narrow + kMetrics), faceLen));
    if (face.size() > kFace - 1) face.resize(kFace - 1);
    std::memcpy(out, narrow, kMetrics);
    std::memset(out + kMetrics, 0, kWideFontSize - kMetrics);
    for (std::size_t i = 0; i < face.size(); ++i) {
      out[kMetrics + 2 * i] = static_cast<unsigned char>(face[i] & 0xFF);
      out[kMetrics + 2 * i + 1] = static_cast<unsigned char>(face[i] >> 8);
    }
    return true;
  }
  return DecodeHex(v, size, out);
}

bool IniStore::SetString(IniBuffer* buffer, std::u16string_view section, std::u16string_view key,
                         std::u16string_view value) {
  // Memory that runs out on the way fails the call.
  return GuardAllocation([&]() -> bool {
    if (!buffer || !ValidSection(section) || !ValidKey(key) || !ValidValue(value)) return false;
    std::u16string& t = buffer->text;
    SectionSpan s = FindSection(t, section);
    if (s.found()) {
      EntrySpan e = FindEntry(t, s, key);
      if (e.found()) {
        t.replace(e.value, e.valueEnd - e.value, value);
        return true;
      }
      std::size_t at = s.end;
      while (at > s.body && IsLineBreak(t[at - 1])) --at;
      std::u16string line;
      line.reserve(key.size() + value.size() + 3);
      line.append(u"\r\n").append(key).append(u"=").append(value);
      t.insert(at, line);
      return true;
    }
    std::size_t at = t.size();
    const std::size_t start = TextStart(t);
    while (at > start && IsLineBreak(t[at - 1])) --at;
    std::u16string add;
    add.reserve(section.size() + key.size() + value.size() + 8);
    add.append(u"\r\n[").append(section).append(u"]\r\n").append(key).append(u"=").append(value);
    t.insert(at, add);
    return true;
  }, false);
}

bool IniStore::SetInt(IniBuffer* buffer, std::u16string_view section, std::u16string_view key, int value) {
  // Memory that runs out on the way fails the call.
  return GuardAllocation([&]() -> bool {
    std::string digits = std::to_string(value);
    return SetString(buffer, section, key, std::u16string(digits.begin(), digits.end()));
  }, false);
}

bool IniStore::SetBinary(IniBuffer* buffer, std::u16string_view section, std::u16string_view key, const void* block,
                         std::size_t size) {
  // Memory that runs out on the way fails the call.
  return GuardAllocation([&]() -> bool {
    return SetString(buffer, section, key, HexOf(block, size));
  }, false);
}

bool IniStore::DeleteEntry(IniBuffer* buffer, std::u16string_view section, std::u16string_view key) {
  // Memory that runs out on the way fails the call.
  return GuardAllocation([&]() -> bool {
    EntrySpan e = Lookup(buffer, section, key);
    if (!e.found()) return false;
    std::u16string& t = buffer->text;
    std::size_t end = e.valueEnd;
    while (end < t.size() && IsLineBreak(t[end])) ++end;
    t.erase(e.key, end - e.key);
    return true;
  }, false);
}

bool IniStore::DeleteSection(IniBuffer* buffer, std::u16string_view section) {
  // Memory that runs out on the way fails the call.
  return GuardAllocation([&]() -> bool {
    if (!buffer || !ValidSection(section)) return false;
    SectionSpan s = FindSection(buffer->text, section);
    if (!s.found()) return false;
    buffer->text.erase(s.open, s.end - s.open);
    return true;
  }, false);
}

std::optional<std::u16string> IniStore::ReadString(const std::string& path, std::u16string_view section,
                                                   std::u16string_view key, std::optional<std::u16string_view> def) {
  return GetString(Open(path).get(), section, key, def);
}

int IniStore::ReadInt(const std::string& path, std::u16string_view section, std::u16string_view key, int def) {
  return GetInt(Open(path).get(), section, key, def);
}

bool IniStore::ReadBinary(const std::string& path, std::u16string_view section, std::u16string_view key, void* block,
                          std::size_t size) {
  return GetBinary(Open(path).get(), section, key, block, size);
}

bool IniStore::WriteString(const std::string& path, std::u16string_view section, std::u16string_view key,
                           std::u16string_view value) {
  return EditFile(path, [&](IniBuffer* b) { return SetString(b, section, key, value); });
}

bool IniStore::WriteInt(const std::string& path, std::u16string_view section, std::u16string_view key, int value) {
  return EditFile(path, [&](IniBuffer* b) { return SetInt(b, section, key, value); });
}

bool IniStore::WriteBinary(const std::string& path, std::u16string_view section, std::u16string_view key,
                           const void* block, std::size_t size) {
  return EditFile(path, [&](IniBuffer* b) { return SetBinary(b, section, key, block, size); });
}

bool IniStore::Delete(const std::string& path, std::u16string_view section, std::u16string_view key) {
  return EditFile(path, [&](IniBuffer* b) { return DeleteEntry(b, section, key); });
}

}  // namespace kastrell
