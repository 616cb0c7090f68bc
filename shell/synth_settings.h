#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/devices/builtin_synth.h"
#include "recording/offline_render.h"
#include "window/shell.h"

namespace plinkora {

// What the user chose in the Synthesizer dialog. An empty SoundFont is the system's default.
struct SynthChoice {
    std::string soundFont;
    SynthSound sound;
};

// The choice kept across starts in the user's configuration folder, by the platform's
// conventions (QSettings' INI file: $XDG_CONFIG_HOME/Plinkora/synthesizer.ini on Linux,
// %APPDATA%\Plinkora\synthesizer.ini on Windows). Values out of range read as the defaults.
QString DefaultSynthSettingsFile();
SynthChoice LoadSynthChoice(const QString& file);
// False when the file could not be written (its folder is a file, or read-only, say).
bool SaveSynthChoice(const QString& file, const SynthChoice& choice);

// The built-in synthesizer as the dialog changes it: every change takes effect at once and is
// remembered. Window thread.
class SynthControl final : public Synthesizer {
  public:
    SynthControl(BuiltInSynth& synth, QString settingsFile);

    std::string SoundFont() const override { return synth_.SoundFont(); }
    const SynthSound& Sound() const { return choice_.sound; }
    // False, with the SoundFont in use kept and nothing remembered, when path loads as none.
    bool ChooseSoundFont(const std::string& path);
    void SetSound(const SynthSound& sound);
    // A synthesizer of its own for rendering offline, sounding as this one does; none when its
    // SoundFont no longer loads.
    std::unique_ptr<RenderTarget> OfflineRenderer(uint32_t sampleRate) const override;
    // Why the choices are not remembered, the first time in this session that they could not
    // be written; empty otherwise, so that the user hears of it once, not at every change.
    std::string TakeNotRememberedWarning();

  private:
    void Remember();

    BuiltInSynth& synth_;
    QString settingsFile_;
    SynthChoice choice_;
    bool notRememberedTold_ = false;
    std::string notRememberedWarning_;
};

}  // namespace plinkora
