#include "shell/commands.h"

#include "engine/bourdon.h"
#include "engine/controls.h"
#include "engine/key_signatures.h"
#include "engine/midi_output.h"
#include "recording/playback.h"
#include "shell/command_ids.h"
#include "shell/transport.h"

namespace plinkora {

namespace {

// The commands with one identifier each; false when the identifier is none of them.
bool DispatchSingle(Shell& shell, int commandId) {
    QWidget* owner = shell.window.Owner();
    switch (commandId) {
        case kOpenDeviceCommand:
            OpenMidiDevice(shell.performance);
            break;
        case kCloseDeviceCommand:
            CloseMidiDevice(shell.performance);
            break;
        case kHelpCommand:
            shell.prompts.ShowDialog(owner, DialogKind::Help);
            break;
        case kAboutCommand:
            shell.prompts.ShowDialog(owner, DialogKind::About);
            break;
        case kTipsCommand:
            shell.prompts.ShowDialog(owner, DialogKind::TipOfTheDay);
            break;
        case kExportCommand:
            ExportCommand(shell);
            break;
        case kBeginRecordCommand:
            BeginRecordCommand(shell);
            break;
        case kEndRecordCommand:
            EndRecordCommand(shell);
            break;
        case kPlayCommand:
            PlayCommand(shell, false);
            break;
        case kCirclePlayCommand:
            PlayCommand(shell, true);
            break;
        case kEndPlayingCommand:
            EndPlayingCommand(shell);
            break;
        case kSaveCommand:
            SaveCommand(shell, false);
            break;
        case kSaveAsCommand:
            SaveCommand(shell, true);
            break;
        case kLoadCommand:
            LoadCommand(shell);
            break;
        case kBourdonCommand:
            ToggleBourdon(shell.performance);
            break;
        default:
            return false;
    }
    return true;
}

}  // namespace

void DispatchCommand(Shell& shell, int commandId) {
    if (DispatchSingle(shell, commandId)) {
        return;
    }
    Performance& performance = shell.performance;
    if (commandId >= kMapperCommand && commandId <= kLastDeviceCommand) {
        ChooseMidiDevice(performance, commandId);
    } else if (commandId >= kFirstTrackCommand && commandId <= kLastTrackCommand) {
        ChooseTrack(performance, commandId);
    } else if (commandId >= kFirstKeySignatureId && commandId <= kLastKeySignatureId) {
        ChooseKeySignature(performance, commandId);
    } else if (commandId >= kFirstInstrumentCommand) {
        ChooseInstrument(performance, commandId);
    } else {
        shell.window.Repaint();
    }
}

}  // namespace plinkora
