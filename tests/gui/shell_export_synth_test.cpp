#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QSlider>
#include <QTemporaryDir>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "recording/midi_export.h"
#include "recording/riff_reader.h"
#include "shell/synth_dialog.h"
#include "shell/synth_settings.h"
#include "shell_test_fixture.h"
#include "tests/core/file_test_support.h"
#include "window/command_ids.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;
constexpr int kNativeSpace = 0x39 + 8;

// The left channel of a 16-bit stereo WAV file written by the export, after its 44 bytes.
std::vector<float> WaveLeft(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    std::vector<float> left;
    for (size_t i = 44; i + 3 < bytes.size(); i += 4) {
        left.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8) / 32768.0f);
    }
    return left;
}

// Amplitude of freq in the samples from..to (Goertzel, 44.1 kHz).
double Amplitude(const std::vector<float>& s, double freq, size_t from, size_t to) {
    const double c = 2 * std::cos(2 * std::numbers::pi * freq / 44100);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < to; ++i) {
        const double s0 = s[i] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2 * std::sqrt(std::max(s1 * s1 + s2 * s2 - c * s1 * s2, 0.0)) / (to - from);
}

class ExportTest : public ShellTest {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSoundFont)) {
            GTEST_SKIP() << kSoundFont << " is not installed";
        }
        synthesizer_.make = [](uint32_t rate) -> std::unique_ptr<RenderTarget> {
            BuiltInSynth* synth = nullptr;
            auto made = BuiltInSynth::Create(kSoundFont, rate);
            synth = made.get();
            struct Target final : RenderTarget {
                std::unique_ptr<BuiltInSynth> synth;
                void Send(uint32_t word) override { synth->Send(word); }
                void Render(float* out, int frames) override { synth->Render(out, frames); }
            };
            auto target = std::make_unique<Target>();
            target->synth = std::move(made);
            return synth ? std::move(target) : nullptr;
        };
    }

    // A (C4) for 500 ms with Shift, then S (D4) under the pedal, as a take.
    void RecordTake() {
        Choose(kBeginRecordCommand);
        modifiers_.shift = true;
        Press(kNativeA, Qt::Key_A, Qt::ShiftModifier);
        clock_.now += 500;
        Release(kNativeA, Qt::Key_A, Qt::ShiftModifier);
        modifiers_.shift = false;
        Press(kNativeSpace, Qt::Key_Space);
        Press(kNativeS, Qt::Key_S);
        clock_.now += 100;
        Release(kNativeS, Qt::Key_S);
        clock_.now += 900;
        Release(kNativeSpace, Qt::Key_Space);
        Choose(kEndRecordCommand);
    }

    std::string Temp(const char* name) const { return dir_.filePath(name).toStdString(); }

    QTemporaryDir dir_;
};

TEST_F(ExportTest, EachKindWritesItsFileAndTheWaveSoundsTheTakesPitches) {
    MainWindow& window = Start();
    RecordTake();
    const EventList& take = window.recording().recordingList;
    ASSERT_EQ(take.size(), 6u);
    prompts_.exports = {ExportChoice{Temp("plain.mid"), ExportKind::StandardMidi},
                        ExportChoice{Temp("played.mid"), ExportKind::MidiAsPlayed},
                        ExportChoice{Temp("take.wav"), ExportKind::WaveAudio}};
    for (int i = 0; i < 3; ++i) {
        Choose(kExportCommand);
    }
    EXPECT_TRUE(prompts_.exportOffersAudio);
    EXPECT_EQ(ReadBytes(Temp("plain.mid")), *BuildMidiFile(take, 1297, 0, false));
    EXPECT_EQ(ReadBytes(Temp("played.mid")), *BuildMidiFile(take, 1297, 0, false, true));
    EXPECT_EQ(window.document().exportTitle, "take.wav");
    EXPECT_TRUE(prompts_.messages.empty());
    ASSERT_FALSE(prompts_.progress.empty());
    EXPECT_EQ(prompts_.progress.back(), 1.0);

    const std::vector<float> left = WaveLeft(Temp("take.wav"));
    ASSERT_GT(left.size(), 44100u * 2);
    // Shifted an octave up: C5 in the first half second; D4 after it, held by the pedal.
    const size_t shifted = 44100 / 10, pedalled = 44100 * 8 / 10;
    EXPECT_GT(Amplitude(left, 523.25, shifted, shifted + 8820),
              5 * Amplitude(left, 261.63, shifted, shifted + 8820));
    EXPECT_GT(Amplitude(left, 293.66, pedalled, pedalled + 8820),
              5 * Amplitude(left, 261.63, pedalled, pedalled + 8820));
}

TEST_F(ExportTest, ACancelledWaveExportLeavesNoFileAndKeepsTheEarlierOne) {
    Start();
    RecordTake();
    std::ofstream(Temp("take.wav")) << "earlier";
    prompts_.cancelAfter = 1;
    prompts_.exports = {ExportChoice{Temp("take.wav"), ExportKind::WaveAudio},
                        ExportChoice{Temp("new.wav"), ExportKind::WaveAudio}};
    Choose(kExportCommand);
    Choose(kExportCommand);
    EXPECT_EQ(ReadBytes(Temp("take.wav")), Text("earlier"));
    EXPECT_FALSE(std::filesystem::exists(Temp("new.wav")));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(prompts_.messages.empty());  // cancelling is no failure
}

// The synthesizer plays on from the samples it holds; the export has to read the file again.
TEST_F(ExportTest, AWaveExportWhoseSoundFontFileIsGoneNamesTheSoundFont) {
    const std::string copy = Temp("copy.sf2");
    std::filesystem::copy_file(kSoundFont, copy);
    std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(copy, 44100);
    ASSERT_TRUE(synth);
    SynthControl control(*synth, dir_.filePath("synthesizer.ini"));
    realSynthesizer_ = &control;
    Start();
    RecordTake();
    std::filesystem::remove(copy);
    prompts_.exports = {ExportChoice{Temp("v1.wav"), ExportKind::WaveAudio}};
    Choose(kExportCommand);
    EXPECT_EQ(prompts_.messages,
              (Messages{{MessageIcon::Warning, "Plinkora: Can not load the SoundFont " + copy +
                                                   ", so no WAV file was written."}}));
    EXPECT_FALSE(std::filesystem::exists(Temp("v1.wav")));
    window_.reset();
}

TEST_F(ExportTest, WithoutASynthesizerTheMenuAndTheExportOfferNoAudio) {
    synthesizer_.make = nullptr;
    MainWindow& window = Start();
    EXPECT_EQ(window.Action(kSynthesizerCommand), nullptr);
    RecordTake();
    prompts_.files = {Temp("plain.mid")};
    Choose(kExportCommand);
    EXPECT_FALSE(prompts_.exportOffersAudio);
    EXPECT_EQ(prompts_.fileDialogs, std::vector<FileDialogKind>{FileDialogKind::ExportMidi});
    EXPECT_TRUE(std::filesystem::exists(Temp("plain.mid")));
}

TEST_F(ExportTest, TheSynthesizerItemComesLastInTheDeviceMenu) {
    MainWindow& window = Start();
    QAction* item = window.Action(kSynthesizerCommand);
    ASSERT_NE(item, nullptr);
    const QList<QAction*> siblings =
        item->associatedObjects().isEmpty()
            ? QList<QAction*>{}
            : qobject_cast<QMenu*>(item->associatedObjects().first())->actions();
    ASSERT_FALSE(siblings.isEmpty());
    EXPECT_EQ(siblings.last(), item);
    EXPECT_EQ(siblings.first(), window.Action(DeviceCommand(0)));
}

class SynthDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSoundFont)) {
            GTEST_SKIP() << kSoundFont << " is not installed";
        }
        // A copy under another name stands for a second SoundFont of the user's own.
        std::filesystem::copy_file(kSoundFont, Own());
        synth_ = BuiltInSynth::Create(kSoundFont, 44100);
        ASSERT_TRUE(synth_);
    }
    std::string Own() const { return dir_.filePath("own font.sf2").toStdString(); }
    QString Settings() const { return dir_.filePath("config/Plinkora/synthesizer.ini"); }

    // A dialog as a fresh start of the window shows it.
    std::unique_ptr<SynthDialog> Open(SynthControl& control) {
        return std::make_unique<SynthDialog>(
            control, [this](const std::string& text) { warnings_.push_back(text); },
            [this] { return askedFile_; });
    }

    QTemporaryDir dir_;
    std::unique_ptr<BuiltInSynth> synth_;
    std::vector<std::string> warnings_;
    std::string askedFile_;
};

TEST_F(SynthDialogTest, TheChoiceTakesEffectAndIsRememberedAcrossARestart) {
    {
        SynthControl control(*synth_, Settings());
        auto dialog = Open(control);
        askedFile_ = Own();
        dialog->ChooseSoundFont(Own());
        dialog->Volume()->setValue(50);
        dialog->Reverb()->setChecked(false);
        EXPECT_EQ(synth_->SoundFont(), Own());
        EXPECT_EQ(dialog->SoundFonts()->currentData().toString().toStdString(), Own());
    }
    const SynthChoice kept = LoadSynthChoice(Settings());
    EXPECT_EQ(kept.soundFont, Own());
    EXPECT_DOUBLE_EQ(kept.sound.volume, 0.5);
    EXPECT_FALSE(kept.sound.reverb);
    EXPECT_TRUE(kept.sound.chorus);
    // The next start loads what was chosen, unless the environment names a SoundFont.
    auto restarted = BuiltInSynth::Create(FindSoundFont(kept.soundFont).value(), 44100);
    ASSERT_TRUE(restarted);
    SynthControl control(*restarted, Settings());
    auto dialog = Open(control);
    EXPECT_EQ(dialog->Volume()->value(), 50);
    EXPECT_FALSE(dialog->Reverb()->isChecked());
    if (qEnvironmentVariableIsEmpty("PLINKORA_SOUNDFONT")) {
        EXPECT_EQ(dialog->SoundFonts()->currentData().toString().toStdString(), Own());
    }
    EXPECT_TRUE(warnings_.empty());
}

TEST_F(SynthDialogTest, ABrokenSoundFontIsRefusedWithAMessageAndTheOldOneKept) {
    const std::string broken = dir_.filePath("broken.sf2").toStdString();
    std::ofstream(broken) << "RIFF....sfbkLIST not really";
    SynthControl control(*synth_, Settings());
    auto dialog = Open(control);
    dialog->ChooseSoundFont(broken);
    ASSERT_EQ(warnings_.size(), 1u);
    EXPECT_NE(warnings_[0].find("broken.sf2"), std::string::npos);
    EXPECT_EQ(synth_->SoundFont(), kSoundFont);
    EXPECT_EQ(dialog->SoundFonts()->currentData().toString().toStdString(), kSoundFont);
    EXPECT_FALSE(QFile::exists(Settings()));  // nothing remembered
}

// ~/.config/Plinkora is a file: every change still takes effect, and the user is told once
// that it is not kept, however many changes follow.
TEST_F(SynthDialogTest, SettingsThatCannotBeWrittenAreReportedOnceASession) {
    const QString blocked = dir_.filePath("blocked/Plinkora/synthesizer.ini");
    QDir(dir_.path()).mkdir(QStringLiteral("blocked"));
    std::ofstream(dir_.filePath("blocked/Plinkora").toStdString()) << "a file, not a folder";
    SynthControl control(*synth_, blocked);
    auto dialog = Open(control);
    dialog->Volume()->setValue(50);
    dialog->Volume()->setValue(60);
    dialog->Reverb()->setChecked(false);
    dialog->ChooseSoundFont(Own());
    EXPECT_EQ(synth_->SoundFont(), Own());
    EXPECT_EQ(control.Sound().volume, 0.6);
    ASSERT_EQ(warnings_.size(), 1u);
    EXPECT_NE(warnings_[0].find(blocked.toStdString()), std::string::npos) << warnings_[0];
}

// The SoundFont changes while a note and the pedal are held, as during a playback: the notes
// of both fonts end with the pedal's lift and All Notes Off, as End Playing sends them.
TEST_F(SynthDialogTest, SwitchingUnderAHeldNoteAndPedalLeavesNothingSounding) {
    SynthControl control(*synth_, Settings());
    std::vector<float> out(2 * 4410);
    synth_->Send(ShortMessage(kControlChange, 0, 64, 127));
    synth_->Send(ShortMessage(kNoteOn, 0, 60, 127));
    synth_->Render(out.data(), 4410);
    ASSERT_TRUE(control.ChooseSoundFont(Own()));
    synth_->Send(ShortMessage(kNoteOn, 0, 64, 127));
    synth_->Render(out.data(), 4410);
    synth_->Send(ShortMessage(kControlChange, 0, 64, 0));
    for (uint32_t word : AllNotesOff()) {
        synth_->Send(word);
    }
    std::vector<float> tail(2 * 44100 * 3);
    synth_->Render(tail.data(), 44100 * 3);
    float last = 0;
    for (size_t i = tail.size() - 4410; i < tail.size(); ++i) {
        last = std::max(last, std::abs(tail[i]));
    }
    EXPECT_LT(last, 1e-3f);
}

}  // namespace
}  // namespace plinkora::testing
