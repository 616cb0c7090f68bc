#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "engine/devices/system_midi_outputs.h"
#include "shell/startup_devices.h"
#include "shell_test_fixture.h"
#include "window/command_ids.h"

namespace plinkora::testing {
namespace {

constexpr const char* kSoundFont = PLINKORA_TEST_SOUNDFONT;

// Sets an environment variable, or takes it away, for the life of a test.
struct ScopedEnv {
    ScopedEnv(const char* variable, const char* value) : name(variable) {
        if (const char* previous = std::getenv(name)) {
            old = previous;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

class SoundFontStartupTest : public ShellTest {
  protected:
    void SetUp() override {
        if (SystemSoundFonts().empty()) {
            GTEST_SKIP() << "no SoundFont is installed to fall back on";
        }
    }
    std::string Temp(const char* name) const { return dir_.filePath(name).toStdString(); }
    QString Settings() const { return dir_.filePath("config/Plinkora/synthesizer.ini"); }

    QTemporaryDir dir_;
    ScopedEnv noSoundFontNamed_{"PLINKORA_SOUNDFONT", nullptr};
};

// Three ways a SoundFont stops loading, each where the user may have named it: the program
// says which file failed, plays the system's SoundFont instead, keeps Synthesizer... in the
// Device menu, and leaves the remembered choice for the day the file is whole again.
TEST_F(SoundFontStartupTest, ARememberedOrEnvironmentSoundFontThatDoesNotLoadGivesWayWithAWarning) {
    const std::string half = Temp("half.sf2"), text = Temp("text.sf2"), empty = Temp("empty.sf2");
    std::filesystem::copy_file(kSoundFont, half);
    std::filesystem::resize_file(half, std::filesystem::file_size(half) / 2);
    std::ofstream(text) << "soundfont=not one\n";
    std::ofstream{empty};
    for (const bool remembered : {true, false}) {
        for (const std::string& damaged : {half, text, empty}) {
            SCOPED_TRACE((remembered ? "remembered " : "environment ") + damaged);
            std::optional<ScopedEnv> named;
            if (remembered) {
                ASSERT_TRUE(SaveSynthChoice(Settings(), {damaged, {}}));
            } else {
                QFile::remove(Settings());
                named.emplace("PLINKORA_SOUNDFONT", damaged.c_str());
            }
            prompts_.messages.clear();
            StartupDevices devices = OpenStartupDevices(Settings(), prompts_);

            ASSERT_TRUE(devices.synth);
            const std::vector<std::string> system = SystemSoundFonts();
            EXPECT_NE(std::find(system.begin(), system.end(), devices.synth->SoundFont()),
                      system.end());
            EXPECT_EQ(devices.outputs->Name(0), "Plinkora Synthesizer");
            ASSERT_EQ(prompts_.messages.size(), 1u);
            EXPECT_EQ(prompts_.messages[0].first, MessageIcon::Warning);
            EXPECT_NE(prompts_.messages[0].second.find("Can not load the SoundFont " + damaged),
                      std::string::npos);
            EXPECT_NE(prompts_.messages[0].second.find(devices.synth->SoundFont() + " instead"),
                      std::string::npos);
            if (remembered) {
                EXPECT_EQ(LoadSynthChoice(Settings()).soundFont, damaged);
            }

            realSynthesizer_ = devices.synth.get();
            Start();
            EXPECT_NE(window_->Action(kSynthesizerCommand), nullptr);
            window_.reset();
        }
    }
}

}  // namespace
}  // namespace plinkora::testing
