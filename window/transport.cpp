#include "window/transport.h"

#include <filesystem>
#include <initializer_list>

#include "engine/controls.h"
#include "engine/key_signatures.h"
#include "engine/midi_output.h"
#include "recording/document.h"
#include "recording/midi_export.h"
#include "recording/playback.h"
#include "recording/utf8_path.h"
#include "recording/wave_export.h"
#include "window/command_ids.h"
#include "window/export_choice.h"

namespace plinkora {

namespace {

void Enable(Shell& shell, std::initializer_list<int> commands, bool enabled) {
    for (int command : commands) {
        shell.window.EnableCommand(command, enabled);
    }
}

bool DeviceReady(Shell& shell) {
    if (shell.performance.DeviceOpen()) {
        return true;
    }
    shell.prompts.ShowMessage(&shell.window, MessageIcon::None, "Clew", "Please Open Switch");
    return false;
}

// Through the UTF-8 helpers: on Windows a plain path would go through the local code page.
std::string FileTitle(const std::string& path) {
    return Utf8FromPath(PathFromUtf8(path).filename());
}

// Asks for a file, keeping the previous name when the dialog is cancelled.
bool ChooseFile(Shell& shell, FileDialogKind kind, std::string& path, std::string& title) {
    std::optional<std::string> chosen = shell.prompts.ChooseFile(&shell.window, kind, path);
    if (!chosen) {
        return false;
    }
    path = *chosen;
    title = FileTitle(path);
    return true;
}

// Out of memory, playback has nothing to play; the user is told why. The box has no owner, as
// the window may be busy with anything.
void TellPlaybackCopyFailed(Shell& shell) {
    shell.prompts.ShowMessage(nullptr, MessageIcon::None, "错误", "内存分配错误.");
}

// A loaded document's key signature, bourdon flag, title and transport state. The start-up
// load leaves Export grayed and does not repaint.
void ApplyLoadedDocument(Shell& shell, const DocumentContents& loaded, bool atStartup) {
    Recording& recording = shell.recording;
    if (!CopyForPlayback(recording, recording.recordingList)) {
        TellPlaybackCopyFailed(shell);
    }
    if (!atStartup) {
        shell.window.Repaint();
    }
    recording.documentModified = false;
    ChooseKeySignature(shell.performance, loaded.keySignature);
    SetBourdon(shell.performance, loaded.BourdonOn());
    Enable(shell, {kSaveCommand}, false);
    Enable(shell, {kSaveAsCommand}, true);
    SetDocumentTitle(shell, shell.document.documentTitle);
    Enable(shell, {kBeginRecordCommand, kPlayCommand, kCirclePlayCommand}, true);
    Enable(shell, {kEndRecordCommand, kEndPlayingCommand}, false);
    if (!atStartup) {
        Enable(shell, {kExportCommand}, true);
    }
}

// A document that failed to load has no name; the next save dialog opens in its folder.
void ForgetFailedDocument(Shell& shell) {
    DocumentState& document = shell.document;
    document.documentTitle.clear();
    const std::filesystem::path folder = PathFromUtf8(document.documentPath).parent_path();
    document.documentPath = folder.empty() ? std::string() : Utf8FromPath(folder / "");
}

bool InKeySignatureRange(int32_t id) {
    return id >= kFirstKeySignatureId && id <= kLastKeySignatureId;
}

// The take as playback would sound it now, rendered by the built-in synthesizer into a WAV file,
// with progress and Cancel. A cancelled export leaves nothing and says nothing.
void ExportAudio(Shell& shell) {
    const DocumentState& document = shell.document;
    if (!shell.synthesizer) {
        return;  // not offered
    }
    // The synthesizer that plays keeps its SoundFont in memory; the renderer reads the file
    // again, which may have gone or changed since.
    std::unique_ptr<RenderTarget> synth = shell.synthesizer->OfflineRenderer(kWaveSampleRate);
    if (!synth) {
        ShowDocumentError(shell, "Can not load the SoundFont %s, so no WAV file was written.",
                          shell.synthesizer->SoundFont());
        return;
    }
    const Performance& p = shell.performance;
    const RenderSettings settings{p.keySignature, p.program, p.force, p.channel, p.bourdonOn};
    std::unique_ptr<ProgressShown> progress = shell.prompts.ShowProgress(
        &shell.window, FormatDocumentMessage("Rendering %s...", document.exportTitle));
    const WaveExportResult result =
        ExportWaveFile(shell.recording.recordingList, settings, *synth, document.exportPath,
                       [&progress](double done) { return !progress || progress->Advance(done); });
    progress.reset();
    switch (result) {
        case WaveExportResult::kWritten:
        case WaveExportResult::kCancelled:
            break;
        case WaveExportResult::kTooLong:
            ShowDocumentError(shell, "File %s plays too long for a WAV file.",
                              document.exportTitle);
            break;
        case WaveExportResult::kCannotCreate:
            ShowDocumentError(shell, kCannotOpenToWrite, document.exportTitle);
            break;
        case WaveExportResult::kCannotWrite:
            ShowDocumentError(shell, kCannotWrite, document.exportTitle);
            break;
    }
}

}  // namespace

void SetDocumentTitle(Shell& shell, const std::string& name) {
    shell.window.SetTitle("Plinkora - [" + (name.empty() ? std::string("Untitled") : name) + "]");
}

void ShowDocumentError(Shell& shell, const char* format, const std::string& name) {
    shell.prompts.ShowMessage(&shell.window, MessageIcon::Warning, kProgramCaption,
                              FormatDocumentMessage(format, name));
}

Answer AskSaveChanges(Shell& shell, const std::string& name) {
    const Answer answer = shell.prompts.AskYesNoCancel(
        &shell.window, kProgramCaption,
        FormatDocumentMessage("Do you save current change in %s?", name));
    if (answer == Answer::Yes) {
        return SaveCommand(shell, false) ? Answer::Yes : Answer::Cancel;
    }
    return answer;
}

void BeginRecordCommand(Shell& shell) {
    if (!DeviceReady(shell)) {
        return;
    }
    // A new recording drops the list, so an unsaved take is asked about as Load and Close do.
    if (shell.recording.documentModified &&
        AskSaveChanges(shell, shell.document.documentTitle) == Answer::Cancel) {
        return;
    }
    Enable(shell, {kBeginRecordCommand}, false);
    Enable(shell, {kEndRecordCommand}, true);
    Enable(shell,
           {kPlayCommand, kCirclePlayCommand, kEndPlayingCommand, kSaveCommand, kSaveAsCommand,
            kLoadCommand, kExportCommand},
           false);
    BeginRecording(shell.recording);
}

void EndRecordCommand(Shell& shell) {
    Recording& recording = shell.recording;
    Enable(shell, {kBeginRecordCommand}, true);
    Enable(shell, {kEndRecordCommand}, false);
    const bool anything = recording.RecordedCount() > 0;
    Enable(shell, {kPlayCommand, kCirclePlayCommand, kSaveCommand, kSaveAsCommand, kExportCommand},
           anything);
    if (!anything) {
        recording.documentModified = false;
    }
    Enable(shell, {kEndPlayingCommand}, false);
    Enable(shell, {kLoadCommand}, true);
    if (!EndRecording(recording)) {
        TellPlaybackCopyFailed(shell);
    }
}

void PlayCommand(Shell& shell, bool loop) {
    if (!DeviceReady(shell)) {
        return;
    }
    Enable(shell,
           {kBeginRecordCommand, kCirclePlayCommand, kEndRecordCommand, kPlayCommand, kSaveCommand,
            kSaveAsCommand, kLoadCommand, kExportCommand},
           false);
    Enable(shell, {kEndPlayingCommand}, true);
    KeepOutputAwake(shell.performance, true);
    if (!shell.scheduler.StartPlayback(shell.recording.playbackList, loop)) {
        EndPlayingCommand(shell);  // no thread to play on: the buttons must not claim it plays
    }
}

void EndPlayingCommand(Shell& shell) {
    Enable(shell, {kBeginRecordCommand, kCirclePlayCommand, kPlayCommand}, true);
    Enable(shell, {kEndRecordCommand, kEndPlayingCommand}, false);
    EndPlaying(shell.performance, shell.scheduler);
    if (shell.recording.documentModified) {
        Enable(shell, {kSaveCommand}, true);
    }
    Enable(shell, {kSaveAsCommand, kLoadCommand, kExportCommand}, true);
    shell.window.Repaint();
}

bool SaveCommand(Shell& shell, bool saveAs) {
    DocumentState& document = shell.document;
    if (saveAs || document.documentTitle.empty()) {
        if (!ChooseFile(shell, FileDialogKind::SaveDocument, document.documentPath,
                        document.documentTitle)) {
            return false;
        }
    }
    const Performance& performance = shell.performance;
    const DocumentResult saved =
        SaveDocument(shell.recording.recordingList, performance.keySignature, performance.bourdonOn,
                     document.documentPath);
    if (!saved.Ok()) {
        ShowDocumentError(shell, saved.Failure(), document.documentTitle);
        document.documentTitle.clear();
    } else {
        shell.recording.documentModified = false;
        Enable(shell, {kSaveCommand}, false);
    }
    SetDocumentTitle(shell, document.documentTitle);
    return saved.Ok();
}

void LoadCommand(Shell& shell) {
    DocumentState& document = shell.document;
    if (shell.recording.documentModified &&
        AskSaveChanges(shell, document.documentTitle) == Answer::Cancel) {
        return;
    }
    if (!ChooseFile(shell, FileDialogKind::OpenDocument, document.documentPath,
                    document.documentTitle)) {
        return;
    }
    DocumentContents loaded;
    if (const DocumentResult read = LoadDocument(document.documentPath, loaded); !read.Ok()) {
        ShowDocumentError(shell, read.Failure(), document.documentTitle);
        ForgetFailedDocument(shell);
        SetDocumentTitle(shell, document.documentTitle);
        return;
    }
    shell.recording.recordingList = std::move(loaded.events);
    if (InKeySignatureRange(loaded.keySignature)) {
        ApplyLoadedDocument(shell, loaded, false);
    }
}

void ExportCommand(Shell& shell) {
    DocumentState& document = shell.document;
    const bool audioOffered = shell.synthesizer != nullptr;
    const std::optional<ExportChoice> typed =
        shell.prompts.ChooseExport(&shell.window, document.exportPath, audioOffered);
    if (!typed) {
        return;
    }
    const std::optional<ExportChoice> choice = DecideExport(*typed, audioOffered);
    if (!choice) {
        ShowDocumentError(shell, kNoAudioExport, FileTitle(typed->path));
        return;
    }
    document.exportPath = choice->path;
    document.exportTitle = FileTitle(choice->path);
    if (choice->kind == ExportKind::WaveAudio) {
        ExportAudio(shell);
        return;
    }
    const Performance& performance = shell.performance;
    // A file that was not written must not pass for exported.
    if (const DocumentResult written = ExportMidiFile(
            shell.recording.recordingList, performance.keySignature, performance.program,
            performance.bourdonOn, document.exportPath, choice->kind == ExportKind::MidiAsPlayed);
        !written.Ok()) {
        ShowDocumentError(shell, written.Failure(), document.exportTitle);
    }
}

// The title is the document's name, as after Load: a document opened from a file manager comes
// with its whole path.
bool LoadStartupDocument(Shell& shell, const std::string& commandLine) {
    DocumentState& document = shell.document;
    document.documentTitle = FileTitle(commandLine);
    document.documentPath = commandLine;
    DocumentContents loaded;
    if (const DocumentResult read = LoadDocument(document.documentPath, loaded); !read.Ok()) {
        ShowDocumentError(shell, read.Failure(), commandLine);
        ForgetFailedDocument(shell);
        return false;
    }
    shell.recording.recordingList = std::move(loaded.events);
    if (!InKeySignatureRange(loaded.keySignature)) {
        return false;
    }
    ApplyLoadedDocument(shell, loaded, true);
    return true;
}

}  // namespace plinkora
