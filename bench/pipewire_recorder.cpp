// usage: pipewire_recorder SINK RAW_FILE TIMING_FILE
// Records what a PipeWire sink plays (its monitor) as raw 16-bit mono at 48 kHz until it is
// ended (SIGTERM or SIGINT), with the same timing notes as monitor_recorder: after each graph
// cycle, how many frames so far and when the last of them sounded, on the graph's own clock
// (the cycle's start, as the driver timed it). A recorder through PipeWire's PulseAudio server
// would ask for a short fragment and so drag the graph's quantum down to its own; this one asks
// for a long one and leaves the quantum to the program measured. It is passive: it does not
// keep the graph running by itself, so a program whose node rests while idle is measured as
// when alone, its first note waking the graph. Where the graph rested, or a cycle was missed
// all the same (its data thread runs at real-time priority where it may), the time between is
// filled with kMissed, which sound_path.py leaves out, and counted. At the end it
// prints the cycle sizes it saw: the quantum the graph ran at.
#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr uint32_t kRate = 48000;
constexpr size_t kMaxSeconds = 400;
// Never played by the synthesizer, whose limiter stays below full scale.
constexpr int16_t kMissed = -32768;

struct Recording {
    pw_main_loop* loop = nullptr;
    pw_stream* stream = nullptr;
    std::vector<int16_t> samples;
    std::vector<std::pair<uint64_t, int64_t>> timing;  // frames so far, when the last sounded
    std::vector<uint32_t> cycleFrames;
    int64_t nextCycle = 0;  // when the next cycle should begin, in ns
    uint64_t missed = 0;
};

// Data thread: copies the cycle's samples into memory made beforehand.
void Process(void* data) {
    auto* rec = static_cast<Recording*>(data);
    pw_buffer* buffer = pw_stream_dequeue_buffer(rec->stream);
    if (!buffer) {
        return;
    }
    pw_time time{};
    pw_stream_get_time_n(rec->stream, &time, sizeof time);
    spa_data& d = buffer->buffer->datas[0];
    if (d.data && d.chunk) {
        const uint32_t frames = d.chunk->size / sizeof(int16_t);
        const auto* in = static_cast<const int16_t*>(SPA_PTROFF(d.data, d.chunk->offset, void));
        uint64_t gap = 0;
        const int64_t cycleNs = int64_t{frames} * 1000000000 / kRate;
        if (!rec->timing.empty() && time.now > rec->nextCycle + cycleNs / 2) {
            gap = static_cast<uint64_t>((time.now - rec->nextCycle) * kRate / 1000000000);
            ++rec->missed;
        }
        rec->nextCycle = time.now + cycleNs;
        if (rec->samples.size() + gap + frames <= rec->samples.capacity() &&
            rec->timing.size() < rec->timing.capacity()) {
            rec->samples.insert(rec->samples.end(), gap, kMissed);
            rec->samples.insert(rec->samples.end(), in, in + frames);
            const int64_t last = time.now + int64_t{frames - 1} * 1000000000 / kRate;
            rec->timing.emplace_back(rec->samples.size(), last);
            rec->cycleFrames.push_back(frames);
        }
    }
    pw_stream_queue_buffer(rec->stream, buffer);
}

void Stop(void* data, int) {
    pw_main_loop_quit(static_cast<Recording*>(data)->loop);
}

const pw_stream_events kEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.process = Process;
    return events;
}();

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SINK RAW_FILE TIMING_FILE\n", argv[0]);
        return 2;
    }
    pw_init(&argc, &argv);
    Recording rec;
    rec.samples.reserve(kMaxSeconds * kRate);
    rec.timing.reserve(kMaxSeconds * kRate / 32);
    rec.cycleFrames.reserve(kMaxSeconds * kRate / 32);
    // This configuration's real-time module raises the data thread.
    rec.loop = pw_main_loop_new(nullptr);
    pw_loop* loop = pw_main_loop_get_loop(rec.loop);
    pw_loop_add_signal(loop, SIGINT, Stop, &rec);
    pw_loop_add_signal(loop, SIGTERM, Stop, &rec);
    pw_properties* props =
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Capture",
                          PW_KEY_MEDIA_ROLE, "Production", PW_KEY_STREAM_CAPTURE_SINK, "true",
                          PW_KEY_TARGET_OBJECT, argv[1], PW_KEY_NODE_LATENCY, "1024/48000",
                          PW_KEY_NODE_NAME, "sound_path_bench", "node.passive", "true", nullptr);
    pw_context* context =
        pw_context_new(loop, pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
    pw_core* core = context ? pw_context_connect(context, nullptr, 0) : nullptr;
    if (!core) {
        std::fprintf(stderr, "no PipeWire server\n");
        return 1;
    }
    rec.stream = pw_stream_new(core, "sound_path_bench", props);
    spa_hook listener{};
    if (rec.stream) {
        pw_stream_add_listener(rec.stream, &listener, &kEvents, &rec);
    }
    uint8_t podBuffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(podBuffer, sizeof podBuffer);
    spa_audio_info_raw info{};
    info.format = SPA_AUDIO_FORMAT_S16;
    info.rate = kRate;
    info.channels = 1;
    info.position[0] = SPA_AUDIO_CHANNEL_MONO;
    const spa_pod* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
    if (!rec.stream || pw_stream_connect(rec.stream, PW_DIRECTION_INPUT, PW_ID_ANY,
                                         static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                                      PW_STREAM_FLAG_MAP_BUFFERS |
                                                                      PW_STREAM_FLAG_RT_PROCESS),
                                         params, 1) < 0) {
        std::fprintf(stderr, "cannot record %s\n", argv[1]);
        return 1;
    }
    pw_main_loop_run(rec.loop);
    pw_stream_destroy(rec.stream);
    pw_core_disconnect(core);
    pw_context_destroy(context);

    std::FILE* raw = std::fopen(argv[2], "wb");
    std::FILE* timing = std::fopen(argv[3], "w");
    if (!raw || !timing) {
        std::perror("pipewire_recorder");
        return 1;
    }
    std::fwrite(rec.samples.data(), sizeof(int16_t), rec.samples.size(), raw);
    for (const auto& [frames, ns] : rec.timing) {
        std::fprintf(timing, "%llu %lld\n", static_cast<unsigned long long>(frames),
                     static_cast<long long>(ns));
    }
    std::fclose(raw);
    std::fclose(timing);
    std::map<uint32_t, size_t> sizes;
    for (uint32_t frames : rec.cycleFrames) {
        ++sizes[frames];
    }
    std::printf("  graph cycles while recording:");
    for (const auto& [frames, count] : sizes) {
        std::printf(" %zu of %u frames", count, frames);
    }
    std::printf(", %llu gaps (the graph rested, or a cycle was missed)\n",
                static_cast<unsigned long long>(rec.missed));
    pw_main_loop_destroy(rec.loop);
    pw_deinit();
    return 0;
}
