#include "recording/document.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_test_support.h"

namespace plinkora::testing {
namespace {

using PosixDocumentTest = TempFolderTest;

const EventRecord kPressA{1000, 256, 30u << 16, 0};

TEST_F(PosixDocumentTest, ANamedPipeIsNotOpenedAsADocument) {
    ASSERT_EQ(mkfifo(Path("pipe.plk").c_str(), 0600), 0);  // opening it must not wait
    DocumentContents out;
    EXPECT_EQ(LoadDocument(Path("pipe.plk"), out).Failure(), kCannotFindOrOpen);
}

TEST_F(PosixDocumentTest, AFailedSaveLeavesTheEarlierFileAsItWas) {
    const EventList events(100, kPressA);
    ASSERT_TRUE(SaveDocument({&kPressA, 1}, 1297, false, Path("song.plk")).Ok());
    chmod(Path("song.plk").c_str(), 0640);
    const Bytes earlier = ReadBytes(Path("song.plk"));
    // Writes beyond 1000 bytes fail with EFBIG, as on a full disk.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit lowered{1000, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
    EXPECT_EQ(SaveDocument(events, 1297, false, Path("song.plk")).Failure(), kCannotWrite);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(ReadBytes(Path("song.plk")), earlier);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.plk"});

    // A successful save replaces it whole and keeps its permissions.
    ASSERT_TRUE(SaveDocument(events, 1297, false, Path("song.plk")).Ok());
    EXPECT_EQ(ReadBytes(Path("song.plk")).size(), 104u + 1600);
    struct stat info {};
    stat(Path("song.plk").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.plk"});
}

TEST_F(PosixDocumentTest, AReadOnlyFileIsNeverReplacedThoughTheFolderIsWritable) {
    ASSERT_TRUE(SaveDocument({&kPressA, 1}, 1297, false, Path("kept.plk")).Ok());
    chmod(Path("kept.plk").c_str(), 0444);
    chmod(folder_.c_str(), 0777);
    const Bytes earlier = ReadBytes(Path("kept.plk"));
    const EventList events(3, kPressA);
    const auto save = [&] { return SaveDocument(events, 1297, false, Path("kept.plk")); };
    if (geteuid() != 0) {
        EXPECT_EQ(save().Failure(), kCannotOpenToWrite);
    } else {  // root may write anything: an ordinary user saves instead
        const pid_t child = fork();
        if (child == 0) {
            _exit(setuid(65534) == 0 && save().Failure() == kCannotOpenToWrite ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(ReadBytes(Path("kept.plk")), earlier);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kept.plk"});
}

}  // namespace
}  // namespace plinkora::testing
