// usage: monitor_recorder SOURCE RAW_FILE TIMING_FILE
// Records a PulseAudio source (a null sink's monitor) as raw 16-bit mono at 48 kHz until it is
// ended (SIGTERM or SIGINT), and notes after each read when its last sample was heard: the
// monotonic time less the latency the server reports. bench/sound_path.py fits those notes to
// place every recorded sample on the clock the key presses were timed with.
#include <pulse/error.h>
#include <pulse/simple.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

volatile std::sig_atomic_t stopping = 0;

int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE RAW_FILE TIMING_FILE\n", argv[0]);
        return 2;
    }
    std::signal(SIGTERM, [](int) { stopping = 1; });
    std::signal(SIGINT, [](int) { stopping = 1; });
    constexpr uint32_t kRate = 48000;
    constexpr size_t kChunkFrames = 96;  // 2 ms: the timing notes come often
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = kChunkFrames * 2;
    int error = 0;
    pa_simple* recorder = pa_simple_new(nullptr, "sound_path_bench", PA_STREAM_RECORD, argv[1],
                                        "monitor", &spec, nullptr, &attr, &error);
    if (!recorder) {
        std::fprintf(stderr, "cannot record %s: %s\n", argv[1], pa_strerror(error));
        return 1;
    }
    std::FILE* raw = std::fopen(argv[2], "wb");
    std::FILE* timing = std::fopen(argv[3], "w");
    if (!raw || !timing) {
        std::perror("monitor_recorder");
        return 1;
    }
    std::vector<int16_t> chunk(kChunkFrames);
    uint64_t frames = 0;
    while (!stopping) {
        if (pa_simple_read(recorder, chunk.data(), chunk.size() * 2, &error) < 0) {
            break;
        }
        const int64_t now = MonotonicNs();
        const pa_usec_t latency = pa_simple_get_latency(recorder, &error);
        frames += kChunkFrames;
        std::fwrite(chunk.data(), 2, chunk.size(), raw);
        // frames so far, and when the last of them was heard
        std::fprintf(timing, "%llu %lld\n", static_cast<unsigned long long>(frames),
                     static_cast<long long>(now - static_cast<int64_t>(latency) * 1000));
    }
    std::fclose(raw);
    std::fclose(timing);
    pa_simple_free(recorder);
    return 0;
}
