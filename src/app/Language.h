// The interface language: which string table the program shows its texts
// from. The built-in table is Chinese; another language is a table file
// <data folder>/lang/<code page>/strings.txt, used when `Install` / `Language`
// names that code page and it is also the system ANSI code page.
#pragma once
#include <string>
#include <string_view>

#include "platform/Strings.h"

namespace kastrell {

class SystemInfo;
class UserValues;

// The built-in language.
inline constexpr int kBuiltInLanguage = 0;
// The code page whose language table is English.
inline constexpr int kEnglishLanguage = 1252;

// The language of the user's messages locale (LC_ALL, else LC_MESSAGES, else
// LANG): kEnglishLanguage for "en" and "en_*", else kBuiltInLanguage.
int LanguageForLocale(SystemInfo& system);

// `Install` / `Language`. When no value is stored yet (the first start), the
// locale's language, which is stored so that the user can change it later.
int StoredLanguage(UserValues& values, SystemInfo& system);

// <dir>/lang/<codePage>/strings.txt
std::string LanguageTablePath(const std::string& dir, int codePage);

enum class LanguageLoad { Loaded, Missing, WrongVersion, Malformed };

// Reads a language table and checks that its #version equals `version`.
// Malformed (also: unreadable) and WrongVersion set `error` to the reason.
LanguageLoad LoadLanguageTable(const std::string& path, std::string_view version, LanguageStrings& out,
                               std::string& error);

// The program version a language table must carry.
std::string_view ProgramVersion();

// Chooses the language at start: `Install` / `Language` (StoredLanguage) when
// it is not 0, is the system ANSI code page and a valid code page. Its table is
// looked for in the program's own data folder, then in `installDir`. A table
// of another version shows 21627, a malformed one the file error; either way,
// and when no table exists, the built-in texts stay. Installs the chosen texts
// (SetLanguageStrings) and returns the language in use.
int StartLanguage(UserValues& values, const std::string& installDir);

}  // namespace kastrell
