#pragma once

namespace plinkora {

// Commands of the Help and Record menus and their buttons. The engine's headers hold the
// device, track, instrument, key signature and bourdon commands.
inline constexpr int kHelpCommand = 1280;
inline constexpr int kAboutCommand = 1281;
inline constexpr int kExportCommand = 1282;
inline constexpr int kBeginRecordCommand = 1283;
inline constexpr int kEndRecordCommand = 1284;
inline constexpr int kPlayCommand = 1285;
inline constexpr int kCirclePlayCommand = 1286;
// kEndPlayingCommand (1287) comes with recording/playback.h.
inline constexpr int kSaveCommand = 1288;
inline constexpr int kSaveAsCommand = 1289;
inline constexpr int kLoadCommand = 1296;
inline constexpr int kTipsCommand = 1347;

// The five transport buttons carry the commands 1283..1287, in this order.
inline constexpr int kFirstTransportCommand = kBeginRecordCommand;
inline constexpr int kTransportButtonCount = 5;

}  // namespace plinkora
