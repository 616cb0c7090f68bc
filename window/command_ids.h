#pragma once

#include "engine/key_signatures.h"
#include "engine/midi_output.h"

namespace plinkora {

// Every command identifier: menu items, accelerators, toolbar and transport buttons, the
// auto-play timer and the end of a playback all carry one. The core knows none of them; the
// dispatcher turns them into values.
inline constexpr int kOpenDeviceCommand = 256;
inline constexpr int kCloseDeviceCommand = 257;
inline constexpr int kMapperCommand = 511;       // device -1
inline constexpr int kFirstDeviceCommand = 512;  // + device index
inline constexpr int kLastDeviceCommand = kFirstDeviceCommand + kMaxListedDevices - 1;
inline constexpr int kFirstTrackCommand = 768;  // + channel
inline constexpr int kLastTrackCommand = 1023;
inline constexpr int kFirstInstrumentCommand = 1024;  // + program
inline constexpr int kHelpCommand = 1280;
inline constexpr int kAboutCommand = 1281;
inline constexpr int kExportCommand = 1282;
inline constexpr int kBeginRecordCommand = 1283;
inline constexpr int kEndRecordCommand = 1284;
inline constexpr int kPlayCommand = 1285;
inline constexpr int kCirclePlayCommand = 1286;
inline constexpr int kEndPlayingCommand = 1287;
inline constexpr int kSaveCommand = 1288;
inline constexpr int kSaveAsCommand = 1289;
inline constexpr int kLoadCommand = 1296;
// A key signature's command is its identifier, which is also what documents store.
inline constexpr int kFirstKeySignatureCommand = kFirstKeySignatureId;
inline constexpr int kLastKeySignatureCommand = kLastKeySignatureId;
inline constexpr int kBourdonCommand = 1333;
inline constexpr int kTipsCommand = 1347;
// "Synthesizer...", last in the Device menu where the built-in synthesizer exists. Above every
// identifier of the original menus; the dispatcher takes it before the instrument range.
inline constexpr int kSynthesizerCommand = 1348;

// The five transport buttons carry the commands 1283..1287, in this order.
inline constexpr int kFirstTransportCommand = kBeginRecordCommand;
inline constexpr int kTransportButtonCount = 5;

// The menu command that stands for a device identifier (511 for the mapper).
constexpr int DeviceCommand(int32_t deviceId) {
    return kFirstDeviceCommand + deviceId;
}

}  // namespace plinkora
