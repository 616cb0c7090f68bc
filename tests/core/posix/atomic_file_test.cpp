#include "recording/atomic_file.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "file_test_support.h"

namespace plinkora::testing {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public TempFolderTest {
  protected:
    AtomicWriteResult Write(const std::string& name, const std::string& text = "new") {
        return WriteFileAtomically(
            Path(name), [&](FileOutput& out) { return out.Write(text.data(), text.size()); });
    }
    std::string Read(const std::string& name) const {
        const Bytes bytes = ReadBytes(Path(name));
        return {bytes.begin(), bytes.end()};
    }
    fs::file_type Type(const std::string& name) const {
        return fs::symlink_status(Path(name)).type();
    }
};

TEST_F(AtomicFile, LinksAreFollowedAndWhatIsNoRegularFileIsLeftAlone) {
    ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
    fs::create_directory(Path("folder"));
    WriteBytes(Path("real.mid"), Text("old"));
    fs::create_symlink("pipe", Path("to-pipe"));
    fs::create_symlink("real.mid", Path("to-real"));
    fs::create_symlink("to-real", Path("to-link"));
    fs::create_symlink("made.mid", Path("dangling"));
    fs::create_symlink("loop-b", Path("loop-a"));
    fs::create_symlink("loop-a", Path("loop-b"));
    const bool root = geteuid() == 0;  // only root may make a device node
    if (root) {
        ASSERT_EQ(mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        fs::create_symlink("null", Path("to-null"));
    }

    for (const char* refused : {"pipe", "folder", "to-pipe", "loop-a"}) {
        EXPECT_EQ(Write(refused), AtomicWriteResult::kCannotCreate) << refused;
    }
    if (root) {
        EXPECT_EQ(Write("to-null"), AtomicWriteResult::kCannotCreate);
        EXPECT_EQ(Type("null"), fs::file_type::character);
    }
    EXPECT_EQ(Type("pipe"), fs::file_type::fifo);
    EXPECT_EQ(Type("folder"), fs::file_type::directory);

    EXPECT_EQ(Write("to-link", "through two links"), AtomicWriteResult::kOk);
    EXPECT_EQ(Read("real.mid"), "through two links");
    EXPECT_EQ(Write("dangling", "created"), AtomicWriteResult::kOk);
    EXPECT_EQ(Read("made.mid"), "created");
    for (const char* link : {"to-pipe", "to-real", "to-link", "dangling", "loop-a"}) {
        EXPECT_EQ(Type(link), fs::file_type::symlink) << link;
    }
    for (const std::string& name : FolderEntries()) {
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name << " left behind";
    }
}

TEST_F(AtomicFile, ASignalMidWriteRemovesTheTemporaryFileAndStillKills) {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        WriteBytes(Path("song.wav"), Text("old"));
        const auto interrupted = [&] {
            RemoveTemporaryFilesOnSignals();
            static_cast<void>(WriteFileAtomically(Path("song.wav"), [&](FileOutput& out) {
                out.Write("partial", 7);
                out.Flush();
                std::raise(signalNumber);
                return true;
            }));
        };
        EXPECT_EXIT(interrupted(), ::testing::KilledBySignal(signalNumber), "") << signalNumber;
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.wav"}) << signalNumber;
        EXPECT_EQ(Read("song.wav"), "old");
    }
}

TEST_F(AtomicFile, TemporaryFilesOfDeadProcessesGoOnTheNextWriteOfTheirTarget) {
    const pid_t dead = fork();
    if (dead == 0) {
        _exit(0);
    }
    waitpid(dead, nullptr, 0);
    const std::string mine = ".song.mid.tmp-" + std::to_string(getpid()) + "-7-1";
    const std::string abandoned = ".song.mid.tmp-" + std::to_string(dead) + "-0-42";
    const std::string otherTarget = ".tune.mid.tmp-" + std::to_string(dead) + "-0-42";
    for (const std::string& name : {mine, abandoned, otherTarget}) {
        WriteBytes(Path(name), Text("left over"));
    }
    ASSERT_EQ(Write("song.mid"), AtomicWriteResult::kOk);
    EXPECT_FALSE(fs::exists(Path(abandoned)));
    EXPECT_TRUE(fs::exists(Path(mine)));  // a running writer's
    EXPECT_TRUE(fs::exists(Path(otherTarget)));
}

}  // namespace
}  // namespace plinkora::testing
