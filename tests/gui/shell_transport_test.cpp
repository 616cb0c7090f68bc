#include <QTemporaryDir>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "recording/document.h"
#include "recording/midi_export.h"
#include "recording/playback.h"
#include "shell/command_ids.h"
#include "shell_test_fixture.h"

namespace plinkora::testing {
namespace {

enum class State { Empty, Recording, Ready, ReadySaved, Playing };

std::vector<char> Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

class TransportTest : public ShellTest {
  protected:
    // Every item and button of the transport, as the state says.
    void ExpectState(State state) {
        const bool ready = state == State::Ready || state == State::ReadySaved;
        const bool idle = ready || state == State::Empty;
        const std::array<std::pair<int, bool>, 9> items = {{
            {kBeginRecordCommand, idle},
            {kEndRecordCommand, state == State::Recording},
            {kPlayCommand, ready},
            {kCirclePlayCommand, ready},
            {kEndPlayingCommand, state == State::Playing},
            {kSaveCommand, state == State::Ready},
            {kSaveAsCommand, ready},
            {kExportCommand, ready},
            {kLoadCommand, idle},
        }};
        for (const auto& [command, enabled] : items) {
            EXPECT_EQ(Enabled(command), enabled) << "item " << command;
            if (QPushButton* button = window_->Button(command)) {
                EXPECT_EQ(button->isEnabled(), enabled) << "button " << command;
            }
        }
    }

    // Records A pressed 20 ms after the start and held for 30 ms.
    void RecordA() {
        Choose(kBeginRecordCommand);
        clock_.now += 20;
        Press(kNativeA, Qt::Key_A);
        clock_.now += 30;
        Release(kNativeA, Qt::Key_A);
        Choose(kEndRecordCommand);
    }

    std::string TempPath(const char* name) const { return dir_.filePath(name).toStdString(); }

    QTemporaryDir dir_;
};

TEST_F(TransportTest, StateTableWalk) {
    MainWindow& window = Start();
    ExpectState(State::Empty);
    Choose(kBeginRecordCommand);
    ExpectState(State::Recording);
    Choose(kEndRecordCommand);  // nothing played
    ExpectState(State::Empty);
    EXPECT_FALSE(window.recording().documentModified);

    RecordA();
    ExpectState(State::Ready);
    EXPECT_TRUE(window.recording().documentModified);
    Choose(kCirclePlayCommand);
    ExpectState(State::Playing);
    Settle(250);  // several rounds of 50 ms: a loop never ends by itself
    ExpectState(State::Playing);
    Choose(kEndPlayingCommand);
    ExpectState(State::Ready);

    prompts_.files = {TempPath("walk.plk")};
    Choose(kSaveAsCommand);
    ExpectState(State::ReadySaved);
    Choose(kPlayCommand);
    ExpectState(State::Playing);
    Choose(kEndPlayingCommand);
    ExpectState(State::ReadySaved);

    // With the device closed, recording and playing are refused and nothing moves.
    Choose(kCloseDeviceCommand);
    Choose(kPlayCommand);
    Choose(kBeginRecordCommand);
    ExpectState(State::ReadySaved);
    ASSERT_EQ(prompts_.messages.size(), 2u);
    EXPECT_EQ(prompts_.messages[0].caption, "Clew");
    EXPECT_EQ(prompts_.messages[0].text, "Please Open Switch");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::None);
}

TEST_F(TransportTest, SinglePlayEndsByItselfAndSilencesEveryChannel) {
    MainWindow& window = Start();
    RecordA();
    Words().clear();
    Choose(kPlayCommand);
    ASSERT_TRUE(WaitUntil([&] { return !Enabled(kEndPlayingCommand); }));
    ExpectState(State::Ready);
    ASSERT_EQ(Words().size(), 2u + 16u);
    EXPECT_EQ(Words()[0], NoteOn(0, 60, 127));
    EXPECT_EQ(Words()[1], NoteOff(0, 60));
    EXPECT_EQ(Words().back(), ShortMessage(kControlChange, 15, 123, 0));
    EXPECT_FALSE(window.recording().isRecording);
}

TEST_F(TransportTest, SaveLoadAndExportWriteTheRecordingsBytes) {
    MainWindow& window = Start();
    RecordA();
    const EventList expected = {{20, 256, KeyParam(30), 0}, {30, 257, KeyParam(30), 0}};
    ASSERT_EQ(window.recording().recordingList, expected);

    prompts_.files = {TempPath("tune.plk")};
    Choose(kSaveCommand);  // untitled: asks for a name
    EXPECT_EQ(prompts_.fileDialogs, std::vector<FileDialogKind>{FileDialogKind::SaveDocument});
    ASSERT_EQ(SaveDocument(expected, 1297, false, TempPath("expected.plk")), nullptr);
    EXPECT_EQ(Bytes(TempPath("tune.plk")), Bytes(TempPath("expected.plk")));
    EXPECT_EQ(Title(), "Plinkora - [tune.plk]");
    ExpectState(State::ReadySaved);

    Choose(kBeginRecordCommand);  // drops the recording without asking
    Choose(kEndRecordCommand);
    EXPECT_TRUE(prompts_.questions.empty());
    prompts_.files = {TempPath("tune.plk")};
    Choose(kLoadCommand);
    EXPECT_EQ(window.recording().recordingList, expected);
    ExpectState(State::ReadySaved);

    // A titled document is saved without a dialog.
    Choose(1298);
    RecordA();
    Choose(kSaveCommand);
    EXPECT_EQ(prompts_.fileDialogs.size(), 2u);
    ASSERT_EQ(SaveDocument(expected, 1298, false, TempPath("expected.plk")), nullptr);
    EXPECT_EQ(Bytes(TempPath("tune.plk")), Bytes(TempPath("expected.plk")));

    prompts_.files = {TempPath("tune.mid")};
    Choose(kExportCommand);
    const std::optional<std::vector<uint8_t>> midi = BuildMidiFile(expected, 1298, 0, false);
    ASSERT_TRUE(midi);
    EXPECT_EQ(Bytes(TempPath("tune.mid")), std::vector<char>(midi->begin(), midi->end()));
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(TransportTest, ClosingWithAnUnsavedRecordingAsks) {
    MainWindow& window = Start();
    RecordA();
    prompts_.answers = {Answer::Cancel};
    window.close();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(prompts_.questions.size(), 1u);
    EXPECT_EQ(prompts_.questions[0], "Plinkora: Do you save current change in Untitled?");

    // Yes, then a cancelled save dialog, keeps the window as well.
    prompts_.answers = {Answer::Yes};
    window.close();
    EXPECT_TRUE(window.isVisible());

    prompts_.answers = {Answer::Yes};
    prompts_.files = {TempPath("kept.plk")};
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(std::filesystem::exists(TempPath("kept.plk")));
}

TEST_F(TransportTest, LogOffIsRefusedOnlyByCancel) {
    MainWindow& window = Start();
    EXPECT_TRUE(window.QueryEndSession());
    RecordA();
    prompts_.answers = {Answer::Cancel, Answer::No};
    EXPECT_FALSE(window.QueryEndSession());
    EXPECT_TRUE(window.QueryEndSession());
}

TEST_F(TransportTest, LoadAfterAnUnsavedRecordingAsksFirst) {
    MainWindow& window = Start();
    RecordA();
    prompts_.answers = {Answer::Cancel};
    Choose(kLoadCommand);
    EXPECT_TRUE(prompts_.fileDialogs.empty());

    prompts_.answers = {Answer::No};
    Choose(kLoadCommand);  // the open dialog, cancelled
    EXPECT_EQ(prompts_.fileDialogs, std::vector<FileDialogKind>{FileDialogKind::OpenDocument});
    EXPECT_EQ(window.recording().RecordedCount(), 2u);
    ExpectState(State::Ready);
}

TEST_F(TransportTest, FailedLoadLeavesEverythingButTheName) {
    MainWindow& window = Start();
    RecordA();
    prompts_.files = {TempPath("first.plk")};
    Choose(kSaveCommand);
    std::ofstream(TempPath("junk.plk")) << "not a RIFF file at all";

    prompts_.files = {TempPath("junk.plk")};
    Choose(kLoadCommand);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "File junk.plk is not a standard Plinkora file.");
    EXPECT_EQ(prompts_.messages[0].caption, "Plinkora");
    EXPECT_EQ(Title(), "Plinkora - [first.plk]");
    EXPECT_EQ(window.recording().RecordedCount(), 2u);
    ExpectState(State::ReadySaved);

    // The document is untitled now, so Save as well as Save as asks for a name.
    Choose(kBeginRecordCommand);
    Choose(kEndRecordCommand);
    RecordA();
    Choose(kSaveCommand);
    EXPECT_EQ(prompts_.fileDialogs.back(), FileDialogKind::SaveDocument);
}

TEST_F(TransportTest, FailedSaveAndExportAreReported) {
    Start();
    RecordA();
    const std::string nowhere = TempPath("missing/tune.plk");
    prompts_.files = {nowhere};
    Choose(kSaveCommand);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(Title(), "Plinkora - [Untitled]");
    ExpectState(State::Ready);  // still unsaved

    prompts_.files = {TempPath("missing/tune.mid")};
    Choose(kExportCommand);
    ASSERT_EQ(prompts_.messages.size(), 2u);
    EXPECT_EQ(prompts_.messages[1].text, "Can not write to file tune.mid.");
}

}  // namespace
}  // namespace plinkora::testing
