#include "window/window_texts.h"

#include "engine/instruments.h"
#include "engine/key_signatures.h"

namespace plinkora {

std::string DeviceStateText(const Performance& p) {
    return p.DeviceOpen() ? "Open" : "Close";
}

std::string DeviceNameText(const Performance& p) {
    if (p.deviceId == kMidiMapper) {
        return p.outputs->MapperName().value_or(std::string());
    }
    if (p.deviceId < 0 || p.deviceId >= p.outputs->Count()) {
        return {};
    }
    return p.outputs->Name(p.deviceId);
}

std::string TrackText(const Performance& p) {
    return "Track " + std::to_string(p.channel + 1);
}

std::string InstrumentCaption(const Performance& p) {
    return KeySignatureLabel(p.keySignature, InstrumentName(p.program));
}

}  // namespace plinkora
