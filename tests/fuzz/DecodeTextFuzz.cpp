// DecodeText over arbitrary bytes and settings: no crash, no hang, and the
// line count always matches the separators found.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/posix/IcuCodePages.h"
#include "text/Encoding.h"
#include "text/FileLoader.h"

namespace {

using namespace kastrell;

// Answers every question from the input, so all paths get taken.
class ByteAnswers final : public MessageBoxes {
 public:
  explicit ByteAnswers(std::uint8_t seed) : seed_(seed) {}
  MessageResult Show(const MessageRequest&) override {
    static const Answer kAnswers[] = {Answer::Yes, Answer::No, Answer::Cancel};
    return {kAnswers[(seed_++) % 3], (seed_ & 4) != 0};
  }
  void Beep(BeepKind) override {}
  bool ShiftHeld() override { return false; }

 private:
  std::uint8_t seed_;
};

struct Chooser final : EncodingChooser {
  std::int32_t pick;
  int calls = 0;
  std::optional<std::int32_t> ChooseEncoding(std::int32_t) override {
    if (++calls > 3) return std::nullopt;
    return pick;
  }
};

constexpr std::int32_t kPages[] = {0, 1252, 936, 932, 949, 950, 1251, 1200, 1201, 65001, 20127, 54936, 50220, 12345};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  static HeadlessPlatform* hp = new HeadlessPlatform();
  static IcuCodePages* icu = new IcuCodePages(1252);
  hp->platform.codePages = icu;
  ByteAnswers answers(data[2]);
  hp->platform.boxes = &answers;
  const std::size_t pages = sizeof kPages / sizeof kPages[0];
  icu->SetAnsiCodePage(kPages[1 + data[0] % 6]);
  LoadEnvironment env;
  env.settings.encoding = kPages[(data[0] >> 3) % pages];
  env.settings.pcFormat = static_cast<LineStyle>(data[1] % 3);
  env.settings.checkInvalidCrLf = (data[1] & 4) != 0;
  Chooser chooser;
  chooser.pick = kPages[(data[1] >> 3) % pages];
  env.chooser = &chooser;
  std::int32_t forced = (data[1] & 0x80) ? kPages[data[2] % pages] : 0;
  ScopedEncodingOverride override(forced);

  CMyEditDoc doc;
  std::size_t n = size - 3;
  char* bytes = AllocateDecodeBuffer(n);
  std::memcpy(bytes, data + 3, n);
  if (DecodeText(doc, bytes, n, "fuzz", env)) {
    const TextBuffer& buf = doc.Buffer();
    if (buf.LineCount() < 1) std::abort();
    // Joined again with the separator of their style, the lines must hold
    // exactly LineCount - 1 breaks of that style: no line was split inside,
    // and no separator was left in a line.
    ExtractedText all = buf.GetAllText(doc.lineStyle, false);
    if (!all.ok) std::abort();
    LineSeparatorDetection d = DetectLineSeparator(all.units.get(), std::size_t(all.length), doc.lineStyle);
    std::int64_t breaks = BreaksOfStyle(d, doc.lineStyle);
    if (breaks != buf.LineCount() - 1) std::abort();
  }
  hp->platform.boxes = &hp->boxes;
  return 0;
}
