// How long a key takes from PlayKey to the word handed to the MIDI device, and whether that path
// allocates. Prints a table; judges nothing.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/controls.h"
#include "engine/devices/builtin_synth.h"
#include "engine/devices/system_midi_outputs.h"
#include "engine/key_handling.h"
#include "engine/midi_output.h"
#include "engine/performance.h"
#include "tests/support/capturing_midi.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PLINKORA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define PLINKORA_SANITIZED 1
#endif
#endif

// With glibc the C allocator can be wrapped too, which also counts FluidSynth's allocations;
// sanitizers bring allocators of their own, so there only C++ allocations are counted.
#if defined(__GLIBC__) && !defined(PLINKORA_SANITIZED)
#define PLINKORA_COUNT_C_ALLOCATIONS 1
#endif

namespace {

// Only the thread that plays the keys counts, and only inside PlayKey: the audio thread and the
// rendering between key events allocate as they please.
thread_local bool counting = false;
long allocations = 0;

void CountAllocation() {
    if (counting) {
        ++allocations;
    }
}

}  // namespace

#if defined(PLINKORA_COUNT_C_ALLOCATIONS)
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);

void* malloc(size_t size) {
    CountAllocation();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    CountAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size) {
    CountAllocation();
    return __libc_realloc(pointer, size);
}
}
#endif

// operator new goes through malloc, which counts it when wrapped above.
void* operator new(size_t size) {
#if !defined(PLINKORA_COUNT_C_ALLOCATIONS)
    CountAllocation();
#endif
    if (void* pointer = std::malloc(size ? size : 1)) {
        return pointer;
    }
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void operator delete(void* pointer) noexcept {
    std::free(pointer);
}
void operator delete[](void* pointer) noexcept {
    std::free(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
    std::free(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
    std::free(pointer);
}

namespace plinkora {
namespace {

int events = 100000;  // half presses, half releases; the first argument may change it
// Rendered between two key events: 5.8 ms, so that, as in real playing, the piano's releases
// end before 256 voices sound and FluidSynth has to steal one.
constexpr int kRenderFrames = 256;
constexpr const char* kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The built-in synthesizer as the only output, rendered offline by the benchmark loop.
class OfflineSynthOutputs final : public MidiOutputs {
  public:
    explicit OfflineSynthOutputs(BuiltInSynth& synth) : synth_(synth) {}
    int Count() const override { return 1; }
    std::optional<std::string> MapperName() const override { return std::nullopt; }
    std::string Name(int32_t) const override { return "Offline synthesizer"; }
    std::unique_ptr<MidiDevice> Open(int32_t) override { return std::make_unique<Device>(synth_); }

  private:
    struct Device final : MidiDevice {
        explicit Device(BuiltInSynth& synth) : synth(synth) {}
        bool Send(uint32_t word) noexcept override { return synth.Send(word); }
        BuiltInSynth& synth;
    };
    BuiltInSynth& synth_;
};

struct Figures {
    double median = 0, p99 = 0, max = 0;
    long allocations = 0;
};

// Alternate presses and releases over the nine keys A to L; between two events, betweenEvents
// runs untimed (an audio period rendered, say).
template <typename Between>
Figures MeasureKeys(Performance& p, int events, Between betweenEvents) {
    constexpr uint32_t kFirstKey = 30, kKeys = 9;
    std::vector<double> micros(static_cast<size_t>(events));
    auto play = [&](int event) {
        const uint32_t key = kFirstKey + static_cast<uint32_t>(event / 2) % kKeys;
        PlayKey(p, {key, event % 2 == 0});
    };
    for (int event = 0; event < std::min(2000, events); ++event) {  // warm caches and voices
        play(event);
        betweenEvents();
    }
    allocations = 0;
    for (size_t event = 0; event < micros.size(); ++event) {
        counting = true;
        const auto start = std::chrono::steady_clock::now();
        play(static_cast<int>(event));
        const auto end = std::chrono::steady_clock::now();
        counting = false;
        micros[event] = std::chrono::duration<double, std::micro>(end - start).count();
        betweenEvents();
    }
    std::sort(micros.begin(), micros.end());
    return {micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back(),
            allocations};
}

void PrintRow(const char* device, int events, bool bourdon, const Figures& f) {
    std::printf("%-30s %8d %-7s %9.3f %9.3f %10.1f %12ld\n", device, events, bourdon ? "on" : "off",
                f.median, f.p99, f.max, f.allocations);
}

void OpenAsAtStartup(Performance& p, bool bourdon) {
    ResolveDefaultDevice(p);
    static_cast<void>(OpenMidiDeviceAtStartup(p));  // the callers look at DeviceOpen
    SetBourdon(p, bourdon);
}

void MeasureCapturing(bool bourdon) {
    CapturingMidiOutputs outputs;
    outputs.words.reserve(4 * static_cast<size_t>(events) + 16384);
    Performance p(outputs);
    OpenAsAtStartup(p, bourdon);
    PrintRow("capturing device", events, bourdon, MeasureKeys(p, events, [] {}));
}

void MeasureOffline(BuiltInSynth& synth, bool bourdon) {
    OfflineSynthOutputs outputs(synth);
    Performance p(outputs);
    OpenAsAtStartup(p, bourdon);
    std::vector<float> period(2 * kRenderFrames);
    PrintRow("built-in synth, offline", events, bourdon,
             MeasureKeys(p, events, [&] { synth.Render(period.data(), kRenderFrames); }));
    PressEscape(p);
}

void MeasureWithAudio(bool bourdon) {
    std::unique_ptr<MidiOutputs> outputs = CreateSystemMidiOutputs();
    Performance p(*outputs);
    if (outputs->Count() > 0 && outputs->Name(0) == "Plinkora Synthesizer") {
        OpenAsAtStartup(p, bourdon);
    }
    if (!p.DeviceOpen()) {
        std::printf("%-30s (no SoundFont or no audio output)\n", "built-in synth, audio");
        return;
    }
    // Real time: a key every 5 ms, so fewer of them.
    constexpr int kAudioEvents = 4000;
    PrintRow("built-in synth, audio", kAudioEvents, bourdon, MeasureKeys(p, kAudioEvents, [] {
                 std::this_thread::sleep_for(std::chrono::milliseconds(5));
             }));
    CloseMidiDevice(p);
}

}  // namespace
}  // namespace plinkora

int main(int argc, char** argv) {
    using namespace plinkora;
    if (argc > 1) {
        events = std::max(2, std::atoi(argv[1]));
    }
    std::printf(
        "PlayKey to the word handed to the device; key events alternate press and "
        "release\n");
#if defined(PLINKORA_COUNT_C_ALLOCATIONS)
    std::printf("allocations: C and C++ allocations during the timed loop\n\n");
#else
    std::printf("allocations: C++ allocations during the timed loop (C allocator not wrapped)\n\n");
#endif
    std::printf("%-30s %8s %-7s %9s %9s %10s %12s\n", "device", "events", "bourdon", "median us",
                "p99 us", "max us", "allocations");
    MeasureCapturing(false);
    MeasureCapturing(true);
    if (auto synth = BuiltInSynth::Create(kTestSoundFont, BuiltInSynth::kOfflineSampleRate)) {
        MeasureOffline(*synth, false);
        MeasureOffline(*synth, true);
    } else {
        std::printf("%-30s (cannot load %s)\n", "built-in synth, offline", kTestSoundFont);
    }
    MeasureWithAudio(false);
    MeasureWithAudio(true);
    return 0;
}
