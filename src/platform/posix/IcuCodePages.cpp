#include "platform/posix/IcuCodePages.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/SystemInfo.h"
#include "platform/Utf.h"

namespace kastrell {

namespace {

// Code pages whose ICU name does not follow "windows-N" or "cpN".
struct NamedPage {
  int cp;
  const char* name;
};
constexpr NamedPage kNamedPages[] = {
    {1200, "UTF-16LE"},    {1201, "UTF-16BE"},    {12000, "UTF-32LE"}, {12001, "UTF-32BE"},
    {65000, "UTF-7"},      {65001, "UTF-8"},      {20127, "US-ASCII"}, {28591, "ISO-8859-1"},
    {50220, "ISO-2022-JP"}, {50221, "ISO-2022-JP"}, {50222, "ISO-2022-JP"}, {50225, "ISO-2022-KR"},
    {51932, "EUC-JP"},     {52936, "HZ-GB-2312"}, {54936, "GB18030"},
};

// The Windows numbers offered in encoding lists when ICU can convert them.
constexpr int kKnownPages[] = {
    37,    437,   500,   720,   737,   775,   850,   852,   855,   857,   858,   860,   861,   862,
    863,   864,   865,   866,   869,   870,   874,   875,   932,   936,   949,   950,   1026,  1047,
    1140,  1200,  1201,  1250,  1251,  1252,  1253,  1254,  1255,  1256,  1257,  1258,  10000, 10006,
    10007, 10029, 10081, 12000, 12001, 20127, 20866, 21866, 28591, 28592, 28593, 28594, 28595, 28596,
    28597, 28598, 28599, 28603, 28605, 50220, 50225, 51932, 51949, 52936, 54936, 65000, 65001,
};

UConverter* OpenConverter(const std::string& name) {
  UErrorCode err = U_ZERO_ERROR;
  UConverter* c = ucnv_open(name.c_str(), &err);
  if (U_FAILURE(err) || err == U_USING_DEFAULT_WARNING) {
    if (c) ucnv_close(c);
    return nullptr;
  }
  return c;
}

// Lenient decoding writes U+FFFD for every invalid or unmapped sequence (ICU's
// own substitute is U+001A for some single-byte tables).
void ToUReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                    UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone
  static const UChar kReplacement = 0xFFFD;
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, err);
}

// Whether units encode back to exactly the given bytes, compared piece by
// piece so that no second copy of a large file is needed.
bool EncodesBackTo(UConverter* encoder, const char16_t* units, std::size_t count, const char* bytes,
                   std::size_t size) {
  ucnv_reset(encoder);
  const UChar* src = reinterpret_cast<const UChar*>(units);
  const UChar* end = src + count;
  char chunk[1 << 16];
  std::size_t at = 0;
  while (true) {
    char* target = chunk;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_fromUnicode(encoder, &target, chunk + sizeof chunk, &src, end, nullptr, true, &err);
    std::size_t got = std::size_t(target - chunk);
    if (got > size - at || std::memcmp(chunk, bytes + at, got) != 0) return false;
    at += got;
    if (err == U_BUFFER_OVERFLOW_ERROR) continue;
    if (U_FAILURE(err)) return false;
    break;
  }
  return at == size;
}

}  // namespace

int AnsiCodePageForLocale(const std::string& locale) {
  std::string l = locale.substr(0, locale.find_first_of(".@"));
  auto starts = [&](const char* p) { return l.rfind(p, 0) == 0; };
  if (starts("zh_CN") || starts("zh_SG")) return 936;
  if (starts("zh_TW") || starts("zh_HK") || starts("zh_MO")) return 950;
  if (starts("ja")) return 932;
  if (starts("ko")) return 949;
  if (starts("ru") || starts("uk") || starts("bg") || starts("be") || starts("sr") || starts("mk"))
    return 1251;
  if (starts("cs") || starts("sk") || starts("pl") || starts("hu") || starts("sl") || starts("hr") ||
      starts("ro") || starts("bs") || starts("sq"))
    return 1250;
  if (starts("el")) return 1253;
  if (starts("tr") || starts("az")) return 1254;
  if (starts("he") || starts("iw")) return 1255;
  if (starts("ar") || starts("fa") || starts("ur")) return 1256;
  if (starts("lt") || starts("lv") || starts("et")) return 1257;
  if (starts("vi")) return 1258;
  if (starts("th")) return 874;
  return 1252;
}

std::string CodePageRefusal(long cp) {
  if (cp == 1200 || cp == 1201) return {};
  if (cp <= 0 || cp > 99999 || !IcuCodePages(1252).IsValidCodePage(int(cp))) return "no converter knows this code page";
  return {};
}

std::string AnsiCodePageRefusal(const std::string& value) {
  char* end = nullptr;
  long v = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || end == value.c_str() || *end != 0) return "not a code page number";
  if (v == 1200 || v == 1201) return "UTF-16 cannot be the ANSI code page (it has no single-byte form)";
  if (v == 0) return "0 stands for the ANSI code page itself; give its number";
  return CodePageRefusal(v);
}

int AnsiCodePageFromEnvironment(SystemInfo& system) {
  if (auto acp = system.GetEnv("KASTRELL_ACP"); acp && !acp->empty()) {
    std::string why = AnsiCodePageRefusal(*acp);
    if (why.empty()) return int(std::strtol(acp->c_str(), nullptr, 10));
    std::fprintf(stderr, "kastrell: KASTRELL_ACP=%s is ignored: %s\n", acp->c_str(), why.c_str());
  }
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    auto v = system.GetEnv(name);
    if (v && !v->empty()) return AnsiCodePageForLocale(*v);
  }
  return 1252;
}

struct IcuCodePages::Table {
  UConverter* decoder = nullptr;  // converters keep state, so one per direction
  UConverter* encoder = nullptr;
  // Every byte sequence that decodes strictly encodes back to itself, so
  // strict decoding needs no round-trip check (proven for single-byte tables).
  bool roundTripSafe = false;
  bool utf8 = false;
  ~Table() {
    if (decoder) ucnv_close(decoder);
    if (encoder) ucnv_close(encoder);
  }
};

IcuCodePages::IcuCodePages(int ansiCodePage) : ansi_(ansiCodePage) {}
IcuCodePages::~IcuCodePages() = default;

std::string IcuCodePages::ConverterName(int codePage) {
  for (const NamedPage& p : kNamedPages)
    if (p.cp == codePage) return p.name;
  for (const char* prefix : {"windows-", "cp"}) {
    std::string name = prefix + std::to_string(codePage);
    if (UConverter* c = OpenConverter(name)) {
      ucnv_close(c);
      return name;
    }
  }
  return {};
}

IcuCodePages::Table* IcuCodePages::Find(int codePage) const {
  if (codePage <= 0) return nullptr;
  auto it = tables_.find(codePage);
  if (it != tables_.end()) return it->second.get();
  std::unique_ptr<Table> t;
  std::string name = ConverterName(codePage);
  if (!name.empty()) {
    t = std::make_unique<Table>();
    t->decoder = OpenConverter(name);
    t->encoder = OpenConverter(name);
    t->utf8 = codePage == 65001;
    if (!t->decoder || !t->encoder) {
      t.reset();
    } else {
      UErrorCode err = U_ZERO_ERROR;
      // No best-fit mappings on the way out: a character without an exact
      // mapping must be reported, not silently replaced by a look-alike.
      ucnv_setFallback(t->encoder, false);
      ucnv_setFromUCallBack(t->encoder, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
      bool unicode = codePage == 65001 || codePage == 1200 || codePage == 1201 || codePage == 12000 ||
                     codePage == 12001;
      if (unicode) {
        t->roundTripSafe = codePage != 65000;
      } else if (ucnv_getMaxCharSize(t->decoder) == 1) {
        // Try every byte: a table is safe when each byte it defines comes back.
        bool safe = true;
        for (int b = 0; b < 256 && safe; ++b) {
          char in = char(b);
          UChar u[4];
          UErrorCode e = U_ZERO_ERROR;
          ucnv_reset(t->decoder);
          ucnv_setToUCallBack(t->decoder, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &e);
          int32_t n = ucnv_toUChars(t->decoder, u, 4, &in, 1, &e);
          if (U_FAILURE(e)) continue;  // undefined byte: strict decoding reports it
          char back[8];
          e = U_ZERO_ERROR;
          ucnv_reset(t->encoder);
          int32_t m = ucnv_fromUChars(t->encoder, back, 8, u, n, &e);
          safe = U_SUCCESS(e) && m == 1 && back[0] == in;
        }
        t->roundTripSafe = safe;
      }
    }
  }
  Table* raw = t.get();
  tables_[codePage] = std::move(t);
  return raw;
}

bool IcuCodePages::IsValidCodePage(int codePage) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return Find(Resolve(codePage)) != nullptr;
}

std::vector<int> IcuCodePages::AvailableCodePages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<int> out;
  for (int cp : kKnownPages)
    if (Find(cp)) out.push_back(cp);
  return out;
}

bool IcuCodePages::EncodesInPieces(int codePage) const {
  std::lock_guard<std::mutex> lock(mutex_);
  Table* t = Find(Resolve(codePage));
  if (!t) return false;
  // Table-driven and Unicode encoders keep no state between characters; the
  // ISO-2022 family, HZ, UTF-7, SCSU, BOCU-1 and the EBCDIC code pages with
  // shift bytes do.
  switch (ucnv_getType(t->encoder)) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_US_ASCII:
    case UCNV_UTF8:
    case UCNV_UTF16_BigEndian:
    case UCNV_UTF16_LittleEndian:
    case UCNV_UTF32_BigEndian:
    case UCNV_UTF32_LittleEndian:
    case UCNV_CESU8:
      return true;
    default:
      return false;
  }
}

ConvertResult IcuCodePages::ToUtf16(int codePage, const char* bytes, std::size_t size, DecodeMode mode,
                                    char16_t* dest, std::size_t destCapacity) {
  std::lock_guard<std::mutex> lock(mutex_);
  Table* t = Find(Resolve(codePage));
  ConvertResult r;
  if (!t) return r;
  if (size > std::size_t(INT32_MAX) || destCapacity > std::size_t(INT32_MAX)) return r;
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = 0;
  if (t->utf8) {
    // UTF-8 has its own fast path; it never needs more units than bytes.
    std::size_t written = 0;
    if (dest && destCapacity >= size) {
      r.ok = Utf8ToUtf16(bytes, size, dest, mode == DecodeMode::Strict, written);
      r.length = r.ok ? written : 0;
      return r;
    }
    std::u16string scratch(size, u'\0');
    bool ok = Utf8ToUtf16(bytes, size, scratch.data(), mode == DecodeMode::Strict, written);
    if (!ok) return r;
    r.length = written;
    if (!dest) {
      r.ok = true;
    } else if (written <= destCapacity) {
      std::copy_n(scratch.data(), written, dest);
      r.ok = true;
    } else {
      r.overflow = true;
    }
    return r;
  }
  ucnv_reset(t->decoder);
  if (mode == DecodeMode::Strict)
    ucnv_setToUCallBack(t->decoder, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  else
    ucnv_setToUCallBack(t->decoder, ToUReplacement, nullptr, nullptr, nullptr, &err);
  n = ucnv_toUChars(t->decoder, reinterpret_cast<UChar*>(dest), int32_t(destCapacity), bytes, int32_t(size), &err);
  if (err == U_BUFFER_OVERFLOW_ERROR) {
    r.length = std::size_t(n);
    r.overflow = true;
    r.ok = dest == nullptr;  // a length query
    return r;
  }
  if (err == U_STRING_NOT_TERMINATED_WARNING) err = U_ZERO_ERROR;
  if (U_FAILURE(err)) return r;
  r.length = std::size_t(n);
  if (mode == DecodeMode::Strict && !t->roundTripSafe && dest && !EncodesBackTo(t->encoder, dest, r.length, bytes, size))
    return {};
  r.ok = true;
  return r;
}

ConvertResult IcuCodePages::FromUtf16(int codePage, const char16_t* units, std::size_t count, char* dest,
                                      std::size_t destCapacity) {
  std::lock_guard<std::mutex> lock(mutex_);
  Table* t = Find(Resolve(codePage));
  ConvertResult r;
  if (!t) return r;
  if (count > std::size_t(INT32_MAX) || destCapacity > std::size_t(INT32_MAX)) return r;
  if (t->utf8) {
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = 0;
    int32_t subs = 0;
    u_strToUTF8WithSub(dest, int32_t(destCapacity), &n, reinterpret_cast<const UChar*>(units), int32_t(count),
                       0xFFFD, &subs, &err);
    r.length = std::size_t(n);
    r.usedDefault = subs > 0;  // lone surrogates cannot be written as UTF-8
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      r.overflow = true;
      r.ok = dest == nullptr;
      return r;
    }
    r.ok = U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING;
    return r;
  }
  // Convert piece by piece so that an unmappable unit can be replaced by the
  // default character '?' (in the code page's own bytes) and reported,
  // without ICU's best fit.
  ucnv_reset(t->encoder);
  char sub[8];
  int32_t subLen = 0;
  {
    static const UChar kQuestion = u'?';
    UErrorCode e = U_ZERO_ERROR;
    subLen = ucnv_fromUChars(t->encoder, sub, sizeof sub, &kQuestion, 1, &e);
    if (U_FAILURE(e) || subLen <= 0) {
      sub[0] = '?';
      subLen = 1;
    }
    ucnv_reset(t->encoder);
  }
  const UChar* src = reinterpret_cast<const UChar*>(units);
  const UChar* srcEnd = src + count;
  char scratch[4096];
  std::size_t written = 0;
  bool overflow = false;
  auto emit = [&](const char* p, std::size_t n) {
    if (dest) {
      if (written + n > destCapacity) {
        overflow = true;
      } else {
        std::memcpy(dest + written, p, n);
      }
    }
    written += n;
  };
  while (true) {
    char* target = scratch;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_fromUnicode(t->encoder, &target, scratch + sizeof scratch, &src, srcEnd, nullptr, true, &err);
    emit(scratch, std::size_t(target - scratch));
    if (err == U_BUFFER_OVERFLOW_ERROR) continue;
    if (err == U_INVALID_CHAR_FOUND || err == U_ILLEGAL_CHAR_FOUND || err == U_TRUNCATED_CHAR_FOUND) {
      // The offending units were consumed; write the substitute and go on.
      r.usedDefault = true;
      emit(sub, std::size_t(subLen));
      continue;
    }
    if (U_FAILURE(err)) return {};
    if (src >= srcEnd) break;
  }
  r.length = written;
  if (overflow) {
    r.overflow = true;
    return r;
  }
  r.ok = true;
  return r;
}

}  // namespace kastrell
