// Facts about the running system and process: environment, memory, locations.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kastrell {

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual std::optional<std::string> GetEnv(const std::string& name) = 0;
  // Physical memory available to new allocations, in bytes.
  virtual std::uint64_t AvailableMemory() = 0;
  // Absolute path of the running executable.
  virtual std::string ExecutablePath() = 0;
  virtual std::string CurrentDirectory() = 0;
};

// Replaces each %NAME% whose closing '%' exists by the variable's value; an
// unset variable, "%%" and a lone '%' stay as written.
std::string ExpandEnvironmentReferences(std::string_view text, SystemInfo& system);

}  // namespace kastrell
