// A small code page table for logic tests: UTF-8 (65001), ISO-8859-1 (28591)
// and US-ASCII (20127). The ANSI code page number is whatever the test sets.
#pragma once
#include "platform/CodePages.h"

namespace kastrell {

class FakeCodePages final : public CodePages {
 public:
  int AnsiCodePage() const override { return ansi_; }
  void SetAnsiCodePage(int cp) { ansi_ = cp; }
  bool IsValidCodePage(int codePage) const override;
  std::vector<int> AvailableCodePages() const override;
  ConvertResult ToUtf16(int codePage, const char* bytes, std::size_t size, DecodeMode mode, char16_t* dest,
                        std::size_t destCapacity) override;
  ConvertResult FromUtf16(int codePage, const char16_t* units, std::size_t count, char* dest,
                          std::size_t destCapacity) override;

 private:
  int ansi_ = 28591;
};

}  // namespace kastrell
