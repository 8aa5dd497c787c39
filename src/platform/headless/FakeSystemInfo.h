// System facts chosen by the test.
#pragma once
#include <map>

#include "platform/SystemInfo.h"

namespace kastrell {

class FakeSystemInfo final : public SystemInfo {
 public:
  std::optional<std::string> GetEnv(const std::string& name) override {
    auto it = env_.find(name);
    if (it == env_.end()) return std::nullopt;
    return it->second;
  }
  std::uint64_t AvailableMemory() override { return memory_; }
  std::string ExecutablePath() override { return exe_; }
  std::string CurrentDirectory() override { return cwd_; }

  void SetEnv(const std::string& name, const std::string& value) { env_[name] = value; }
  void UnsetEnv(const std::string& name) { env_.erase(name); }
  void SetAvailableMemory(std::uint64_t bytes) { memory_ = bytes; }
  void SetExecutablePath(std::string p) { exe_ = std::move(p); }
  void SetCurrentDirectory(std::string p) { cwd_ = std::move(p); }

 private:
  std::map<std::string, std::string> env_;
  std::uint64_t memory_ = std::uint64_t(8) << 30;
  std::string exe_ = "/opt/kastrell/bin/kastrell";
  std::string cwd_ = "/";
};

}  // namespace kastrell
