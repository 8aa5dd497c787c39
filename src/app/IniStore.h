// Settings storage: a whole INI file held in memory as UTF-16 (IniBuffer) and
// the operations that read and change it (IniStore). There is no cache: every
// Open reads the file again and every saving Close rewrites it whole, through
// a temporary file renamed over the old one.
//
// Typical use is a batch:
//   auto ini = IniStore::Open(path);                 // null: exists, unreadable
//   int enc = IniStore::GetInt(ini.get(), u"Files", u"Encoding", 0);
//   IniStore::SetInt(ini.get(), u"Files", u"Encoding", 65001);
//   bool saved = IniStore::Close(std::move(ini), path);  // or Close(std::move(ini)) to discard
// Every operation accepts a null buffer: gets give their defaults, sets and
// deletes do nothing and return false.
//
// Names and values that would break the line grammar are refused, not escaped:
// a section name containing CR, LF, NUL or ']', a key containing CR, LF, NUL or
// '=' or starting with '[', and a value containing CR, LF or NUL make a set return false and leave
// the buffer unchanged (gets with such names give the default).
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kastrell {

inline constexpr char16_t kByteOrderMark = 0xFEFF;

// The text of one INI file: normally U+FEFF, then sections of CR LF lines.
// text.size() is the buffer's length in units, the mark included.
struct IniBuffer {
  std::u16string text;
};

class IniStore {
 public:
  // Reads the file. A missing file gives a buffer holding only the mark (after
  // migrating an older ANSI "*.ini" file when the name ends in "_u.ini"); a
  // file that exists but cannot be read gives null.
  static std::unique_ptr<IniBuffer> Open(const std::string& path);
  // Frees the buffer. With a path, first replaces that file with the buffer
  // (UTF-16 LE, exactly the units held); the result is whether the file was
  // written. Without a path nothing is written and the result is true.
  static bool Close(std::unique_ptr<IniBuffer> buffer, const std::string& path);
  static bool Close(std::unique_ptr<IniBuffer> buffer);

  // The value, or def when the entry is missing (nullopt when def is nullopt).
  static std::optional<std::u16string> GetString(const IniBuffer* buffer, std::u16string_view section,
                                                 std::u16string_view key,
                                                 std::optional<std::u16string_view> def = std::nullopt);
  // The value as a decimal integer: leading blanks and a sign allowed, parsing
  // stops at the first non-digit, no digit gives 0, overflow saturates. def
  // when the entry is missing.
  static int GetInt(const IniBuffer* buffer, std::u16string_view section, std::u16string_view key, int def);
  // Fills block with size bytes when the stored value is exactly size bytes of
  // hex plus the "FF" terminator; otherwise returns false and leaves block
  // untouched. A 92-byte wide font description also accepts a stored 60-byte
  // narrow one, whose face name is converted from the ANSI code page.
  static bool GetBinary(const IniBuffer* buffer, std::u16string_view section, std::u16string_view key,
                        void* block, std::size_t size);

  // Replaces the entry's value, adds the entry at the end of its section, or
  // appends the section. False when the buffer is null or a name or the value
  // is refused (see above).
  static bool SetString(IniBuffer* buffer, std::u16string_view section, std::u16string_view key,
                        std::u16string_view value);
  static bool SetInt(IniBuffer* buffer, std::u16string_view section, std::u16string_view key, int value);
  static bool SetBinary(IniBuffer* buffer, std::u16string_view section, std::u16string_view key,
                        const void* block, std::size_t size);
  // Removes the entry's line with the line breaks after it; false when missing.
  static bool DeleteEntry(IniBuffer* buffer, std::u16string_view section, std::u16string_view key);
  // Removes the section from its '[' to the next section; false when missing.
  static bool DeleteSection(IniBuffer* buffer, std::u16string_view section);

  // One-shot helpers: open the file, one get (or one set and a saving close).
  static std::optional<std::u16string> ReadString(const std::string& path, std::u16string_view section,
                                                  std::u16string_view key,
                                                  std::optional<std::u16string_view> def = std::nullopt);
  static int ReadInt(const std::string& path, std::u16string_view section, std::u16string_view key, int def);
  static bool ReadBinary(const std::string& path, std::u16string_view section, std::u16string_view key,
                         void* block, std::size_t size);
  static bool WriteString(const std::string& path, std::u16string_view section, std::u16string_view key,
                          std::u16string_view value);
  static bool WriteInt(const std::string& path, std::u16string_view section, std::u16string_view key, int value);
  static bool WriteBinary(const std::string& path, std::u16string_view section, std::u16string_view key,
                          const void* block, std::size_t size);
  static bool Delete(const std::string& path, std::u16string_view section, std::u16string_view key);

  // Files larger than this are treated as unreadable rather than loaded.
  static constexpr std::size_t kMaxFileBytes = std::size_t(64) << 20;
  // Sizes of the wide and narrow font descriptions that GetBinary converts.
  static constexpr std::size_t kWideFontSize = 92;
  static constexpr std::size_t kNarrowFontSize = 60;
};

// The text of an INI file as it is held in memory, from the file's bytes:
// UTF-16 LE with every 0 unit removed, or, for a file without the mark that
// holds no NUL byte at all (hand-edited 8-bit text), the text decoded from
// UTF-8 (or the ANSI code page when it is not UTF-8) with its line breaks made
// CR LF and the mark put in front. eightBit tells which case it was.
std::u16string DecodeIniBytes(std::string_view bytes, bool& eightBit);
// The file bytes of a buffer (UTF-16 LE).
std::string EncodeIniText(std::u16string_view text);

}  // namespace kastrell
