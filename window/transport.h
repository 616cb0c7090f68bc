#pragma once

#include <string>

#include "window/shell.h"

namespace plinkora {

inline constexpr const char* kProgramCaption = "Plinkora";

// The Record menu's commands with the states of their items and buttons.
void BeginRecordCommand(Shell& shell);
void EndRecordCommand(Shell& shell);
void PlayCommand(Shell& shell, bool loop);
void EndPlayingCommand(Shell& shell);
// Save, or Save as with saveAs; true when the document was written.
bool SaveCommand(Shell& shell, bool saveAs);
void LoadCommand(Shell& shell);
void ExportCommand(Shell& shell);

// The document named on the command line, loaded while the window is created. True when it
// was applied, so that it may start playing.
bool LoadStartupDocument(Shell& shell, const std::string& commandLine);

// "Plinkora - [name]", "Untitled" standing for an empty name.
void SetDocumentTitle(Shell& shell, const std::string& name);
void ShowDocumentError(Shell& shell, const char* format, const std::string& name);
// Asks whether to save the unsaved recording; Yes saves, and answers Cancel when it was not.
Answer AskSaveChanges(Shell& shell, const std::string& name);

}  // namespace plinkora
