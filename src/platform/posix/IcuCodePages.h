// Code page conversion on ICU converters.
//
// Windows code page numbers are mapped to ICU converter names. Strict decoding
// stops at the first byte sequence the table does not define and, for tables
// with duplicate mappings (several byte sequences for one character), also
// checks that the text encodes back to the very same bytes: a strictly decoded
// file that is saved unchanged must come back byte for byte.
#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/CodePages.h"

struct UConverter;

namespace kastrell {

class SystemInfo;

// The system ANSI code page: KASTRELL_ACP when set to a number that can be
// one, else derived from the locale (LC_ALL, LC_CTYPE, LANG), else 1252. A
// KASTRELL_ACP that cannot be used is named on standard error and ignored.
int AnsiCodePageFromEnvironment(SystemInfo& system);
// Why value (the text of KASTRELL_ACP or of an option) cannot be the system
// ANSI code page, "" when it can: it must be a number, UTF-16 has no
// single-byte form, and a number no converter knows decodes nothing.
std::string AnsiCodePageRefusal(const std::string& value);
// Why code page cp cannot read or write a file, "" when it can.
std::string CodePageRefusal(long cp);
// The locale name rule alone ("zh_CN.UTF-8" -> 936).
int AnsiCodePageForLocale(const std::string& locale);

class IcuCodePages final : public CodePages {
 public:
  explicit IcuCodePages(int ansiCodePage);
  ~IcuCodePages() override;

  int AnsiCodePage() const override { return ansi_; }
  void SetAnsiCodePage(int cp) { ansi_ = cp; }
  bool IsValidCodePage(int codePage) const override;
  std::vector<int> AvailableCodePages() const override;
  ConvertResult ToUtf16(int codePage, const char* bytes, std::size_t size, DecodeMode mode, char16_t* dest,
                        std::size_t destCapacity) override;
  ConvertResult FromUtf16(int codePage, const char16_t* units, std::size_t count, char* dest,
                          std::size_t destCapacity) override;
  bool EncodesInPieces(int codePage) const override;

  // The ICU converter name used for a Windows code page, "" when none.
  static std::string ConverterName(int codePage);

 private:
  struct Table;
  Table* Find(int codePage) const;  // null when the code page cannot be converted
  int Resolve(int cp) const { return cp == 0 ? ansi_ : cp; }

  int ansi_;
  mutable std::mutex mutex_;
  mutable std::map<int, std::unique_ptr<Table>> tables_;
};

}  // namespace kastrell
