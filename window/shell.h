#pragma once

#include <string>

#include "engine/performance.h"
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

// Everything a command works on. The window owns the parts; the commands are free functions.
struct Shell {
    Performance& performance;
    Recording& recording;
    PlaybackScheduler& scheduler;
    DocumentState& document;
    ShellWindow& window;
    Prompts& prompts;
};

}  // namespace plinkora
