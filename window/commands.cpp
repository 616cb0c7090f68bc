#include "window/commands.h"

#include "engine/controls.h"
#include "engine/key_signatures.h"
#include "engine/midi_output.h"
#include "recording/playback.h"
#include "window/command_ids.h"
#include "window/transport.h"

namespace plinkora {

namespace {

// The commands with one identifier each; false when the identifier is none of them.
bool DispatchSingle(Shell& shell, int commandId) {
    ShellWindow* owner = &shell.window;
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
        case kSynthesizerCommand:
            shell.prompts.ShowDialog(owner, DialogKind::Synthesizer);
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
            SetBourdon(shell.performance, !shell.performance.bourdonOn);
            break;
        default:
            return false;
    }
    return true;
}

// The commands of identifier ranges, each identifier standing for a value; false when the
// identifier is in none of them.
bool DispatchRange(Performance& performance, int commandId) {
    if (commandId >= kMapperCommand && commandId <= kLastDeviceCommand) {
        ChooseMidiDevice(performance, commandId - kFirstDeviceCommand);
    } else if (commandId >= kFirstTrackCommand && commandId <= kLastTrackCommand) {
        ChooseTrack(performance, commandId - kFirstTrackCommand);
    } else if (commandId >= kFirstKeySignatureCommand && commandId <= kLastKeySignatureCommand) {
        ChooseKeySignature(performance, commandId);
    } else if (commandId >= kFirstInstrumentCommand) {
        ChooseInstrument(performance, commandId - kFirstInstrumentCommand);
    } else {
        return false;
    }
    return true;
}

void CheckOnly(ShellWindow& window, int first, int last, int chosen) {
    for (int id = first; id <= last; ++id) {
        window.CheckMenuItem(id, id == chosen);
    }
}

}  // namespace

void ShowChoices(Shell& shell) {
    const Performance& p = shell.performance;
    ShellWindow& window = shell.window;
    window.CheckMenuItem(kOpenDeviceCommand, p.DeviceOpen());
    window.CheckMenuItem(kCloseDeviceCommand, !p.DeviceOpen());
    CheckOnly(window, kMapperCommand, kLastDeviceCommand, DeviceCommand(p.deviceId));
    CheckOnly(window, kFirstTrackCommand, kFirstTrackCommand + kTrackCount - 1,
              kFirstTrackCommand + p.channel);
    CheckOnly(window, kFirstInstrumentCommand, kFirstInstrumentCommand + kProgramCount - 1,
              kFirstInstrumentCommand + p.program);
    CheckOnly(window, kFirstKeySignatureCommand, kLastKeySignatureCommand, p.keySignature);
    window.CheckMenuItem(kBourdonCommand, p.bourdonOn);
}

void DispatchCommand(Shell& shell, int commandId) {
    if (!DispatchSingle(shell, commandId) && !DispatchRange(shell.performance, commandId)) {
        shell.window.Repaint();
    }
    ShowChoices(shell);
}

}  // namespace plinkora
