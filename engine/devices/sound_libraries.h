#pragma once

#include <functional>
#include <string>

namespace plinkora {

using LogFunction = std::function<void(const std::string&)>;

// FluidSynth, ALSA, JACK and RtMidi report through plain C callbacks or stderr, so their lines
// go to one process-wide log, discarded while none is set. Any thread may log.
// Setting returns a ticket; clearing with it does nothing once another log has been set.
int SetSoundLibraryLog(LogFunction log);
void ClearSoundLibraryLog(int ticket);
void SoundLibraryLog(const std::string& line);

// Sends the libraries' own messages to the log instead of stderr and keeps JACK from starting
// a server of its own. Call before the first library call; later calls do nothing.
void PrepareSoundLibraries();

// True when a JACK server is running and answers; never starts one.
bool JackServerRunning();

}  // namespace plinkora
