#include "platform/AnsiText.h"

#include "platform/CodePages.h"
#include "platform/Platform.h"

namespace kastrell {

namespace {

std::u16string Latin1ToUtf16(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view bytes) {
  CodePages* cp = CurrentPlatform().codePages;
  if (!cp) return Latin1ToUtf16(bytes);
  int acp = cp->AnsiCodePage();
  ConvertResult need = cp->ToUtf16(acp, bytes.data(), bytes.size(), DecodeMode::Lenient, nullptr, 0);
  if (!need.ok) return Latin1ToUtf16(bytes);
  std::u16string out(need.length, u'\0');
  ConvertResult got = cp->ToUtf16(acp, bytes.data(), bytes.size(), DecodeMode::Lenient, out.data(), out.size());
  out.resize(got.ok ? got.length : 0);
  return out;
}

}  // namespace kastrell
