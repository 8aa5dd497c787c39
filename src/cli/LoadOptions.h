// The options shared by the subcommands that load a file as the editor does,
// and the non-interactive answers to the loading questions.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/PosixPlatform.h"
#include "text/FileLoader.h"

namespace kastrell::cli {

struct LoadOptions {
  std::int32_t encoding = 0;  // --encoding: the per-open override (0: detect)
  std::optional<int> acp;     // --acp: the system ANSI code page
  LoadSettings settings;      // --default-encoding, --pc-format, --check-crlf
  // --invalid: the answer to "characters may be lost": "no" (decode with
  // replacement characters), "cancel", or a code page number (choose that
  // encoding instead). Empty: the command's default.
  std::string invalid;
  bool repair = false;        // --repair: answer Yes to the line-break question
  bool bigFile = true;        // --no-big-file: answer No to the memory question
  bool help = false;           // --help or -h
  std::vector<std::string> files;
};

// A whole decimal number from lo to hi.
bool ParseInt(const char* s, long lo, long hi, long& v);

// Parses argv[0..argc); prints an error and returns false on a bad option.
// "--" ends the options: everything after it is a file.
bool ParseLoadOptions(int argc, char** argv, LoadOptions& out, const char* command);

// Refuses a KASTRELL_ACP that cannot be the ANSI code page; false after the message.
bool CheckAnsiCodePageEnvironment();

// Flushes standard output; false after a message naming the command when
// anything written to it was lost (a full disk, a closed output).
bool FinishOutput(const char* command);
// The option summary for usage texts.
extern const char* const kLoadOptionsHelp;

// A piece of a question's text that tells it apart from the others, for
// ConsoleMessageBoxes::AddAnswer.
std::string QuestionKey(unsigned id);

// Installs the code page and the answers on the platform; the returned
// environment refers to chooser, which must outlive the loads.
class FixedChooser final : public EncodingChooser {
 public:
  std::optional<std::int32_t> chosen;
  std::optional<std::int32_t> ChooseEncoding(std::int32_t) override { return chosen; }
};
LoadEnvironment ApplyLoadOptions(const LoadOptions& options, PosixPlatform& platform, FixedChooser& chooser);

// The platform and load environment of one subcommand: installs a POSIX
// platform with the options' code page and answers for its lifetime.
class LoadSession {
 public:
  explicit LoadSession(const LoadOptions& options)
      : installed_(posix.platform), env_(ApplyLoadOptions(options, posix, chooser_)), encoding_(options.encoding) {}
  // Loads path into doc as the editor does, with the --encoding override.
  bool Load(CMyEditDoc& doc, const std::string& path) {
    ScopedEncodingOverride forced{encoding_};
    return LoadFile(doc, path, path, env_);
  }
  const LoadEnvironment& Environment() const { return env_; }

  PosixPlatform posix;

 private:
  ScopedPlatform installed_;
  FixedChooser chooser_;
  LoadEnvironment env_;
  std::int32_t encoding_;
};

}  // namespace kastrell::cli
