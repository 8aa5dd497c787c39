#include "app/IniStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <array>
#include <climits>
#include <cstring>
#include <functional>

#include "platform/FileSystem.h"
#include "platform/Utf.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// Readable form of a buffer text for failure messages: the mark, CR and LF spelled out.
std::string Show(std::u16string_view t) {
  std::string out;
  for (char16_t c : t) {
    if (c == kByteOrderMark) out += "<BOM>";
    else if (c == u'\r') out += "\\r";
    else if (c == u'\n') out += "\\n";
    else out += Utf16ToUtf8(std::u16string_view(&c, 1));
  }
  return out;
}

std::string FileOf(std::u16string_view text) { return EncodeIniText(text); }

class IniStoreTest : public test::PlatformTest {
 protected:
  test::TempDir dir;
  std::string Path(const std::string& name = "t_u.ini") { return dir / name; }
};

// Each row starts from a file (or none), changes its buffer, saves it, and
// compares the saved bytes with the expected UTF-16 LE text.
struct EditCase {
  const char* name;
  std::optional<std::u16string> before;  // nullopt: no file
  std::function<bool(IniBuffer*)> edit;
  std::u16string after;
};

class IniStoreEdit : public IniStoreTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(IniStoreEdit, SavesExactBytes) {
  const EditCase& c = GetParam();
  std::string p = Path();
  if (c.before) WriteBytes(p, FileOf(*c.before));
  std::unique_ptr<IniBuffer> b = IniStore::Open(p);
  ASSERT_TRUE(b);
  EXPECT_TRUE(c.edit(b.get()));
  ASSERT_TRUE(IniStore::Close(std::move(b), p));
  std::string bytes = ReadBytes(p);
  bool eightBit = false;
  EXPECT_EQ(bytes, FileOf(c.after)) << "got " << Show(DecodeIniBytes(bytes, eightBit)) << "\nwant " << Show(c.after);
}

auto Set(std::u16string s, std::u16string k, std::u16string v) {
  return [=](IniBuffer* b) { return IniStore::SetString(b, s, k, v); };
}

const unsigned char kTwoBytes[] = {0x01, 0xAB};

INSTANTIATE_TEST_SUITE_P(
    Grammar, IniStoreEdit,
    ::testing::Values(
        EditCase{"NewFileGetsMarkAndSection", std::nullopt, Set(u"S", u"a", u"1"), u"\uFEFF\r\n[S]\r\na=1"},
        EditCase{"EmptyFileStaysWithoutMark", u"", Set(u"S", u"a", u"1"), u"\r\n[S]\r\na=1"},
        EditCase{"ReplacesValue", u"\uFEFF[S]\r\na=1\r\nb=2\r\n", Set(u"S", u"a", u"long"),
                 u"\uFEFF[S]\r\na=long\r\nb=2\r\n"},
        EditCase{"ReplacesWithEmpty", u"\uFEFF[S]\r\na=1\r\n", Set(u"S", u"a", u""), u"\uFEFF[S]\r\na=\r\n"},
        EditCase{"InsertsBeforeTrailingBlankLines", u"\uFEFF[S]\r\na=1\r\n\r\n\r\n[T]\r\nb=2\r\n",
                 Set(u"S", u"c", u"3"), u"\uFEFF[S]\r\na=1\r\nc=3\r\n\r\n\r\n[T]\r\nb=2\r\n"},
        EditCase{"InsertsIntoEmptySection", u"\uFEFF[S]\r\n[T]\r\n", Set(u"S", u"a", u"1"),
                 u"\uFEFF[S]\r\na=1\r\n[T]\r\n"},
        EditCase{"AppendsSectionBeforeFinalBreaks", u"\uFEFF[S]\r\na=1\r\n\r\n", Set(u"T", u"b", u"2"),
                 u"\uFEFF[S]\r\na=1\r\n[T]\r\nb=2\r\n\r\n"},
        EditCase{"SameKeyInOtherSectionUntouched", u"\uFEFF[S]\r\na=1\r\n[T]\r\na=2\r\n", Set(u"T", u"a", u"3"),
                 u"\uFEFF[S]\r\na=1\r\n[T]\r\na=3\r\n"},
        EditCase{"SectionNamePrefixIsAnotherSection", u"\uFEFF[Sx]\r\na=1\r\n", Set(u"S", u"a", u"2"),
                 u"\uFEFF[Sx]\r\na=1\r\n[S]\r\na=2\r\n"},
        EditCase{"SectionNamesAreCaseSensitive", u"\uFEFF[s]\r\na=1\r\n", Set(u"S", u"a", u"2"),
                 u"\uFEFF[s]\r\na=1\r\n[S]\r\na=2\r\n"},
        EditCase{"KeyPrefixIsAnotherKey", u"\uFEFF[S]\r\nab=1\r\n", Set(u"S", u"a", u"2"),
                 u"\uFEFF[S]\r\nab=1\r\na=2\r\n"},
        EditCase{"BlanksAroundEqualsAreAnotherKey", u"\uFEFF[S]\r\na = 1\r\n", Set(u"S", u"a", u"2"),
                 u"\uFEFF[S]\r\na = 1\r\na=2\r\n"},
        EditCase{"NonAsciiSectionIsFoundAgain", u"\uFEFF[\u4E2D]\r\na=1\r\n[-]\r\na=x\r\n",
                 Set(u"\u4E2D", u"a", u"2"), u"\uFEFF[\u4E2D]\r\na=2\r\n[-]\r\na=x\r\n"},
        EditCase{"SetInt", u"\uFEFF[S]\r\n",
                 [](IniBuffer* b) {
                   return IniStore::SetInt(b, u"S", u"n", -12) && IniStore::SetInt(b, u"S", u"m", INT_MIN);
                 },
                 u"\uFEFF[S]\r\nn=-12\r\nm=-2147483648\r\n"},
        EditCase{"SetBinaryUpperHexWithTerminator", u"\uFEFF[S]\r\n",
                 [](IniBuffer* b) { return IniStore::SetBinary(b, u"S", u"b", kTwoBytes, 2); },
                 u"\uFEFF[S]\r\nb=01ABFF\r\n"},
        EditCase{"DeleteEntryTakesItsLineBreaks", u"\uFEFF[S]\r\na=1\r\nb=2\r\n",
                 [](IniBuffer* b) { return IniStore::DeleteEntry(b, u"S", u"a"); }, u"\uFEFF[S]\r\nb=2\r\n"},
        EditCase{"DeleteLastEntryBeforeSection", u"\uFEFF[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n",
                 [](IniBuffer* b) { return IniStore::DeleteEntry(b, u"S", u"a"); }, u"\uFEFF[S]\r\n[T]\r\nb=2\r\n"},
        EditCase{"DeleteSection", u"\uFEFF[S]\r\na=1\r\n[T]\r\nb=2\r\n",
                 [](IniBuffer* b) { return IniStore::DeleteSection(b, u"S"); }, u"\uFEFF[T]\r\nb=2\r\n"},
        EditCase{"DeleteLastSection", u"\uFEFF[S]\r\na=1\r\n[T]\r\nb=2\r\n",
                 [](IniBuffer* b) { return IniStore::DeleteSection(b, u"T"); }, u"\uFEFF[S]\r\na=1\r\n"},
        EditCase{"ZeroUnitsAreDropped", std::u16string(u"\uFEFF[S]\r\na=1\0\r\n", 12), Set(u"S", u"b", u"2"),
                 u"\uFEFF[S]\r\na=1\r\nb=2\r\n"}),
    [](const ::testing::TestParamInfo<EditCase>& i) { return std::string(i.param.name); });

// Each row reads one value from a file text.
struct GetCase {
  const char* name;
  std::u16string text;
  std::u16string section, key;
  std::optional<std::u16string> value;  // nullopt: not found
};

class IniStoreGet : public IniStoreTest, public ::testing::WithParamInterface<GetCase> {};

TEST_P(IniStoreGet, FindsValue) {
  const GetCase& c = GetParam();
  std::string p = Path();
  WriteBytes(p, FileOf(c.text));
  EXPECT_EQ(IniStore::ReadString(p, c.section, c.key), c.value);
  EXPECT_EQ(IniStore::ReadString(p, c.section, c.key, u"dflt"), c.value.value_or(u"dflt"));
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, IniStoreGet,
    ::testing::Values(
        GetCase{"FirstKeyOfSection", u"\uFEFF[S]\r\na=1\r\n", u"S", u"a", u"1"},
        GetCase{"ValueAtEndOfBuffer", u"\uFEFF[S]\r\na=xy", u"S", u"a", u"xy"},
        GetCase{"ValueBeforeNextSection", u"\uFEFF[S]\r\na=xy\r\n[T]\r\n", u"S", u"a", u"xy"},
        GetCase{"EmptyValue", u"\uFEFF[S]\r\na=\r\n", u"S", u"a", u""},
        GetCase{"ValueKeepsEqualsAndBlanks", u"\uFEFF[S]\r\na= b=c \r\n", u"S", u"a", u" b=c "},
        GetCase{"BlanksAroundEquals", u"\uFEFF[S]\r\na = 1\r\n", u"S", u"a", std::nullopt},
        GetCase{"BlankBeforeKey", u"\uFEFF[S]\r\n a=1\r\n", u"S", u"a", std::nullopt},
        GetCase{"KeyOnHeaderLine", u"\uFEFF[S]a=1\r\n", u"S", u"a", std::nullopt},
        GetCase{"KeyBeforeAnySection", u"\uFEFFa=1\r\n[S]\r\n", u"S", u"a", std::nullopt},
        GetCase{"KeyInLaterSectionOnly", u"\uFEFF[S]\r\nb=1\r\n[T]\r\na=1\r\n", u"S", u"a", std::nullopt},
        GetCase{"HeaderNotAtLineStart", u"\uFEFFx[S]\r\na=1\r\n", u"S", u"a", std::nullopt},
        GetCase{"HeaderWithoutMark", u"[S]\r\na=1\r\n", u"S", u"a", u"1"},
        GetCase{"KeysAreCaseSensitive", u"\uFEFF[S]\r\nA=1\r\n", u"S", u"a", std::nullopt},
        GetCase{"BareLineFeedsEndValues", u"\uFEFF[S]\na=1\nb=2\n", u"S", u"a", u"1"},
        GetCase{"MissingSection", u"\uFEFF[S]\r\na=1\r\n", u"X", u"a", std::nullopt},
        GetCase{"EmptyBuffer", u"", u"S", u"a", std::nullopt},
        GetCase{"KeyWithLineFeedIsRefused", u"\uFEFF[S]\r\na\r\nb=1\r\n", u"S", u"a\r\nb", std::nullopt}),
    [](const ::testing::TestParamInfo<GetCase>& i) { return std::string(i.param.name); });

TEST_F(IniStoreTest, GetIntParsesLikeDecimalAtoi) {
  struct Row {
    const char* value;  // nullptr: entry missing
    int expected;
  };
  const Row rows[] = {
      {nullptr, 5}, {"abc", 0}, {"-12x", -12}, {"", 0}, {"  +7", 7}, {"\t42 ", 42}, {"0x10", 0},
      {"2147483647", INT_MAX}, {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN},
      {"-99999999999999999999", INT_MIN}, {"- 3", 0},
  };
  for (const Row& r : rows) {
    IniBuffer b{u"\uFEFF[S]\r\n"};
    if (r.value) IniStore::SetString(&b, u"S", u"n", Utf8ToUtf16(r.value));
    EXPECT_EQ(IniStore::GetInt(&b, u"S", u"n", 5), r.expected) << "value " << (r.value ? r.value : "(missing)");
  }
}

TEST_F(IniStoreTest, GetBinaryNeedsExactLengthAndHexDigits) {
  struct Row {
    const char16_t* stored;
    bool ok;
  };
  const Row rows[] = {
      {u"01ABFF", true},   {u"01abFF", true},  {u"01ABFF00", false}, {u"01AB", false},
      {u"01AGFF", false},  {u"01 BFF", false}, {u"", false},         {u"0-ABFF", false},
  };
  for (const Row& r : rows) {
    IniBuffer b{u"\uFEFF[S]\r\n"};
    IniStore::SetString(&b, u"S", u"b", r.stored);
    std::array<unsigned char, 2> block{0x55, 0x55};
    EXPECT_EQ(IniStore::GetBinary(&b, u"S", u"b", block.data(), block.size()), r.ok) << Show(r.stored);
    if (r.ok) {
      EXPECT_EQ(block, (std::array<unsigned char, 2>{0x01, 0xAB}));
    } else {
      EXPECT_EQ(block, (std::array<unsigned char, 2>{0x55, 0x55})) << "block changed for " << Show(r.stored);
    }
  }
  IniBuffer b{u"\uFEFF"};
  unsigned char one = 7;
  EXPECT_FALSE(IniStore::GetBinary(&b, u"S", u"b", &one, 1));
  EXPECT_EQ(one, 7);
}

TEST_F(IniStoreTest, BinaryRoundTripsEveryByte) {
  std::array<unsigned char, 256> in{}, out{};
  for (int i = 0; i < 256; ++i) in[i] = static_cast<unsigned char>(i);
  IniBuffer b{u"\uFEFF"};
  ASSERT_TRUE(IniStore::SetBinary(&b, u"S", u"b", in.data(), in.size()));
  ASSERT_TRUE(IniStore::GetBinary(&b, u"S", u"b", out.data(), out.size()));
  EXPECT_EQ(in, out);
}

TEST_F(IniStoreTest, NarrowFontDescriptionBecomesWide) {
  hp.codePages.SetAnsiCodePage(28591);
  unsigned char narrow[IniStore::kNarrowFontSize] = {};
  for (int i = 0; i < 28; ++i) narrow[i] = static_cast<unsigned char>(i + 1);
  std::memcpy(narrow + 28, "Caf\xE9 Sans", 9);
  IniBuffer b{u"\uFEFF"};
  ASSERT_TRUE(IniStore::SetBinary(&b, u"Fonts", u"Screen", narrow, sizeof narrow));

  unsigned char wide[IniStore::kWideFontSize];
  std::memset(wide, 0xCC, sizeof wide);
  ASSERT_TRUE(IniStore::GetBinary(&b, u"Fonts", u"Screen", wide, sizeof wide));
  EXPECT_EQ(std::memcmp(wide, narrow, 28), 0);
  std::u16string face;
  for (int i = 0; i < 32; ++i) face += char16_t(wide[28 + 2 * i] | wide[29 + 2 * i] << 8);
  EXPECT_EQ(face, std::u16string(u"Caf\u00E9 Sans") + std::u16string(32 - 9, u'\0'));

  // Any other size still needs the exact length.
  unsigned char other[61];
  EXPECT_FALSE(IniStore::GetBinary(&b, u"Fonts", u"Screen", other, sizeof other));
}

TEST_F(IniStoreTest, FullNarrowFaceNameIsCutToThirtyOneCharacters) {
  unsigned char narrow[IniStore::kNarrowFontSize] = {};
  std::memset(narrow + 28, 'x', 32);  // no terminator at all
  IniBuffer b{u"\uFEFF"};
  IniStore::SetBinary(&b, u"Fonts", u"F", narrow, sizeof narrow);
  unsigned char wide[IniStore::kWideFontSize];
  ASSERT_TRUE(IniStore::GetBinary(&b, u"Fonts", u"F", wide, sizeof wide));
  EXPECT_EQ(wide[28 + 2 * 30], 'x');
  EXPECT_EQ(wide[28 + 2 * 31], 0);
}

TEST_F(IniStoreTest, RefusesNamesAndValuesThatWouldInjectLines) {
  const std::u16string before = u"\uFEFF[S]\r\na=1\r\n";
  struct Row {
    const char* name;
    std::u16string section, key, value;
  };
  const Row rows[] = {
      {"value with CR LF", u"S", u"a", u"x\r\n[Evil]\r\nb=1"},
      {"value with LF", u"S", u"a", u"x\nb=1"},
      {"value with NUL", u"S", u"a", std::u16string(u"x\0y", 3)},
      {"key with equals", u"S", u"a=b", u"1"},
      {"key with LF", u"S", u"k\nb", u"1"},
      {"key like a header", u"S", u"[T]", u"1"},
      {"section with bracket", u"S]\r\n[T", u"a", u"1"},
      {"section with LF", u"S\n", u"a", u"1"},
  };
  for (const Row& r : rows) {
    IniBuffer b{before};
    EXPECT_FALSE(IniStore::SetString(&b, r.section, r.key, r.value)) << r.name;
    EXPECT_EQ(b.text, before) << r.name;
  }
  IniBuffer b{before};
  EXPECT_FALSE(IniStore::DeleteEntry(&b, u"S", u"missing"));
  EXPECT_FALSE(IniStore::DeleteSection(&b, u"Missing"));
  EXPECT_EQ(b.text, before);
}

TEST_F(IniStoreTest, MissingFileGivesMarkOnly) {
  std::unique_ptr<IniBuffer> b = IniStore::Open(Path("none.ini"));
  ASSERT_TRUE(b);
  EXPECT_EQ(b->text, u"\uFEFF");
  EXPECT_TRUE(IniStore::Close(std::move(b)));
  EXPECT_EQ(ReadBytes(Path("none.ini")), "<missing>");
}

TEST_F(IniStoreTest, UnreadableFileGivesDefaultsAndWritesNothing) {
  std::string p = Path("adir_u.ini");
  ASSERT_EQ(::mkdir(p.c_str(), 0755), 0);
  std::unique_ptr<IniBuffer> b = IniStore::Open(p);
  EXPECT_FALSE(b);
  EXPECT_EQ(IniStore::GetInt(b.get(), u"S", u"a", 9), 9);
  EXPECT_EQ(IniStore::GetString(b.get(), u"S", u"a", u"d"), u"d");
  EXPECT_FALSE(IniStore::SetInt(b.get(), u"S", u"a", 1));
  EXPECT_FALSE(IniStore::Close(std::move(b), p));
  EXPECT_FALSE(IniStore::WriteInt(p, u"S", u"a", 1));
  EXPECT_EQ(IniStore::ReadInt(p, u"S", u"a", 4), 4);
}

TEST_F(IniStoreTest, OneShotHelpersWriteAndReadBack) {
  std::string p = Path();
  ASSERT_TRUE(IniStore::WriteString(p, u"Files", u"Name", u"\u4E2D\u6587"));
  ASSERT_TRUE(IniStore::WriteInt(p, u"Files", u"Encoding", 65001));
  ASSERT_TRUE(IniStore::WriteBinary(p, u"Files", u"Bin", kTwoBytes, 2));
  EXPECT_EQ(ReadBytes(p), FileOf(u"\uFEFF\r\n[Files]\r\nName=\u4E2D\u6587\r\nEncoding=65001\r\nBin=01ABFF"));
  EXPECT_EQ(IniStore::ReadString(p, u"Files", u"Name"), u"\u4E2D\u6587");
  EXPECT_EQ(IniStore::ReadInt(p, u"Files", u"Encoding", 0), 65001);
  unsigned char two[2];
  EXPECT_TRUE(IniStore::ReadBinary(p, u"Files", u"Bin", two, 2));
  EXPECT_TRUE(IniStore::Delete(p, u"Files", u"Bin"));
  EXPECT_FALSE(IniStore::ReadBinary(p, u"Files", u"Bin", two, 2));
}

TEST_F(IniStoreTest, MigratesOlderAnsiFileOnce) {
  hp.codePages.SetAnsiCodePage(28591);
  const std::string old = "[Opions]\r\nName=caf\xE9\r\n[Opions]\r\n";
  WriteBytes(Path("kastrell.ini"), old);
  std::unique_ptr<IniBuffer> b = IniStore::Open(Path("kastrell_u.ini"));
  ASSERT_TRUE(b);
  const std::u16string expected = u"\uFEFF[Options]\r\nName=caf\u00E9\r\n[Opions]\r\n";
  EXPECT_EQ(b->text, expected) << Show(b->text);
  EXPECT_EQ(ReadBytes(Path("kastrell_u.ini")), FileOf(expected));
  EXPECT_EQ(ReadBytes(Path("kastrell.ini")), old);
  EXPECT_EQ(IniStore::GetString(b.get(), u"Options", u"Name"), u"caf\u00E9");

  // Once the new file exists the old one is no longer read.
  WriteBytes(Path("kastrell.ini"), "[Options]\r\nName=other\r\n");
  EXPECT_EQ(IniStore::ReadString(Path("kastrell_u.ini"), u"Options", u"Name"), u"caf\u00E9");
  // Only "_u.ini" names migrate.
  WriteBytes(Path("plain.ini"), "[S]\r\na=1\r\n");
  EXPECT_EQ(IniStore::Open(Path("plain.txt"))->text, u"\uFEFF");
}

TEST_F(IniStoreTest, HandEditedEightBitFileIsConvertedOnceWithBackup) {
  hp.codePages.SetAnsiCodePage(28591);
  struct Row {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  const Row rows[] = {
      {"utf8 with LF", "[S]\na=\xC3\xA9\nb=2\n", u"\uFEFF[S]\r\na=\u00E9\r\nb=2\r\n"},
      {"utf8 mark", "\xEF\xBB\xBF[S]\r\na=1\r\n", u"\uFEFF[S]\r\na=1\r\n"},
      {"ansi", "[S]\r\na=\xE9\r\n", u"\uFEFF[S]\r\na=\u00E9\r\n"},
      {"bare CR", "[S]\ra=1\r", u"\uFEFF[S]\r\na=1\r\n"},
  };
  for (const Row& r : rows) {
    test::TempDir d;
    std::string p = d / "s_u.ini";
    WriteBytes(p, r.bytes);
    std::unique_ptr<IniBuffer> b = IniStore::Open(p);
    ASSERT_TRUE(b) << r.name;
    EXPECT_EQ(b->text, r.text) << r.name << ": " << Show(b->text);
    EXPECT_EQ(ReadBytes(p), FileOf(r.text)) << r.name;
    EXPECT_EQ(ReadBytes(p + ".bak"), r.bytes) << r.name;
    // The converted file is UTF-16 now: opening it again converts nothing.
    EXPECT_EQ(IniStore::Open(p)->text, r.text) << r.name;
    EXPECT_EQ(ReadBytes(p + ".bak.2"), "<missing>") << r.name;
  }
}

TEST_F(IniStoreTest, ExistingBackupIsNotOverwritten) {
  std::string p = Path("s_u.ini");
  WriteBytes(p + ".bak", "older backup");
  WriteBytes(p, "[S]\na=1\n");
  ASSERT_TRUE(IniStore::Open(p));
  EXPECT_EQ(ReadBytes(p + ".bak"), "older backup");
  EXPECT_EQ(ReadBytes(p + ".bak.2"), "[S]\na=1\n");
}

TEST_F(IniStoreTest, FileWrittenWithoutMarkStaysUtf16) {
  // A buffer saved from an empty file has no mark but is UTF-16: it must not
  // be taken for 8-bit text on the next open.
  std::string p = Path();
  WriteBytes(p, "");
  ASSERT_TRUE(IniStore::WriteInt(p, u"S", u"a", 1));
  EXPECT_EQ(IniStore::ReadInt(p, u"S", u"a", 0), 1);
  EXPECT_EQ(ReadBytes(p + ".bak"), "<missing>");
}

TEST_F(IniStoreTest, OddTrailingByteIsDropped) {
  std::string p = Path();
  WriteBytes(p, FileOf(u"\uFEFF[S]\r\na=1") + "X");
  EXPECT_EQ(IniStore::Open(p)->text, u"\uFEFF[S]\r\na=1");
}

// Each row makes the save fail in a different way; the previous file must stay
// byte for byte and no temporary file may be left behind.
TEST_F(IniStoreTest, FailedSaveLeavesPreviousFileIntact) {
  std::string p = Path();
  const std::string previous = FileOf(u"\uFEFF[S]\r\na=1\r\n");
  std::u16string big(20000, u'x');

  WriteBytes(p, previous);
  {
    // A file-size limit below the new file's size: the write fails part-way.
    std::unique_ptr<IniBuffer> b = IniStore::Open(p);
    ASSERT_TRUE(IniStore::SetString(b.get(), u"S", u"big", big));
    struct sigaction ignore{}, old{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool ok = IniStore::Close(std::move(b), p);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadBytes(p), previous);
  }
  {
    // The folder is gone: no temporary file can be made.
    std::unique_ptr<IniBuffer> b = IniStore::Open(p);
    EXPECT_FALSE(IniStore::Close(std::move(b), dir / "gone/t_u.ini"));
  }
  std::vector<DirEntry> entries;
  ASSERT_FALSE(hp.files.ListDirectory(dir.Path(), entries));
  ASSERT_EQ(entries.size(), 1u) << "left behind: " << entries.back().name;
  EXPECT_EQ(entries[0].name, "t_u.ini");

  // And a save that works replaces the file.
  std::unique_ptr<IniBuffer> b = IniStore::Open(p);
  IniStore::SetString(b.get(), u"S", u"a", u"2");
  EXPECT_TRUE(IniStore::Close(std::move(b), p));
  EXPECT_EQ(ReadBytes(p), FileOf(u"\uFEFF[S]\r\na=2\r\n"));
}

TEST_F(IniStoreTest, SaveKeepsPermissionBits) {
  std::string p = Path();
  WriteBytes(p, FileOf(u"\uFEFF"));
  ASSERT_EQ(::chmod(p.c_str(), 0640), 0);
  ASSERT_TRUE(IniStore::WriteInt(p, u"S", u"a", 1));
  FileInfo info;
  ASSERT_FALSE(hp.files.Stat(p, info));
  EXPECT_EQ(info.mode, 0640u);
}

}  // namespace
}  // namespace kastrell
