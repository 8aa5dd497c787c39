// The sink for internal consistency guards ("Unexpected Error ..." boxes).
// Guards report and go on with a safe value; they never stop an operation.
#pragma once
#include <string>
#include <string_view>

namespace kastrell {

class MessageBoxes;

// The texts of the guards, shown in English as they stand.
namespace unexpected {
inline constexpr std::string_view kRowPastEnd = "Unexpected Error GRP";
inline constexpr std::string_view kEmptyRowTable = "Unexpected Error GLP";
inline constexpr std::string_view kLineWithoutStore = "Unexpected Error GRLIE\n%d";
inline constexpr std::string_view kCaretLinePastEnd = "Unexpected Error GC";
}  // namespace unexpected

class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  virtual void UnexpectedError(std::string_view text) = 0;
};

// Shows each report as a plain OK message box.
class MessageBoxDiagnostics final : public Diagnostics {
 public:
  explicit MessageBoxDiagnostics(MessageBoxes& boxes) : boxes_(boxes) {}
  void UnexpectedError(std::string_view text) override;

 private:
  MessageBoxes& boxes_;
};

}  // namespace kastrell
