// Loading real files from disk through the ICU code pages, with the questions
// answered by the headless message boxes.
#include "text/FileLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/Strings.h"
#include "platform/Utf.h"
#include "platform/posix/IcuCodePages.h"
#include "support/ForwardingFileSystem.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"
#include "text/Encoding.h"

namespace kastrell {
namespace {

using test::TempDir;
using LineList = std::vector<std::u16string>;

LineList LinesOf(const CMyEditDoc& doc) {
  LineList out;
  for (std::int32_t i = 0; i < doc.Buffer().LineCount(); ++i) out.emplace_back(doc.Buffer().LineView(i));
  return out;
}

struct ScriptedChooser final : EncodingChooser {
  std::vector<std::optional<std::int32_t>> answers;
  std::vector<std::int32_t> presets;
  std::optional<std::int32_t> ChooseEncoding(std::int32_t current) override {
    presets.push_back(current);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

struct RecordingStatus final : LoadStatus {
  std::vector<int> progress;
  int refreshed = 0;
  bool suspended = false;
  void Progress(const std::string& text, int percent) override {
    EXPECT_EQ(text, LoadString(24448));
    progress.push_back(percent);
  }
  void SuspendLineCount(bool s) override { suspended = s; }
  void Refresh(const CMyEditDoc&) override { ++refreshed; }
};

class FileLoaderTest : public test::PlatformTest {
 protected:
  FileLoaderTest() { hp.platform.codePages = &icu; }

  bool Load(const std::string& bytes) { return LoadFile(doc, dir.Write("f.txt", bytes), "", env); }
  std::vector<std::u16string> Lines() const { return LinesOf(doc); }
  IcuCodePages icu{1252};
  TempDir dir;
  CMyEditDoc doc;
  LoadEnvironment env;
};


TEST_F(FileLoaderTest, DetectionAndSplitting) {
  struct Case {
    const char* name;
    std::string bytes;
    LoadSettings settings;
    std::int32_t encoding;
    LineStyle style;
    bool mixed;
    bool signature;
    LineList lines;
  };
  LoadSettings defaults;
  LoadSettings utf8Default;
  utf8Default.encoding = 65001;
  LoadSettings unixDefault;
  unixDefault.pcFormat = LineStyle::Unix;
  LoadSettings greek;
  greek.encoding = 1253;
  const Case cases[] = {
      {"empty file", "", defaults, 1252, LineStyle::Pc, false, false, {u""}},
      {"empty file, UNIX default", "", unixDefault, 1252, LineStyle::Unix, false, false, {u""}},
      {"empty file, UTF-8 default", "", utf8Default, 65001, LineStyle::Pc, false, false, {u""}},
      {"FF FE alone", "\xFF\xFE", defaults, 1200, LineStyle::Pc, false, false, {u""}},
      {"UTF-16 LE", std::string("\xFF\xFE" "a\0\r\0\n\0b\0", 10), defaults, 1200, LineStyle::Pc, false, false,
       {u"a", u"b"}},
      {"UTF-16 BE", std::string("\xFE\xFF\0a\0\n\0\xE9", 8), defaults, 1201, LineStyle::Unix, false, false,
       {u"a", u"\u00E9"}},
      {"abc, UTF-8 default", "abc", utf8Default, 65001, LineStyle::Pc, false, false, {u"abc"}},
      {"abc, ANSI default", "abc", defaults, 1252, LineStyle::Pc, false, false, {u"abc"}},
      {"non-ASCII, UTF-8 default falls back to ANSI", "caf\xE9 x", utf8Default, 1252, LineStyle::Pc, false,
       false, {u"caf\u00E9 x"}},
      {"C3 A9 is UTF-8", "\xC3\xA9", defaults, 65001, LineStyle::Pc, false, false, {u"\u00E9"}},
      {"C3 41 is not", "\xC3\x41", defaults, 1252, LineStyle::Pc, false, false, {u"\u00C3A"}},
      {"last byte not examined", "ab\xC3", defaults, 1252, LineStyle::Pc, false, false, {u"ab\u00C3"}},
      {"emoji file is UTF-8", "\xF0\x9F\x98\x80\n", defaults, 65001, LineStyle::Unix, false, false,
       {u"\U0001F600", u""}},
      {"UTF-8 signature", "\xEF\xBB\xBFx\r\n", defaults, 65001, LineStyle::Pc, false, true, {u"x", u""}},
      {"other default code page", "\xE1", greek, 1253, LineStyle::Pc, false, false, {u"\u03B1"}},
      {"mixed, not repaired", "a\rb\r\nc\r\n", defaults, 1252, LineStyle::Pc, true, false,
       {u"a\rb", u"c", u""}},
      {"UNIX with a CR LF inside", "a\nb\r\nc\n", defaults, 1252, LineStyle::Unix, true, false,
       {u"a", u"b\r", u"c", u""}},
      {"MAC with a CR LF inside", "a\rb\r\nc\r", defaults, 1252, LineStyle::Mac, true, false,
       {u"a", u"b", u"\nc", u""}},
      {"LF and CR equal", "a\nb\rc", defaults, 1252, LineStyle::Unix, true, false, {u"a", u"b\rc"}},
      {"NUL is kept and makes the text mixed", std::string("a\0b", 3), defaults, 1252, LineStyle::Pc, true,
       false, {std::u16string(u"a\0b", 3)}},
      {"no break: PC format", "abc", unixDefault, 1252, LineStyle::Unix, false, false, {u"abc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMyEditDoc fresh;
    env.settings = c.settings;
    ASSERT_TRUE(LoadFile(fresh, dir.Write("f.txt", c.bytes), "", env));
    EXPECT_EQ(fresh.encoding, c.encoding);
    EXPECT_EQ(fresh.lineStyle, c.style);
    EXPECT_EQ(fresh.mixedLineBreaks, c.mixed);
    EXPECT_EQ(fresh.utf8Signature, c.signature);
    EXPECT_EQ(LinesOf(fresh), c.lines);
    EXPECT_FALSE(fresh.IsModified());
  }
}

TEST_F(FileLoaderTest, RepairOfMixedBreaks) {
  env.settings.checkInvalidCrLf = true;
  struct Case {
    std::string bytes;
    Answer answer;
    bool loaded;
    LineList lines;
    LineStyle style;
  } cases[] = {
      {"a\rb\r\nc\r\n", Answer::Yes, true, {u"a", u"b", u"c", u""}, LineStyle::Pc},
      {"a\r\r\nb", Answer::Yes, true, {u"a", u"b"}, LineStyle::Pc},
      {"x\ny\nz\r\n", Answer::Yes, true, {u"x", u"y", u"z", u""}, LineStyle::Pc},
      {std::string("a\0b\n", 4), Answer::Yes, true, {u"a b", u""}, LineStyle::Pc},
      {"a\rb\r\nc\r\n", Answer::No, true, {u"a\rb", u"c", u""}, LineStyle::Pc},
      {"a\rb\r\nc\r\n", Answer::Cancel, false, {u"before"}, LineStyle::Pc},
  };
  for (const Case& c : cases) {
    CMyEditDoc d;
    d.Buffer().InsertUnits(0, 0, u"before", 6);
    hp.boxes.Expect({"该文本包含无效的 CR/LF", c.answer, false, Buttons::YesNoCancel, Icon::Question});
    std::string path = dir.Write("m.txt", c.bytes);
    EXPECT_EQ(LoadFile(d, path, "", env), c.loaded);
    EXPECT_EQ(LinesOf(d), c.lines);
    if (c.loaded) {
      EXPECT_EQ(d.lineStyle, c.style);
    }
    // The question names the file after a blank line.
    EXPECT_NE(hp.boxes.Shown().back().text.find("\r\n\r\n" + path), std::string::npos);
  }
}

TEST_F(FileLoaderTest, StrictDecodingQuestion) {
  env.settings.encoding = 1253;
  ScriptedChooser chooser;
  env.chooser = &chooser;
  const std::string bytes = "x\xE1\xE2\r\n";
  const std::string path = dir.Write("g.txt", bytes + "\xFF");  // FF: undefined in 1253

  // No: decoded with replacement characters.
  hp.boxes.Expect({"在使用当前编码的情况下", Answer::No, false, Buttons::YesNoCancel, Icon::Question});
  ASSERT_TRUE(LoadFile(doc, path, "", env));
  EXPECT_EQ(Lines(), (LineList{u"x\u03B1\u03B2", u"\uFFFD"}));
  EXPECT_EQ(doc.encoding, 1253);
  EXPECT_NE(hp.boxes.Shown().back().text.find(path + "\n"), std::string::npos);

  // Yes: the chooser, preset to the current encoding; 1252 decodes it.
  chooser.answers = {1252};
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  ASSERT_TRUE(LoadFile(doc, path, "", env));
  EXPECT_EQ(chooser.presets.back(), 1253);
  EXPECT_EQ(doc.encoding, 1252);
  EXPECT_EQ(Lines(), (LineList{u"x\u00E1\u00E2", u"\u00FF"}));

  // Yes, then a code page that fails too: asked again; Cancel keeps the text.
  chooser.answers = {20127};
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Cancel);
  doc.SetModified(true);
  EXPECT_FALSE(LoadFile(doc, path, "", env));
  EXPECT_EQ(Lines(), (LineList{u"x\u00E1\u00E2", u"\u00FF"}));
  EXPECT_TRUE(doc.IsModified());

  // The chooser cancelled: loading fails, the text stays.
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  EXPECT_FALSE(LoadFile(doc, path, "", env));
  EXPECT_EQ(Lines(), (LineList{u"x\u00E1\u00E2", u"\u00FF"}));
}

// A chooser that keeps giving a code page that fails: the second time it
// gives one that failed already, the load ends as cancelled.
TEST_F(FileLoaderTest, ChooserGivingAFailedCodePageAgainCancels) {
  env.settings.encoding = 1253;
  ScriptedChooser chooser;
  chooser.answers = {20127, 20127};
  env.chooser = &chooser;
  doc.Buffer().InsertUnits(0, 0, u"keep", 4);
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  EXPECT_FALSE(LoadFile(doc, dir.Write("g.txt", "x\xE1\xFF"), "", env));
  EXPECT_EQ(Lines(), (LineList{u"keep"}));
  // The first code page counts as failed too.
  chooser.answers = {1253};
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  EXPECT_FALSE(LoadFile(doc, dir.File("g.txt"), "", env));
}

// UTF-16 with an odd byte count cannot keep its last byte: that is a lossy
// decoding like any other, asked about before anything is dropped.
struct OddUtf16Case {
  const char* name;
  std::string bytes;
  std::int32_t forced;  // per-open override, 0 for detection
  LineList lines;       // after answering No
};

class OddUtf16Test : public FileLoaderTest, public ::testing::WithParamInterface<OddUtf16Case> {};

TEST_P(OddUtf16Test, AskedAndCancellable) {
  const OddUtf16Case& c = GetParam();
  const std::string path = dir.Write("odd.txt", c.bytes);
  ScopedEncodingOverride forced(c.forced);
  hp.boxes.Expect({"在使用当前编码的情况下", Answer::Cancel, false, Buttons::YesNoCancel, Icon::Question});
  EXPECT_FALSE(LoadFile(doc, path, "", env));
  hp.boxes.Expect("在使用当前编码的情况下", Answer::No);
  ASSERT_TRUE(LoadFile(doc, path, "", env));
  EXPECT_EQ(Lines(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Loader, OddUtf16Test,
    ::testing::Values(OddUtf16Case{"LittleEndian", std::string("\xFF\xFE" "a\0b", 5), 0, {u"a"}},
                      OddUtf16Case{"BigEndian", std::string("\xFE\xFF\0a\0", 5), 0, {u"a"}},
                      OddUtf16Case{"Forced", std::string("a\0b\0c", 5), 1200, {u"ab"}}),
    [](const ::testing::TestParamInfo<OddUtf16Case>& info) { return std::string(info.param.name); });

// The size a file reports is only a hint: files under /proc say 0.
TEST_F(FileLoaderTest, ReadsToTheEndWhateverTheSizeSays) {
  FileInfo info;
  ASSERT_FALSE(hp.files.Stat("/proc/self/status", info));
  ASSERT_EQ(info.size, 0u);
  ASSERT_TRUE(LoadFile(doc, "/proc/self/status", "", env));
  EXPECT_EQ(Lines()[0].substr(0, 5), u"Name:");
}

struct ChunkedStream final : File {
  std::string data;
  std::size_t at = 0;
  FileError Read(void* b, std::size_t n, std::size_t& got) override {
    got = std::min<std::size_t>({n, data.size() - at, 1000});  // a pipe gives what it has
    std::memcpy(b, data.data() + at, got);
    at += got;
    return {};
  }
  FileError Write(const void*, std::size_t) override { return {EBADF, "read only"}; }
  FileError Sync() override { return {}; }
  FileError Close() override { return {}; }
};

TEST_F(FileLoaderTest, StreamsAreBoundedLikeFiles) {
  ChunkedStream in;
  in.data = std::string(200000, 'x');
  char* bytes = nullptr;
  std::size_t size = 0;
  ASSERT_TRUE(ReadWholeStream(in, 0, "-", bytes, size, 200000));
  EXPECT_EQ(size, 200000u);
  EXPECT_EQ(std::string(bytes, size), in.data);
  std::free(bytes);
  // One byte over the limit: the too-large message, not an abort.
  in.at = 0;
  hp.boxes.Expect({"文件大小超过 2 GB", Answer::Ok, false, Buttons::Ok, Icon::Stop});
  EXPECT_FALSE(ReadWholeStream(in, 0, "-", bytes, size, 199999));
  // Memory that runs out while the stream grows: the out-of-memory message.
  in.at = 0;
  static int allowed;
  allowed = 1;
  testing_hooks::SetLoadAllocator([](std::size_t n) { return allowed-- > 0 ? std::malloc(n) : nullptr; });
  hp.boxes.Expect({"内存不足", Answer::Ok, false, Buttons::Ok, Icon::Stop});
  bool ok = ReadWholeStream(in, 0, "-", bytes, size);
  testing_hooks::SetLoadAllocator(nullptr);
  EXPECT_FALSE(ok);
}

TEST_F(FileLoaderTest, ChoosingUtf16GoesToTheUtf16Path) {
  env.settings.encoding = 20127;  // US-ASCII: every byte above 7F fails
  ScriptedChooser chooser;
  chooser.answers = {1200};
  env.chooser = &chooser;
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  ASSERT_TRUE(LoadFile(doc, dir.Write("u.txt", std::string("a\0\xE9\0", 4)), "", env));
  EXPECT_EQ(doc.encoding, 1200);
  EXPECT_EQ(Lines(), (LineList{u"a\u00E9"}));
}

TEST_F(FileLoaderTest, PerOpenOverride) {
  {
    // A forced UTF-8 on a file with the signature: signature kept, not in the text.
    ScopedEncodingOverride forced(65001);
    ASSERT_TRUE(Load("\xEF\xBB\xBF\xC3\xA9"));
    EXPECT_EQ(doc.encoding, 65001);
    EXPECT_TRUE(doc.utf8Signature);
    EXPECT_EQ(Lines(), (LineList{u"\u00E9"}));
  }
  {
    // A forced code page replaces detection (these bytes would be UTF-8).
    ScopedEncodingOverride forced(1252);
    ASSERT_TRUE(Load("\xC3\xA9"));
    EXPECT_EQ(doc.encoding, 1252);
    EXPECT_EQ(Lines(), (LineList{u"\u00C3\u00A9"}));
  }
  {
    // Forced UTF-16 LE on a file with the signature: the signature is dropped.
    ScopedEncodingOverride forced(1200);
    ASSERT_TRUE(Load(std::string("\xFF\xFEz\0", 4)));
    EXPECT_EQ(Lines(), (LineList{u"z"}));
    ScopedEncodingOverride big(1201);
    ASSERT_TRUE(Load(std::string("\0z", 2)));
    EXPECT_EQ(doc.encoding, 1201);
    EXPECT_EQ(Lines(), (LineList{u"z"}));
  }
  EXPECT_EQ(EncodingOverride(), 0);
}

TEST_F(FileLoaderTest, BatchAnswersWithShift) {
  env.settings.checkInvalidCrLf = true;
  ScopedLoadBatch batch;
  hp.boxes.Expect({"注意: 按住 SHIFT 键重复该答案", Answer::Yes, /*shift=*/true, {}, {}});
  ASSERT_TRUE(Load("a\rb\r\n"));
  // Remembered: no question for the second file.
  ASSERT_TRUE(Load("c\nd\r\n"));
  EXPECT_EQ(Lines(), (LineList{u"c", u"d", u""}));
  EXPECT_EQ(hp.boxes.Shown().size(), 1u);
}

TEST_F(FileLoaderTest, BatchAnswerWithoutShiftIsNotRemembered) {
  env.settings.checkInvalidCrLf = true;
  ScopedLoadBatch batch;
  hp.boxes.Expect("按住 SHIFT", Answer::No);
  hp.boxes.Expect("按住 SHIFT", Answer::No);
  ASSERT_TRUE(Load("a\rb\r\n"));
  ASSERT_TRUE(Load("a\rb\r\n"));
}

TEST_F(FileLoaderTest, ANestedBatchGivesTheOuterOneBack) {
  env.settings.checkInvalidCrLf = true;
  {
    ScopedLoadBatch outer;
    hp.boxes.Expect({"按住 SHIFT", Answer::Yes, /*shift=*/true, {}, {}});
    ASSERT_TRUE(Load("a\rb\r\n"));
    {
      ScopedLoadBatch inner;
      EXPECT_TRUE(CurrentLoadBatch().active);
      EXPECT_FALSE(CurrentLoadBatch().lineBreakAnswer) << "the inner batch starts without answers";
      hp.boxes.Expect("按住 SHIFT", Answer::No);
      ASSERT_TRUE(Load("a\rb\r\n"));
    }
    EXPECT_TRUE(CurrentLoadBatch().active);
    ASSERT_TRUE(Load("c\rd\r\n")) << "the outer answer holds again: no question";
    EXPECT_EQ(hp.boxes.Shown().size(), 2u);
  }
  EXPECT_FALSE(CurrentLoadBatch().active);
}

TEST_F(FileLoaderTest, LogFlagAndProgress) {
  RecordingStatus status;
  env.status = &status;
  ASSERT_TRUE(Load(".LOG\r\nentry"));
  EXPECT_TRUE(doc.logFile);
  ASSERT_TRUE(Load(".log\r\n"));
  EXPECT_FALSE(doc.logFile);
  std::string many;
  for (int i = 0; i < 1000; ++i) many += "line\n";
  status.progress.clear();
  ASSERT_TRUE(Load(many));
  // 0 at the start, then once every 202 lines, never 100 before the end.
  ASSERT_EQ(status.progress.size(), 1u + 1001 / 202);
  EXPECT_EQ(status.progress.front(), 0);
  for (int p : status.progress) EXPECT_LE(p, 99);
  EXPECT_FALSE(status.suspended);
  EXPECT_EQ(status.refreshed, 3);
}

TEST_F(FileLoaderTest, RefusesWhatCannotBeRead) {
  std::string fifo = dir.File("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  doc.Buffer().InsertUnits(0, 0, u"keep", 4);
  for (const std::string& path : {fifo, dir.Path(), dir.File("missing")}) {
    hp.boxes.Expect({"文件操作失败。\r\n" + path + "\r\n\r\n", Answer::Ok, false, Buttons::Ok, Icon::Stop});
    EXPECT_FALSE(LoadFile(doc, path, "", env));
    EXPECT_EQ(Lines(), (LineList{u"keep"}));
  }
  EXPECT_NE(hp.boxes.Shown()[0].text.find(LoadString(24450)), std::string::npos);
}

TEST_F(FileLoaderTest, SizeLimitAndMemoryQuestion) {
  // A sparse file of 2 GB - 1 bytes takes no disk space.
  std::string big = dir.File("big.bin");
  int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 0x7FFFFFFF), 0);
  ::close(fd);
  hp.boxes.Expect({"文件大小超过 2 GB", Answer::Ok, false, Buttons::Ok, Icon::Stop});
  EXPECT_FALSE(LoadFile(doc, big, "", env));

  // 40 MB with 100 MB free: 40 > 25, so the question comes.
  std::string mid = dir.File("mid.txt");
  fd = ::open(mid.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_EQ(::ftruncate(fd, 40 << 20), 0);
  ::close(fd);
  hp.system.SetAvailableMemory(std::uint64_t(100) << 20);
  hp.boxes.Expect({"剩余物理内存: 100 MB\n建议文件大小: 25 MB\n当前文件大小: 40 MB", Answer::No, false,
                   Buttons::YesNo, Icon::Warning});
  EXPECT_FALSE(LoadFile(doc, mid, "", env));
  // Enough memory: no question (the file is 40 MB of NULs).
  hp.system.SetAvailableMemory(std::uint64_t(8) << 30);
  EXPECT_TRUE(LoadFile(doc, mid, "", env));
  EXPECT_EQ(doc.Buffer().LineLength(0), 40 << 20);
}

TEST_F(FileLoaderTest, FailedAllocationKeepsTheDocument) {
  doc.Buffer().InsertUnits(0, 0, u"keep", 4);
  testing_hooks::SetLoadAllocator([](std::size_t) -> void* { return nullptr; });
  hp.boxes.Expect({"内存不足", Answer::Ok, false, Buttons::Ok, Icon::Stop});
  bool ok = Load("abc");
  testing_hooks::SetLoadAllocator(nullptr);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Lines(), (LineList{u"keep"}));
  EXPECT_FALSE(doc.IsModified());
}

// A file system whose files can never be opened for writing (the tests run as
// root, where permission bits do not stop a write).
class UnwritableFiles final : public test::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  FileError CheckWritable(const std::string&) override { return {EACCES, "Permission denied"}; }
};

TEST_F(FileLoaderTest, UnwritableFileOpensReadOnly) {
  UnwritableFiles files(hp.files);
  hp.platform.files = &files;
  ASSERT_TRUE(Load("text"));
  EXPECT_TRUE(doc.readOnly);
  EXPECT_TRUE(doc.readOnlyBecauseUnwritable);
  hp.platform.files = &hp.files;
}

struct FakeRemote final : RemoteFiles {
  std::string cache;
  bool ok = true;
  int disconnects = 0;
  bool IsRemotePath(const std::string& p) override { return p.rfind("ftp(", 0) == 0; }
  bool Download(const std::string&, const std::string& c, CMyEditDoc&) override {
    cache = c;
    if (ok) Write(c, "remote text");
    return ok;
  }
  void Disconnect(const std::string&) override { ++disconnects; }
  static void Write(const std::string& p, const std::string& b) { std::ofstream(p, std::ios::binary) << b; }
};

TEST_F(FileLoaderTest, RemoteFilesGoThroughAnExclusiveCacheFile) {
  FakeRemote remote;
  env.remote = &remote;
  env.settings.backupRemote = false;
  env.settings.disconnect = true;
  ASSERT_TRUE(LoadFile(doc, "ftp(1):/etc/motd", "", env));
  EXPECT_EQ(Lines(), (LineList{u"remote text"}));
  EXPECT_NE(remote.cache.find("/rmt"), std::string::npos);
  EXPECT_EQ(::access(remote.cache.c_str(), F_OK), -1);  // deleted: Backup Remote off
  EXPECT_EQ(remote.disconnects, 1);

  env.settings.backupRemote = true;
  ASSERT_TRUE(LoadFile(doc, "ftp(1):/etc/motd", "", env));
  EXPECT_EQ(doc.remoteCachePath, remote.cache);
  EXPECT_EQ(::access(remote.cache.c_str(), F_OK), 0);
  ::unlink(remote.cache.c_str());

  remote.ok = false;
  env.settings.backupRemote = false;
  EXPECT_FALSE(LoadFile(doc, "ftp(1):/etc/motd", "", env));
  EXPECT_EQ(::access(remote.cache.c_str(), F_OK), -1);
}

}  // namespace
}  // namespace kastrell
