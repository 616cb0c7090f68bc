#include "recording/device_names.h"

#include <gtest/gtest.h>

namespace plinkora::testing {
namespace {

TEST(WindowsDeviceNames, EveryFormWindowsOpensAsADeviceIsKnown) {
    for (const char* device : {"CON",
                               "con",
                               "PRN",
                               "AUX",
                               "NUL",
                               "Nul",
                               "COM1",
                               "com9",
                               "COM0",
                               "LPT1",
                               "lpt3",
                               "CONIN$",
                               "conout$",
                               "COM\xC2\xB9",
                               "LPT\xC2\xB3",
                               "nul.plk",
                               "NUL.tar.gz",
                               "CON.mid",
                               "nul .plk",
                               "COM1  .wav",
                               "nul:",
                               "aux:stream",
                               "C:\\songs\\nul.plk",
                               "/tmp/x/Con.mid",
                               "dir/sub\\PRN"}) {
        EXPECT_TRUE(IsWindowsDeviceName(device)) << device;
    }
}

TEST(WindowsDeviceNames, NamesThatOnlyLookAlikeAreFiles) {
    for (const char* file :
         {"", "CONSOLE.plk", "NULL", "nul1", "COM", "COM10", "LPT", "COMA", "xNUL", "COM\xC2\xB4",
          "CON_IN", ".nul", "song.plk", "nul.plk\\song.plk", "CON/file.mid", "曲子 é.plk"}) {
        EXPECT_FALSE(IsWindowsDeviceName(file)) << file;
    }
}

}  // namespace
}  // namespace plinkora::testing
