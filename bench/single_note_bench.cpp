// How steady one held note sounds through the built-in synthesizer: each of the 128 programs
// plays middle C at velocity 127 for 3 s, rendered offline at volume 100%, alone and with the
// bourdon (the same note an octave lower on channel 15). Per program: the peak (dBFS), the
// limiter's deepest gain, and its gain swing over the held note once the attack is over
// (from 0.5 s on). Goal: no swing above 1 dB, the piano near -6 dBFS, no peak at full scale.
//   single_note_bench [--volume V] [--dump DIR] [SOUNDFONT...]
// --volume sets the synthesizer's volume, 1 (100%) unless given, as the Synthesizer dialog does.
// --dump writes each render as raw stereo 32-bit floats at 44.1 kHz (DIR/NNN.f32 and
// DIR/NNN-bourdon.f32), for sox: sox -t f32 -r 44100 -c 2 DIR/000.f32 -n stats
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/devices/builtin_synth.h"
#include "engine/instruments.h"

namespace {

using plinkora::BuiltInSynth;

constexpr double kRate = BuiltInSynth::kOfflineSampleRate;
constexpr double kHoldSeconds = 3.0;
constexpr double kAttackSeconds = 0.5;
constexpr int kBlock = 64;
constexpr uint32_t kMiddleC = 60, kBourdonChannel = 15;

double Decibels(double level) {
    return 20 * std::log10(std::max(level, 1e-9));
}

struct NoteFigures {
    double peak = 0;          // dBFS
    double deepestGain = 0;   // dB, over the whole note
    double heldSwing = 0;     // dB, after the attack
    double maxSwing10Ms = 0;  // dB, the largest change within 10 ms after the attack
};

// Silence long enough for the reverberation to die and the limiter to come back to 1.
void Silence(BuiltInSynth& synth) {
    for (const uint32_t channel : {0u, kBourdonChannel}) {
        synth.Send(0xB0 | channel | 120u << 8);  // all sound off
    }
    std::vector<float> discarded(2 * 4096);
    for (int i = 0; i < 30; ++i) {
        synth.Render(discarded.data(), 4096);
    }
    synth.TakeLowestLimiterGain();
}

NoteFigures PlayNote(BuiltInSynth& synth, uint32_t program, bool bourdon,
                     const std::string& dumpPath) {
    NoteFigures figures;
    Silence(synth);
    synth.Send(0xC0 | program << 8);
    synth.Send(0x90 | kMiddleC << 8 | 127u << 16);
    if (bourdon) {
        synth.Send(0xC0 | kBourdonChannel | program << 8);
        synth.Send(0x90 | kBourdonChannel | (kMiddleC - 12) << 8 | 127u << 16);
    }
    const int blocks = static_cast<int>(kHoldSeconds * kRate / kBlock);
    const int attackBlocks = static_cast<int>(kAttackSeconds * kRate / kBlock);
    const int tenMsBlocks = static_cast<int>(0.01 * kRate / kBlock);
    std::vector<float> sound(2 * kBlock * static_cast<size_t>(blocks));
    std::vector<double> gains;  // dB, the lowest of each block after the attack
    double peak = 0, deepest = 1;
    for (int b = 0; b < blocks; ++b) {
        float* block = sound.data() + 2 * kBlock * b;
        synth.Render(block, kBlock);
        for (int i = 0; i < 2 * kBlock; ++i) {
            peak = std::max(peak, static_cast<double>(std::abs(block[i])));
        }
        const double gain = synth.TakeLowestLimiterGain();
        deepest = std::min(deepest, gain);
        if (b >= attackBlocks) {
            gains.push_back(Decibels(gain));
        }
    }
    figures.peak = Decibels(peak);
    figures.deepestGain = Decibels(deepest);
    const auto [low, high] = std::minmax_element(gains.begin(), gains.end());
    figures.heldSwing = *high - *low;
    for (size_t i = tenMsBlocks; i < gains.size(); ++i) {
        const auto [l, h] = std::minmax_element(gains.begin() + i - tenMsBlocks, gains.begin() + i);
        figures.maxSwing10Ms = std::max(figures.maxSwing10Ms, *h - *l);
    }
    if (!dumpPath.empty()) {
        if (FILE* file = std::fopen(dumpPath.c_str(), "wb")) {
            std::fwrite(sound.data(), sizeof(float), sound.size(), file);
            std::fclose(file);
        }
    }
    return figures;
}

struct Summary {
    int touched = 0;  // the limiter acted at all (more than 0.01 dB)
    int audible = 0;  // a swing above 1 dB after the attack
    double largestSwing = 0;
    int largestSwingProgram = 0;
    double loudestPeak = -200;

    void Add(uint32_t program, const NoteFigures& f) {
        touched += f.deepestGain < -0.01;
        audible += f.heldSwing > 1.0;
        if (f.heldSwing > largestSwing) {
            largestSwing = f.heldSwing;
            largestSwingProgram = static_cast<int>(program);
        }
        loudestPeak = std::max(loudestPeak, f.peak);
    }
    void Print(const char* name) const {
        std::printf(
            "  %-8s limiter acts on %3d of 128, swing above 1 dB in %3d, largest swing %.2f "
            "dB (program %d), loudest peak %.2f dBFS\n",
            name, touched, audible, largestSwing, largestSwingProgram, loudestPeak);
    }
};

void MeasureSoundFont(const std::string& soundFont, double volume, const std::string& dumpFolder) {
    std::printf("%s: middle C at velocity 127 held %.0f s, %.1f kHz, volume %.0f%%\n",
                soundFont.c_str(), kHoldSeconds, kRate / 1000, 100 * volume);
    std::printf(
        "prog instrument               |  alone: peak  deepest  swing  in10ms |"
        " bourdon: peak  deepest  swing  in10ms\n");
    Summary alone, doubled;
    double pianoPeak = 0;
    const auto start = std::chrono::steady_clock::now();
    auto synth = BuiltInSynth::Create(soundFont, kRate);
    if (!synth) {
        std::fprintf(stderr, "%s does not load\n", soundFont.c_str());
        std::exit(1);
    }
    synth->SetSound({volume, true, true});
    std::vector<float> first(2 * kBlock);
    synth->Render(first.data(), kBlock);
    std::printf("loaded and ready to render in %.0f ms\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
    for (uint32_t program = 0; program < 128; ++program) {
        char name[32];
        std::snprintf(name, sizeof name, "%03u", program);
        const std::string dump = dumpFolder.empty() ? "" : dumpFolder + "/" + name;
        const NoteFigures a = PlayNote(*synth, program, false, dump.empty() ? "" : dump + ".f32");
        const NoteFigures b =
            PlayNote(*synth, program, true, dump.empty() ? "" : dump + "-bourdon.f32");
        std::printf("%3u  %-24.24s | %11.2f %8.2f %6.2f %7.2f | %13.2f %8.2f %6.2f %7.2f\n",
                    program, plinkora::InstrumentName(static_cast<int32_t>(program)), a.peak,
                    a.deepestGain, a.heldSwing, a.maxSwing10Ms, b.peak, b.deepestGain, b.heldSwing,
                    b.maxSwing10Ms);
        alone.Add(program, a);
        doubled.Add(program, b);
        if (program == 0) {
            pianoPeak = a.peak;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("summary (%.1f s to measure):\n", seconds);
    alone.Print("alone");
    doubled.Print("bourdon");
    std::printf("  piano (program 0) alone peaks at %.2f dBFS\n\n", pianoPeak);
}

}  // namespace

int main(int argc, char** argv) {
    std::string dumpFolder;
    double volume = 1.0;
    std::vector<std::string> soundFonts;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dump") == 0 && i + 1 < argc) {
            dumpFolder = argv[++i];
        } else if (std::strcmp(argv[i], "--volume") == 0 && i + 1 < argc) {
            volume = std::strtod(argv[++i], nullptr);
        } else {
            soundFonts.emplace_back(argv[i]);
        }
    }
    if (soundFonts.empty()) {
        soundFonts.emplace_back("/usr/share/sounds/sf2/TimGM6mb.sf2");
    }
    for (const std::string& soundFont : soundFonts) {
        MeasureSoundFont(soundFont, volume, dumpFolder);
    }
    return 0;
}
