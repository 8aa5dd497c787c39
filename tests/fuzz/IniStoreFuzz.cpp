// Feeds arbitrary bytes to the INI file decoder and runs the buffer operations
// on the result with names taken from the input. Besides not crashing or
// hanging, a value that was set must be the value read back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/IniStore.h"
#include "platform/headless/HeadlessPlatform.h"

using namespace kastrell;

namespace {

// Cuts the next name (up to 8 units) from the text, starting at pos.
std::u16string NextName(const std::u16string& t, std::size_t& pos) {
  if (t.empty()) return u"S";
  std::size_t len = 1 + t[pos % t.size()] % 8;
  std::u16string out;
  for (std::size_t i = 0; i < len; ++i) out += t[(pos + 1 + i) % t.size()];
  pos += len + 1;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static HeadlessPlatform* platform = new HeadlessPlatform();
  (void)platform;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  bool eightBit = false;
  IniBuffer b{DecodeIniBytes(bytes, eightBit)};

  std::size_t pos = 0;
  for (int round = 0; round < 8; ++round) {
    std::u16string section = NextName(b.text, pos), key = NextName(b.text, pos), value = NextName(b.text, pos);
    (void)IniStore::GetString(&b, section, key);
    (void)IniStore::GetInt(&b, section, key, 0);
    unsigned char font[IniStore::kWideFontSize];
    (void)IniStore::GetBinary(&b, section, key, font, sizeof font);
    switch (round % 4) {
      case 0:
      case 1:
        if (IniStore::SetString(&b, section, key, value) && IniStore::GetString(&b, section, key) != value)
          std::abort();
        break;
      case 2:
        if (IniStore::DeleteEntry(&b, section, key) && b.text.size() > bytes.size() + 4096) std::abort();
        break;
      case 3:
        (void)IniStore::DeleteSection(&b, section);
        break;
    }
  }
  (void)EncodeIniText(b.text);
  return 0;
}
