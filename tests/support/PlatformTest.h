// Base fixture for logic tests: installs a headless platform and fails the
// test on any message box or internal-error report it did not claim.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"

namespace kastrell::test {

class PlatformTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& f : hp.boxes.Failures()) ADD_FAILURE() << f;
    for (const std::string& r : hp.diagnostics.Reports()) ADD_FAILURE() << "unclaimed report: " << r;
  }
  // Returns the "Unexpected Error" reports so far and forgets them.
  std::vector<std::string> TakeReports() {
    std::vector<std::string> r = hp.diagnostics.Reports();
    hp.diagnostics.Clear();
    return r;
  }

  HeadlessPlatform hp;
};

}  // namespace kastrell::test
