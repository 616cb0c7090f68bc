// What reading every sample of a SoundFont as it loads costs, as the built-in synthesizer does,
// against FluidSynth's dynamic sample loading, which reads a program's samples only when it is
// chosen (and crashes when the file has gone by then): the time to load, the memory it takes,
// and the time to choose a new program.
//
//   soundfont_load_bench [SOUNDFONT...]    default: the test SoundFont and the system's default
//
// Each figure comes from a process of its own, so that no load shares FluidSynth's sample cache.
#include <fluidsynth.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/devices/builtin_synth.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// Resident memory of this process, in MB.
double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return 0;
}

// Memory after the load, then after choosing each of the 128 programs once, on 8 channels in
// turn, as a user trying them out leaves them.
void Measure(const std::string& path, bool dynamic) {
    fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", dynamic ? 1 : 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    const double before = ResidentMegabytes();
    const auto start = Clock::now();
    const int id = fluid_synth_sfload(synth, path.c_str(), 1);
    const double load = Milliseconds(start);
    const double loaded = ResidentMegabytes() - before;
    const auto choose = Clock::now();
    fluid_synth_program_change(synth, 0, 40);  // the violin
    const double chosen = Milliseconds(choose);
    for (int program = 0; program < 128; ++program) {
        fluid_synth_program_change(synth, 1 + program % 8, program);
    }
    if (id == FLUID_FAILED) {
        std::printf("%s: does not load\n", path.c_str());
    } else {
        std::printf(
            "%-40s %-13s load %4.0f ms  memory %5.1f MB (%5.1f MB with every program "
            "tried)  new program %4.1f ms\n",
            path.c_str(), dynamic ? "dynamic" : "all at load", load, loaded,
            ResidentMegabytes() - before, chosen);
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

void InChild(const std::string& path, bool dynamic) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        Measure(path, dynamic);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty()) {
        paths = {"/usr/share/sounds/sf2/TimGM6mb.sf2"};
        if (std::optional<std::string> system = plinkora::FindSoundFont()) {
            paths.push_back(*system);
        }
    }
    for (const std::string& path : paths) {
        for (int run = 0; run < 3; ++run) {
            InChild(path, false);
            InChild(path, true);
        }
    }
    return 0;
}
