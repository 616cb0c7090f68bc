#pragma once

#include <string>

#include "engine/performance.h"
#include "recording/offline_render.h"
#include "recording/recording.h"
#include "recording/scheduler.h"
#include "window/prompts.h"

namespace plinkora {

// The names of the current document and of the last MIDI export. An empty title means the
// document is untitled.
struct DocumentState {
    std::string documentPath;
    std::string documentTitle;
    std::string exportPath;
    std::string exportTitle;
};

// What the commands change in the window besides the engine's repaints and warnings.
class ShellWindow : public EngineView {
  public:
    virtual void CheckMenuItem(int commandId, bool checked) = 0;
    // A menu item and the transport button with the same identifier, if there is one.
    virtual void EnableCommand(int commandId, bool enabled) = 0;
    virtual void SetTitle(const std::string& title) = 0;
};

// The built-in synthesizer as the commands see it, where the front end has one.
class Synthesizer {
  public:
    virtual ~Synthesizer() = default;
    // A synthesizer of its own rendering offline at sampleRate, sounding as this one does now
    // (SoundFont, volume, effects); none when that cannot be made.
    virtual std::unique_ptr<RenderTarget> OfflineRenderer(uint32_t sampleRate) const = 0;
    // The SoundFont it plays, which an offline renderer loads again from its file.
    virtual std::string SoundFont() const = 0;
};

// Everything a command works on. The window owns the parts; the commands are free functions.
struct Shell {
    Performance& performance;
    Recording& recording;
    PlaybackScheduler& scheduler;
    DocumentState& document;
    ShellWindow& window;
    Prompts& prompts;
    Synthesizer* synthesizer = nullptr;  // none without the built-in synthesizer
};

}  // namespace plinkora
