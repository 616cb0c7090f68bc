#include "view/window_texts.h"

#include "engine/instruments.h"
#include "engine/key_signatures.h"

namespace plinkora {

QString DeviceStateText(const Performance& p) {
    return p.DeviceOpen() ? QStringLiteral("Open") : QStringLiteral("Close");
}

QString DeviceNameText(const Performance& p) {
    if (p.deviceId == kMidiMapper) {
        return QString::fromStdString(p.outputs->MapperName().value_or(std::string()));
    }
    if (p.deviceId < 0 || p.deviceId >= p.outputs->Count()) {
        return {};
    }
    return QString::fromStdString(p.outputs->Name(p.deviceId));
}

QString TrackText(const Performance& p) {
    return QStringLiteral("Track %1").arg(p.channel + 1);
}

QString InstrumentCaption(const Performance& p) {
    return QString::fromStdString(KeySignatureLabel(p.keySignature, InstrumentName(p.program)));
}

}  // namespace plinkora
