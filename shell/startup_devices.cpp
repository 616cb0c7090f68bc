#include "shell/startup_devices.h"

#include "engine/devices/system_midi_outputs.h"
#include "recording/document.h"

namespace plinkora {

namespace {

std::string NotLoadedWarning(const std::vector<std::string>& notLoaded, const BuiltInSynth* synth) {
    std::string text;
    for (const std::string& path : notLoaded) {
        text += FormatDocumentMessage("Can not load the SoundFont %s.\n", path);
    }
    if (synth) {
        text += FormatDocumentMessage(
            "The synthesizer plays %s instead; Synthesizer... in the Device menu chooses another.",
            synth->SoundFont());
    } else {
        text += "No other SoundFont loads: the built-in synthesizer is not offered.";
    }
    return text;
}

}  // namespace

StartupDevices OpenStartupDevices(const QString& settingsFile, Prompts& prompts) {
    const SynthChoice choice = LoadSynthChoice(settingsFile);
    StartupDevices devices;
    devices.outputs = CreateSystemMidiOutputs({}, choice.soundFont, choice.sound);
    BuiltInSynth* builtIn = SystemSynthesizer(*devices.outputs);
    if (builtIn) {
        devices.synth = std::make_unique<SynthControl>(*builtIn, settingsFile);
    }
    const std::vector<std::string> notLoaded = SoundFontsNotLoaded(*devices.outputs);
    if (!notLoaded.empty()) {
        prompts.ShowMessage(nullptr, MessageIcon::Warning, "Plinkora",
                            NotLoadedWarning(notLoaded, builtIn));
    }
    return devices;
}

}  // namespace plinkora
