// Environment, memory and locations of the running process.
#pragma once
#include "platform/SystemInfo.h"

namespace kastrell {

class PosixSystemInfo final : public SystemInfo {
 public:
  std::optional<std::string> GetEnv(const std::string& name) override;
  std::uint64_t AvailableMemory() override;
  std::string ExecutablePath() override;
  std::string CurrentDirectory() override;
};

}  // namespace kastrell
