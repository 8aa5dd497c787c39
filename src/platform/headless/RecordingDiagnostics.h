// Keeps every "Unexpected Error" report so a test can assert on it.
#pragma once
#include <string>
#include <vector>

#include "platform/Diagnostics.h"

namespace kastrell {

class RecordingDiagnostics final : public Diagnostics {
 public:
  void UnexpectedError(std::string_view text) override { reports_.emplace_back(text); }
  const std::vector<std::string>& Reports() const { return reports_; }
  void Clear() { reports_.clear(); }

 private:
  std::vector<std::string> reports_;
};

}  // namespace kastrell
