#include <QTemporaryDir>
#include <filesystem>

#include "shell_test_fixture.h"
#include "tests/core/file_test_support.h"
#include "window/command_ids.h"

namespace plinkora::testing {
namespace {

// A synthesizer that renders silence: enough for the export to write a WAV file.
struct Silence final : RenderTarget {
    void Send(uint32_t) override {}
    void Render(float* interleaved, int frames) override {
        std::fill(interleaved, interleaved + 2 * frames, 0.0f);
    }
};

class ExportKindTest : public ShellTest {
  protected:
    void SetUp() override {
        synthesizer_.make = [](uint32_t) -> std::unique_ptr<RenderTarget> {
            return std::make_unique<Silence>();
        };
    }
    void RecordNote() {
        Choose(kBeginRecordCommand);
        Press(kNativeA, Qt::Key_A);
        Release(kNativeA, Qt::Key_A);
        Choose(kEndRecordCommand);
    }
    std::string Temp(const char* name) const { return dir_.filePath(name).toStdString(); }
    Bytes Start4(const char* name) const {
        const Bytes bytes = ReadBytes(Temp(name));
        return Bytes(bytes.begin(), bytes.begin() + std::min<size_t>(4, bytes.size()));
    }

    QTemporaryDir dir_;
};

TEST_F(ExportKindTest, TheTypedExtensionDecidesWhatIsWrittenWhateverTheFileTypeChosen) {
    Start();
    RecordNote();
    prompts_.exports = {ExportChoice{Temp("mis.wav"), ExportKind::StandardMidi},
                        ExportChoice{Temp("mis2.mid"), ExportKind::WaveAudio},
                        ExportChoice{Temp("bare"), ExportKind::WaveAudio}};
    for (int i = 0; i < 3; ++i) {
        Choose(kExportCommand);
    }
    EXPECT_EQ(Start4("mis.wav"), Text("RIFF"));
    EXPECT_EQ(Start4("mis2.mid"), Text("MThd"));
    EXPECT_EQ(Start4("bare.wav"), Text("RIFF"));
    EXPECT_EQ(window_->document().exportTitle, "bare.wav");
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ExportKindTest, WithoutASynthesizerANameOfWaveAudioIsRefusedWithAMessage) {
    synthesizer_.make = nullptr;
    Start();
    RecordNote();
    prompts_.files = {Temp("mis.wav")};
    Choose(kExportCommand);
    EXPECT_EQ(prompts_.messages,
              (Messages{{MessageIcon::Warning,
                         "Plinkora: File mis.wav names WAV audio, which only the built-in "
                         "synthesizer writes. Name it .mid for a MIDI file."}}));
    EXPECT_FALSE(std::filesystem::exists(Temp("mis.wav")));
}

}  // namespace
}  // namespace plinkora::testing
