#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QSlider;

namespace plinkora {

class SynthControl;

// The Synthesizer dialog: the SoundFont (those found on the system, or a file of the user's
// own), the volume, reverb and chorus. Each change takes effect at once; Close keeps them.
class SynthDialog final : public QDialog {
    Q_OBJECT
  public:
    // warn shows why a SoundFont was refused or the choices are not remembered; askFile asks
    // for a .sf2/.sf3 file (empty when cancelled). Both are replaced in tests.
    using Warn = std::function<void(const std::string& text)>;
    using AskFile = std::function<std::string()>;
    SynthDialog(SynthControl& control, Warn warn, AskFile askFile, QWidget* parent = nullptr);

    QComboBox* SoundFonts() const { return soundFonts_; }
    QSlider* Volume() const { return volume_; }
    QCheckBox* Reverb() const { return reverb_; }
    QCheckBox* Chorus() const { return chorus_; }
    // Picks a SoundFont as choosing it in the list or through "Other file..." does.
    void ChooseSoundFont(const std::string& path);

  private:
    void FillSoundFonts();
    void SoundChanged();
    void WarnIfNotRemembered();

    SynthControl& control_;
    Warn warn_;
    AskFile askFile_;
    QComboBox* soundFonts_;
    QSlider* volume_;
    QCheckBox* reverb_;
    QCheckBox* chorus_;
};

}  // namespace plinkora
