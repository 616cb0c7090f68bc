#include <gtest/gtest.h>
#include <sys/stat.h>

#include "file_test_support.h"
#include "window/tips.h"

namespace plinkora::testing {
namespace {

using PosixTipFiles = TempFolderTest;

TEST_F(PosixTipFiles, ANamedPipeIsNeitherReadNorWritten) {
    TipState state;
    ASSERT_EQ(mkfifo(Path("tips.txt").c_str(), 0600), 0);  // opening it must not wait
    EXPECT_FALSE(LoadTips(state, Path("tips.log"), Path("tips.txt")));
    std::filesystem::remove(Path("tips.txt"));
    WriteBytes(Path("tips.txt"), Text("a"));
    ASSERT_EQ(mkfifo(Path("tips.log").c_str(), 0600), 0);  // nor writing the log
    EXPECT_FALSE(LoadTips(state, Path("tips.log"), Path("tips.txt")));
}

}  // namespace
}  // namespace plinkora::testing
