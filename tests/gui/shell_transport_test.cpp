#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "failing_allocation.h"
#include "recording/document.h"
#include "recording/midi_export.h"
#include "recording/playback.h"
#include "shell_test_fixture.h"
#include "tests/core/file_test_support.h"
#include "window/command_ids.h"

namespace plinkora::testing {
namespace {

class TransportTest : public ShellTest {
  protected:
    // Records A pressed 20 ms after the start and held for 30 ms.
    void RecordA() {
        Choose(kBeginRecordCommand);
        clock_.now += 20;
        Press(kNativeA, Qt::Key_A);
        clock_.now += 30;
        Release(kNativeA, Qt::Key_A);
        Choose(kEndRecordCommand);
    }

    std::string Temp(const char* name) const { return dir_.filePath(name).toStdString(); }

    QTemporaryDir dir_;
};

TEST_F(TransportTest, StateTableWalk) {
    MainWindow& window = Start();
    EXPECT_EQ(Grayed(), kEmpty);
    Choose(kBeginRecordCommand);
    EXPECT_EQ(Grayed(), kRecording);
    Choose(kEndRecordCommand);  // nothing played
    EXPECT_EQ(Grayed(), kEmpty);

    RecordA();
    EXPECT_EQ(Grayed(), kReady);
    Choose(kCirclePlayCommand);
    EXPECT_EQ(Grayed(), kPlaying);
    Settle(250);  // several rounds of 50 ms: a loop never ends by itself
    EXPECT_EQ(Grayed(), kPlaying);
    Choose(kEndPlayingCommand);
    EXPECT_EQ(Grayed(), kReady);

    prompts_.files = {Temp("walk.plk")};
    Choose(kSaveAsCommand);
    EXPECT_EQ(Grayed(), kReadySaved);
    // A single play ends by itself and silences every channel.
    Words().clear();
    Choose(kPlayCommand);
    EXPECT_EQ(Grayed(), kPlaying);
    ASSERT_TRUE(WaitUntil([&] { return !Enabled(kEndPlayingCommand); }));
    EXPECT_EQ(Grayed(), kReadySaved);
    Sent played = AllNotesOff();
    played.insert(played.begin(), {NoteOn(0, 60), NoteOff(0, 60)});
    EXPECT_EQ(Words(), played);

    // With the device closed, recording and playing are refused and nothing moves.
    Choose(kCloseDeviceCommand);
    Choose(kPlayCommand);
    Choose(kBeginRecordCommand);
    EXPECT_EQ(Grayed(), kReadySaved);
    EXPECT_EQ(prompts_.messages, Messages(2, {MessageIcon::None, "Clew: Please Open Switch"}));
    EXPECT_FALSE(window.recording().isRecording);
}

TEST_F(TransportTest, SaveLoadAndExportWriteTheRecordingsBytes) {
    MainWindow& window = Start();
    RecordA();
    const EventList expected = {{20, 256, KeyParam(30), 0}, {30, 257, KeyParam(30), 0}};
    ASSERT_EQ(window.recording().recordingList, expected);

    prompts_.files = {Temp("tune.plk")};
    Choose(kSaveCommand);  // untitled: asks for a name
    ASSERT_TRUE(SaveDocument(expected, 1297, false, Temp("expected.plk")).Ok());
    EXPECT_EQ(ReadBytes(Temp("tune.plk")), ReadBytes(Temp("expected.plk")));
    EXPECT_EQ(Title(), "Plinkora - [tune.plk]");

    Choose(kBeginRecordCommand);  // drops the saved recording without asking
    Choose(kEndRecordCommand);
    prompts_.files = {Temp("tune.plk")};
    Choose(kLoadCommand);
    EXPECT_EQ(window.recording().recordingList, expected);
    EXPECT_EQ(Grayed(), kReadySaved);

    // Titled now: saved again without a dialog.
    Choose(1298);
    RecordA();
    Choose(kSaveCommand);
    ASSERT_TRUE(SaveDocument(expected, 1298, false, Temp("expected.plk")).Ok());
    EXPECT_EQ(ReadBytes(Temp("tune.plk")), ReadBytes(Temp("expected.plk")));
    prompts_.files = {Temp("tune.mid")};
    Choose(kExportCommand);
    const std::optional<std::vector<uint8_t>> midi = BuildMidiFile(expected, 1298, 0, false);
    ASSERT_TRUE(midi);
    EXPECT_EQ(ReadBytes(Temp("tune.mid")), *midi);
    EXPECT_EQ(prompts_.fileDialogs, (std::vector<FileDialogKind>{FileDialogKind::SaveDocument,
                                                                 FileDialogKind::OpenDocument,
                                                                 FileDialogKind::ExportMidi}));
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_TRUE(prompts_.questions.empty());
}

TEST_F(TransportTest, AnUnsavedRecordingIsAskedAboutBeforeLoadLogOffOrClose) {
    MainWindow& window = Start();
    EXPECT_TRUE(window.QueryEndSession());
    RecordA();
    prompts_.answers = {Answer::Cancel, Answer::No, Answer::Cancel, Answer::No};
    Choose(kLoadCommand);
    Choose(kLoadCommand);  // the open dialog, cancelled
    EXPECT_EQ(prompts_.fileDialogs, std::vector<FileDialogKind>{FileDialogKind::OpenDocument});
    EXPECT_EQ(Grayed(), kReady);
    EXPECT_FALSE(window.QueryEndSession());
    EXPECT_TRUE(window.QueryEndSession());

    // Cancel, or Yes and a cancelled save dialog, keep the window.
    prompts_.answers = {Answer::Cancel, Answer::Yes, Answer::Yes};
    window.close();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(prompts_.questions.back(), "Plinkora: Do you save current change in Untitled?");
    window.close();
    EXPECT_TRUE(window.isVisible());
    prompts_.files = {Temp("kept.plk")};
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(std::filesystem::exists(Temp("kept.plk")));
    EXPECT_EQ(prompts_.questions.size(), 7u);
}

TEST_F(TransportTest, RecordingOverAnUnsavedTakeAsksFirst) {
    MainWindow& window = Start();
    RecordA();
    prompts_.answers = {Answer::Cancel, Answer::Yes};
    Choose(kBeginRecordCommand);
    EXPECT_EQ(Grayed(), kReady);
    EXPECT_EQ(window.recording().RecordedCount(), 2u);
    prompts_.files = {Temp("take.plk")};
    Choose(kBeginRecordCommand);
    EXPECT_EQ(Grayed(), kRecording);
    EXPECT_EQ(prompts_.questions,
              std::vector<std::string>(2, "Plinkora: Do you save current change in Untitled?"));
    EXPECT_EQ(ReadBytes(Temp("take.plk")).size(), 104u + 2 * 16);
    Choose(kEndRecordCommand);
    Choose(kBeginRecordCommand);  // saved, and then nothing recorded: nothing to ask
    EXPECT_EQ(prompts_.questions.size(), 2u);
}

TEST_F(TransportTest, NoMemoryForThePlaybackCopyIsReported) {
    MainWindow& window = Start();
    Choose(kBeginRecordCommand);
    window.recording().recordingList.assign(5000, {20, 256, KeyParam(30), 0});
    {
        FailingAllocation noLargeBlocks(5000 * sizeof(EventRecord));
        Choose(kEndRecordCommand);
    }
    EXPECT_EQ(prompts_.messages, (Messages{{MessageIcon::None, "错误: 内存分配错误."}}));
    EXPECT_EQ(window.recording().PlaybackCount(), 0u);
    EXPECT_EQ(window.recording().RecordedCount(), 5000u);
}

TEST_F(TransportTest, FailedSaveExportAndLoadAreReportedAndKeepTheRecording) {
    MainWindow& window = Start();
    RecordA();
    prompts_.files = {Temp("missing/tune.plk"), Temp("missing/tune.mid")};
    Choose(kSaveCommand);
    EXPECT_EQ(Title(), "Plinkora - [Untitled]");
    EXPECT_EQ(Grayed(), kReady);  // still unsaved
    Choose(kExportCommand);

    prompts_.files = {Temp("first.plk"), Temp("junk.plk")};
    Choose(kSaveCommand);
    std::ofstream(Temp("junk.plk")) << "not a RIFF file at all";
    Choose(kLoadCommand);
    EXPECT_EQ(prompts_.messages,
              (Messages{{MessageIcon::Warning, "Plinkora: Can not open file tune.plk to write."},
                        {MessageIcon::Warning, "Plinkora: Can not open file tune.mid to write."},
                        {MessageIcon::Warning,
                         "Plinkora: File junk.plk is not a standard Plinkora file."}}));
    EXPECT_EQ(Title(), "Plinkora - [Untitled]");
    EXPECT_EQ(window.recording().RecordedCount(), 2u);
    EXPECT_EQ(Grayed(), kReadySaved);

    // The failed load forgot the name, so Save asks for one, in the broken file's folder.
    RecordA();
    Choose(kSaveCommand);
    EXPECT_EQ(prompts_.fileDialogs.back(), FileDialogKind::SaveDocument);
    EXPECT_EQ(prompts_.lastPaths.back(), dir_.path().toStdString() + "/");
}

}  // namespace
}  // namespace plinkora::testing
