#include "shell/synth_settings.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <utility>

#include "recording/document.h"

namespace plinkora {

namespace {

constexpr double kMostVolume = 2.0;

class SynthRenderTarget final : public RenderTarget {
  public:
    explicit SynthRenderTarget(std::unique_ptr<BuiltInSynth> synth) : synth_(std::move(synth)) {}
    void Send(uint32_t word) override { synth_->Send(word); }
    void Render(float* interleaved, int frames) override { synth_->Render(interleaved, frames); }

  private:
    std::unique_ptr<BuiltInSynth> synth_;
};

}  // namespace

QString DefaultSynthSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Plinkora/synthesizer.ini");
}

SynthChoice LoadSynthChoice(const QString& file) {
    const QSettings settings(file, QSettings::IniFormat);
    SynthChoice choice;
    choice.soundFont = settings.value(QStringLiteral("soundfont")).toString().toStdString();
    bool valid = false;
    const double volume = settings.value(QStringLiteral("volume")).toDouble(&valid);
    if (valid && volume >= 0 && volume <= kMostVolume) {
        choice.sound.volume = volume;
    }
    choice.sound.reverb = settings.value(QStringLiteral("reverb"), true).toBool();
    choice.sound.chorus = settings.value(QStringLiteral("chorus"), true).toBool();
    return choice;
}

bool SaveSynthChoice(const QString& file, const SynthChoice& choice) {
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(QStringLiteral("soundfont"), QString::fromStdString(choice.soundFont));
    settings.setValue(QStringLiteral("volume"), choice.sound.volume);
    settings.setValue(QStringLiteral("reverb"), choice.sound.reverb);
    settings.setValue(QStringLiteral("chorus"), choice.sound.chorus);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

SynthControl::SynthControl(BuiltInSynth& synth, QString settingsFile)
    : synth_(synth),
      settingsFile_(std::move(settingsFile)),
      choice_(LoadSynthChoice(settingsFile_)) {}

bool SynthControl::ChooseSoundFont(const std::string& path) {
    if (path == synth_.SoundFont()) {
        return true;
    }
    if (!synth_.ChangeSoundFont(path)) {
        return false;
    }
    choice_.soundFont = path;
    Remember();
    return true;
}

void SynthControl::SetSound(const SynthSound& sound) {
    choice_.sound = sound;
    synth_.SetSound(sound);
    Remember();
}

void SynthControl::Remember() {
    if (!SaveSynthChoice(settingsFile_, choice_) && !notRememberedTold_) {
        notRememberedTold_ = true;
        notRememberedWarning_ = FormatDocumentMessage(
            "Can not write the synthesizer's settings to %s. They hold until Plinkora ends.",
            QFile::encodeName(settingsFile_).toStdString());
    }
}

std::string SynthControl::TakeNotRememberedWarning() {
    return std::exchange(notRememberedWarning_, {});
}

std::unique_ptr<RenderTarget> SynthControl::OfflineRenderer(uint32_t sampleRate) const {
    std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(synth_.SoundFont(), sampleRate);
    if (!synth) {
        return nullptr;
    }
    synth->SetSound(choice_.sound);
    return std::make_unique<SynthRenderTarget>(std::move(synth));
}

}  // namespace plinkora
