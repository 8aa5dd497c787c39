// The fixture of the fault-injection sweeps: an operation runs with the n-th
// allocation (or the n-th writing file operation) failing, for n = 1, 2, …
// until it no longer reaches the failure; after each run the test checks that
// nothing was lost. Only the out-of-memory message or a file error may show.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/Memory.h"
#include "platform/Strings.h"
#include "platform/posix/IcuCodePages.h"
#include "support/FaultyFileSystem.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell::test {

enum class Fault { Allocation, Write };
inline const char* Name(Fault f) { return f == Fault::Allocation ? "allocation" : "write"; }

class FaultSweepTest : public PlatformTest {
 protected:
  FaultSweepTest() {
    hp.platform.codePages = &icu;
    hp.platform.files = &faulty;
  }
  ~FaultSweepTest() override { testing_hooks::FailNthAllocation(0); }

  // Runs op with the n-th fault armed for n = 1, 2, … and calls check(ok, n)
  // after each run, with the fault disarmed. Stops at the first run that
  // never reached its fault, which must succeed; returns that n.
  long Sweep(Fault fault, const std::function<bool()>& op, const std::function<void(bool, long)>& check) {
    constexpr long kLimit = 20000;
    for (long n = 1; n < kLimit; ++n) {
      Arm(fault, n);
      bool ok = op();
      bool fired = fault == Fault::Allocation ? testing_hooks::AllocationFailed() : faulty.WriteFailed();
      Arm(fault, 0);
      SCOPED_TRACE(std::string(Name(fault)) + " " + std::to_string(n) + (fired ? " failed" : " not reached"));
      CheckBoxes(ok);
      check(ok, n);
      if (::testing::Test::HasFailure()) return n;
      if (!fired) {
        EXPECT_TRUE(ok) << "the run without a fault must succeed";
        return n;
      }
    }
    ADD_FAILURE() << "the sweep did not end";
    return kLimit;
  }

  void Arm(Fault fault, long n) {
    if (fault == Fault::Allocation) {
      testing_hooks::FailNthAllocation(n);
    } else {
      faulty.FailNthWrite(n);
    }
  }

  // Only the out-of-memory message or a file error (its reason may be the
  // shortage) may have been shown, and nothing when the operation succeeded.
  void CheckBoxes(bool ok) {
    const std::string outOfMemory(LoadString(24449)), fileError(LoadString(23547));
    for (const MessageRequest& box : hp.boxes.Shown()) {
      bool known = box.text.find(outOfMemory) != std::string::npos || box.text.starts_with(fileError);
      EXPECT_TRUE(known && !ok) << "unexpected box: " << box.text;
    }
    hp.boxes.Clear();
    for (const std::string& r : TakeReports()) ADD_FAILURE() << "internal error: " << r;
  }

  IcuCodePages icu{1252};
  FaultyFileSystem faulty{hp.files};
  TempDir dir;
};

}  // namespace kastrell::test
