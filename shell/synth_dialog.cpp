#include "shell/synth_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "engine/devices/builtin_synth.h"
#include "recording/document.h"
#include "shell/synth_settings.h"

namespace plinkora {

namespace {

QString Native(const std::string& path) {
    return QString::fromStdString(path);
}

}  // namespace

SynthDialog::SynthDialog(SynthControl& control, Warn warn, AskFile askFile, QWidget* parent)
    : QDialog(parent),
      control_(control),
      warn_(std::move(warn)),
      askFile_(std::move(askFile)),
      soundFonts_(new QComboBox(this)),
      volume_(new QSlider(Qt::Horizontal, this)),
      reverb_(new QCheckBox(QStringLiteral("&Reverb"), this)),
      chorus_(new QCheckBox(QStringLiteral("&Chorus"), this)) {
    setWindowTitle(QStringLiteral("Synthesizer"));
    soundFonts_->setMinimumContentsLength(36);
    soundFonts_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FillSoundFonts();
    auto* other = new QPushButton(QStringLiteral("&Other file..."), this);
    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(soundFonts_, 1);
    fontRow->addWidget(other);

    volume_->setRange(0, 200);  // percent; 100 puts one note near -6 dBFS
    volume_->setPageStep(10);
    volume_->setValue(static_cast<int>(std::lround(control_.Sound().volume * 100)));
    volume_->setAccessibleName(QStringLiteral("Volume"));
    auto* volumeText = new QLabel(this);
    auto showVolume = [this, volumeText] {
        volumeText->setText(QStringLiteral("%1 %").arg(volume_->value()));
    };
    showVolume();
    auto* volumeRow = new QHBoxLayout;
    volumeRow->addWidget(volume_, 1);
    volumeRow->addWidget(volumeText);
    reverb_->setChecked(control_.Sound().reverb);
    chorus_->setChecked(control_.Sound().chorus);

    // Labels of their own, so that their mnemonics lead to the list and the slider.
    auto* fontLabel = new QLabel(QStringLiteral("&SoundFont:"), this);
    fontLabel->setBuddy(soundFonts_);
    auto* volumeLabel = new QLabel(QStringLiteral("&Volume:"), this);
    volumeLabel->setBuddy(volume_);
    auto* form = new QFormLayout;
    form->addRow(fontLabel, fontRow);
    form->addRow(volumeLabel, volumeRow);
    form->addRow(QString(), reverb_);
    form->addRow(QString(), chorus_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    if (!qEnvironmentVariableIsEmpty("PLINKORA_SOUNDFONT")) {
        layout->addWidget(new QLabel(
            QStringLiteral("PLINKORA_SOUNDFONT is set: it chooses the SoundFont at start."), this));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(other, &QPushButton::clicked, this, [this] {
        const std::string path = askFile_();
        if (!path.empty()) {
            ChooseSoundFont(path);
        }
    });
    connect(soundFonts_, &QComboBox::activated, this, [this](int index) {
        ChooseSoundFont(soundFonts_->itemData(index).toString().toStdString());
    });
    connect(volume_, &QSlider::valueChanged, this, [this, showVolume] {
        showVolume();
        SoundChanged();
    });
    connect(reverb_, &QCheckBox::toggled, this, [this] { SoundChanged(); });
    connect(chorus_, &QCheckBox::toggled, this, [this] { SoundChanged(); });
}

void SynthDialog::FillSoundFonts() {
    const QSignalBlocker blocker(soundFonts_);
    soundFonts_->clear();
    std::vector<std::string> paths = SystemSoundFonts();
    const std::string current = control_.SoundFont();
    if (std::find(paths.begin(), paths.end(), current) == paths.end()) {
        paths.insert(paths.begin(), current);
    }
    for (const std::string& path : paths) {
        soundFonts_->addItem(QFileInfo(Native(path)).fileName(), Native(path));
        soundFonts_->setItemData(soundFonts_->count() - 1, Native(path), Qt::ToolTipRole);
    }
    soundFonts_->setCurrentIndex(soundFonts_->findData(Native(current)));
}

void SynthDialog::ChooseSoundFont(const std::string& path) {
    if (!control_.ChooseSoundFont(path)) {
        warn_(
            FormatDocumentMessage("Can not load the SoundFont %s. The one in use is kept.", path));
    }
    FillSoundFonts();  // shows the one in use, whichever it is now
    WarnIfNotRemembered();
}

void SynthDialog::SoundChanged() {
    control_.SetSound({volume_->value() / 100.0, reverb_->isChecked(), chorus_->isChecked()});
    WarnIfNotRemembered();
}

void SynthDialog::WarnIfNotRemembered() {
    if (const std::string warning = control_.TakeNotRememberedWarning(); !warning.empty()) {
        warn_(warning);
    }
}

}  // namespace plinkora
