// Fault-injection sweep of the settings write: with the n-th allocation or
// file write failing, the settings file is the old one or the new one.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/IniStore.h"
#include "support/FaultSweep.h"

namespace kastrell {
namespace {

using test::Fault;
using test::FaultSweepTest;
using test::ReadBytes;
using test::WriteBytes;

// ---------------------------------------------------------------- settings

TEST_F(FaultSweepTest, ASettingsWriteLeavesTheOldFileOrWritesTheNewOne) {
  for (Fault fault : {Fault::Allocation, Fault::Write}) {
    SCOPED_TRACE(std::string(test::Name(fault)) + " faults");
    const std::string path = dir.File("settings_u.ini");
    const std::u16string oldText = u"\uFEFF[Options]\r\nTab=4\r\n";
    std::string oldBytes;
    for (char16_t u : oldText) oldBytes += {char(u & 0xFF), char(u >> 8)};
    auto write = [&] {
      std::unique_ptr<IniBuffer> ini = IniStore::Open(path);
      if (!ini) return false;
      bool set = IniStore::SetInt(ini.get(), u"Options", u"Tab", 8) &&
                 IniStore::SetString(ini.get(), u"Recent", u"File1", u"/home/\u4E2D/a.txt");
      if (!set) {
        IniStore::Close(std::move(ini));
        return false;
      }
      return IniStore::Close(std::move(ini), path);
    };
    WriteBytes(path, oldBytes);
    ASSERT_TRUE(write());
    const std::string newBytes = ReadBytes(path);
    WriteBytes(path, oldBytes);
    Sweep(fault, write, [&](bool ok, long) {
      std::string now = ReadBytes(path);
      EXPECT_TRUE(now == oldBytes || now == newBytes) << "a torn file: " << now.size() << " bytes";
      if (ok) {
        EXPECT_EQ(now, newBytes);
      }
      WriteBytes(path, oldBytes);
    });
  }
}

}  // namespace
}  // namespace kastrell
