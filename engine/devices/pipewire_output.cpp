#include <pipewire/pipewire.h>
#include <pthread.h>
#include <spa/param/audio/format-utils.h>
#include <spa/utils/result.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/devices/audio_output.h"

namespace plinkora {

namespace {

// The quantum the node asks the graph for, in frames at 48 kHz. Tried with bench/sound_path.sh on
// a 2-core machine that other jobs kept at a load of 8 to 11: at 64, 128 and 256 frames held
// notes lost 0.0-0.3% of their sound, idle or beside two busy loops (the same stream through
// PipeWire's PulseAudio server lost 0.4-1.4%), and keys sounded within a few milliseconds at
// each; 128 (2.7 ms) wakes half as often as 64 for the same figures.
constexpr int kQuantumFrames = 128;
// A server that has not answered by then is taken for a frozen one, so that the opening thread
// does not wait on it for ever.
constexpr int kOpenLimitMs = 1500;

// PLINKORA_PIPEWIRE_QUANTUM (64 to 1024 frames) lets the bench try other quanta.
int PipeWireQuantum() {
    if (const char* asked = std::getenv("PLINKORA_PIPEWIRE_QUANTUM")) {
        const int frames = std::atoi(asked);
        if (frames >= 32 && frames <= 1024) {
            return frames;
        }
    }
    return kQuantumFrames;
}

// Whether a PipeWire server's socket is where clients look for it. Where none is, the server is
// not tried at all: a context loads its modules (the real-time one asks D-Bus for rtkit) before
// it connects, longer than the fall-back to the next server should take.
bool SocketExists() {
    const char* name = std::getenv("PIPEWIRE_REMOTE");
    std::string path = name && *name ? name : "pipewire-0";
    if (path.front() != '/') {
        const char* folder = nullptr;
        for (const char* variable : {"PIPEWIRE_RUNTIME_DIR", "XDG_RUNTIME_DIR", "USERPROFILE"}) {
            if (const char* value = std::getenv(variable); value && *value) {
                folder = value;
                break;
            }
        }
        if (!folder) {
            return false;
        }
        path = std::string(folder) + "/" + path;
    }
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

void InitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

class PipeWireOutput;

// Another program's stream in the graph, followed for whether it runs: while one does, the graph
// runs anyway. Loop thread.
struct OtherStream {
    PipeWireOutput* output = nullptr;
    uint32_t id = 0;
    pw_proxy* proxy = nullptr;
    spa_hook nodeListener{};
    bool running = false;
    bool passive = false;  // known from the node's own properties, which the registry leaves out
};

// One playback node on PipeWire's own API. PipeWire's data thread, at real-time priority where
// the system grants it (by RLIMIT_RTPRIO or through rtkit, which the client's real-time module
// asks), renders each cycle straight into the graph's buffer. Once the source has been silent
// for a while the node goes inactive, which lets the graph and the sink sleep; it stays known
// to the server, so the next event only sets it active again. An inactive node takes no part
// in the graph's cycles: waking, it waits for the cycle under way, as long as the quantum of
// whatever else runs (a player's 1024 frames are 21 ms). So while another program's stream
// runs, the node stays active, sending silence at its own short quantum, and goes inactive only
// when the graph would otherwise rest. The window thread never takes the loop's lock: it wakes the
// loop through an event.
class PipeWireOutput final : public AudioOutput {
  public:
    PipeWireOutput(AudioSource& source, LossCallback lost)
        : source_(source), onLost_(std::move(lost)) {}
    ~PipeWireOutput() override;

    bool Open(double rate, bool& serverFound);
    void Wake() noexcept override {
        wakes_.fetch_add(1);
        if (activity_) {
            pw_loop_signal_event(pw_thread_loop_get_loop(loop_), activity_);
        }
    }
    bool Lost() const noexcept override { return lost_.load(); }

    static void CoreError(void* self, uint32_t id, int seq, int res, const char* message);
    static void CoreDone(void* self, uint32_t id, int seq);
    static void OtherStreamChanged(void* other, const pw_node_info* info);

  private:
    bool Connect();
    bool FindsSink();
    bool StartStream(double rate);
    bool WaitFor(const bool& settled, timespec deadline);
    void ReportLoss();

    static void Global(void* self, uint32_t id, uint32_t permissions, const char* type,
                       uint32_t version, const spa_dict* props);
    static void StreamChanged(void* self, pw_stream_state old, pw_stream_state state,
                              const char* error);
    static void Process(void* self);
    static void GlobalRemoved(void* self, uint32_t id);
    static void ActivityChanged(void* self, uint64_t count);
    void FollowOtherStream(uint32_t id, const char* type);
    void UpdateActivity();

    AudioSource& source_;
    LossCallback onLost_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_registry* registry_ = nullptr;
    pw_stream* stream_ = nullptr;
    spa_source* activity_ = nullptr;
    spa_hook coreListener_{};
    spa_hook registryListener_{};
    spa_hook streamListener_{};

    // Loop thread, or the opening thread with the loop locked.
    int syncSeq_ = -1;
    bool synced_ = false;
    bool sinkSeen_ = false;
    bool streamSettled_ = false;
    bool streaming_ = false;
    bool active_ = true;
    std::vector<std::unique_ptr<OtherStream>> others_;

    // Sleep and waking: the data thread asks to sleep once the source has gone quiet, noting
    // how many wakes it had seen before that rendering; a wake since then keeps the node up.
    std::atomic<uint64_t> wakes_{0};
    std::atomic<uint64_t> sleepAt_{UINT64_MAX};
    bool sleeping_ = false;  // data thread
    bool named_ = false;     // data thread
    std::atomic<bool> lost_{false};
};

const pw_core_events kCoreEvents = [] {
    pw_core_events events{};
    events.version = PW_VERSION_CORE_EVENTS;
    events.done = PipeWireOutput::CoreDone;
    events.error = PipeWireOutput::CoreError;
    return events;
}();

PipeWireOutput::~PipeWireOutput() {
    if (loop_) {
        pw_thread_loop_stop(loop_);
    }
    // The loop has stopped: nothing runs on its thread any more, and our own disconnecting is no
    // loss to report.
    if (stream_) {
        spa_hook_remove(&streamListener_);
        pw_stream_destroy(stream_);
    }
    for (auto& other : others_) {
        spa_hook_remove(&other->nodeListener);
        pw_proxy_destroy(other->proxy);
    }
    if (registry_) {
        spa_hook_remove(&registryListener_);
        pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
    }
    if (core_) {
        spa_hook_remove(&coreListener_);
        pw_core_disconnect(core_);
    }
    if (activity_) {
        pw_loop_destroy_source(pw_thread_loop_get_loop(loop_), activity_);
    }
    if (context_) {
        pw_context_destroy(context_);
    }
    if (loop_) {
        pw_thread_loop_destroy(loop_);
    }
}

bool PipeWireOutput::Open(double rate, bool& serverFound) {
    serverFound = false;
    if (!SocketExists()) {
        return false;
    }
    InitOnce();
    loop_ = pw_thread_loop_new("plinkora-pipewire", nullptr);
    if (!loop_) {
        return false;
    }
    // The real-time module of this configuration raises the data thread, through rtkit where
    // the account may not do it itself.
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_),
                              pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
    if (!context_ || pw_thread_loop_start(loop_) < 0) {
        return false;
    }
    pw_thread_loop_lock(loop_);
    bool opened = false;
    if (Connect()) {
        serverFound = true;
        timespec deadline{};
        pw_thread_loop_get_time(loop_, &deadline, int64_t{kOpenLimitMs} * SPA_NSEC_PER_MSEC);
        if (!FindsSink()) {
            serverFound = false;  // no audio on this server: a PulseAudio server may have it
        } else if (WaitFor(synced_, deadline) && !sinkSeen_) {
            serverFound = false;
        } else if (synced_ && StartStream(rate) && WaitFor(streamSettled_, deadline)) {
            opened = !lost_ && streamSettled_;
        }
    }
    pw_thread_loop_unlock(loop_);
    return opened;
}

// With the loop locked. Fails at once where no PipeWire server listens.
bool PipeWireOutput::Connect() {
    core_ =
        pw_context_connect(context_, pw_properties_new(PW_KEY_APP_NAME, "Plinkora", nullptr), 0);
    if (!core_) {
        return false;
    }
    pw_core_add_listener(core_, &coreListener_, &kCoreEvents, this);
    activity_ = pw_loop_add_event(pw_thread_loop_get_loop(loop_), ActivityChanged, this);
    return activity_ != nullptr;
}

// With the loop locked: a PipeWire that carries no sound (one running beside PulseAudio only for
// screen sharing, say) shows no audio sink. The answer comes once the server has listed its
// objects.
bool PipeWireOutput::FindsSink() {
    static const pw_registry_events kRegistryEvents = [] {
        pw_registry_events events{};
        events.version = PW_VERSION_REGISTRY_EVENTS;
        events.global = Global;
        events.global_remove = GlobalRemoved;
        return events;
    }();
    registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
    if (!registry_) {
        return false;
    }
    pw_registry_add_listener(registry_, &registryListener_, &kRegistryEvents, this);
    syncSeq_ = pw_core_sync(core_, PW_ID_CORE, 0);
    return true;
}

// With the loop locked.
bool PipeWireOutput::StartStream(double rate) {
    const std::string latency = std::to_string(PipeWireQuantum() * static_cast<int>(rate) / 48000) +
                                "/" + std::to_string(static_cast<int>(rate));
    pw_properties* props = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback", PW_KEY_MEDIA_ROLE, "Music",
        PW_KEY_APP_NAME, "Plinkora", PW_KEY_NODE_NAME, "Plinkora", PW_KEY_NODE_DESCRIPTION,
        "Plinkora Synthesizer", PW_KEY_MEDIA_NAME, "Plinkora Synthesizer", PW_KEY_NODE_LATENCY,
        latency.c_str(), nullptr);
    static const pw_stream_events kStreamEvents = [] {
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.state_changed = StreamChanged;
        events.process = Process;
        return events;
    }();
    stream_ = pw_stream_new(core_, "Plinkora Synthesizer", props);
    if (!stream_) {
        return false;
    }
    pw_stream_add_listener(stream_, &streamListener_, &kStreamEvents, this);
    source_.SetSampleRate(rate);
    uint8_t podBuffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(podBuffer, sizeof podBuffer);
    spa_audio_info_raw info{};
    info.format = SPA_AUDIO_FORMAT_F32;
    info.rate = static_cast<uint32_t>(rate);
    info.channels = 2;
    info.position[0] = SPA_AUDIO_CHANNEL_FL;
    info.position[1] = SPA_AUDIO_CHANNEL_FR;
    const spa_pod* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
    const auto flags = static_cast<pw_stream_flags>(
        PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS | PW_STREAM_FLAG_RT_PROCESS);
    return pw_stream_connect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) >= 0;
}

// With the loop locked: false when the deadline passed first.
bool PipeWireOutput::WaitFor(const bool& settled, timespec deadline) {
    while (!settled && !lost_) {
        if (pw_thread_loop_timed_wait_full(loop_, &deadline) == -ETIMEDOUT) {
            return settled;
        }
    }
    return settled;
}

// Loop thread.
void PipeWireOutput::ReportLoss() {
    if (!lost_.exchange(true) && onLost_) {
        onLost_();
    }
    pw_thread_loop_signal(loop_, false);
}

void PipeWireOutput::CoreError(void* self, uint32_t id, int, int res, const char*) {
    // An error about the connection itself (a broken pipe when the server goes) ends it; others
    // concern a single object and are answered where that object reports its state.
    if (id == PW_ID_CORE && res == -EPIPE) {
        static_cast<PipeWireOutput*>(self)->ReportLoss();
    }
}

void PipeWireOutput::CoreDone(void* self, uint32_t id, int seq) {
    auto* output = static_cast<PipeWireOutput*>(self);
    if (id == PW_ID_CORE && seq == output->syncSeq_) {
        output->synced_ = true;
        pw_thread_loop_signal(output->loop_, false);
    }
}

void PipeWireOutput::Global(void* self, uint32_t id, uint32_t, const char* type, uint32_t,
                            const spa_dict* props) {
    auto* output = static_cast<PipeWireOutput*>(self);
    if (std::strcmp(type, PW_TYPE_INTERFACE_Node) != 0 || !props) {
        return;
    }
    const char* mediaClass = spa_dict_lookup(props, PW_KEY_MEDIA_CLASS);
    if (mediaClass && (std::strcmp(mediaClass, "Audio/Sink") == 0 ||
                       std::strcmp(mediaClass, "Audio/Duplex") == 0)) {
        output->sinkSeen_ = true;
    }
    // Only another program's stream that is not passive runs the graph of its own accord: a
    // passive one (a level meter on a sink's monitor) runs because the sink does, perhaps for
    // this node alone, and another Plinkora does as this one does; following them, both would
    // stay up for ever.
    const char* application = spa_dict_lookup(props, PW_KEY_APP_NAME);
    if (mediaClass &&
        (std::strcmp(mediaClass, "Stream/Output/Audio") == 0 ||
         std::strcmp(mediaClass, "Stream/Input/Audio") == 0) &&
        !(application && std::strcmp(application, "Plinkora") == 0)) {
        output->FollowOtherStream(id, type);
    }
}

// Loop thread.
void PipeWireOutput::FollowOtherStream(uint32_t id, const char* type) {
    static const pw_node_events kNodeEvents = [] {
        pw_node_events events{};
        events.version = PW_VERSION_NODE_EVENTS;
        events.info = OtherStreamChanged;
        return events;
    }();
    auto other = std::make_unique<OtherStream>();
    other->output = this;
    other->id = id;
    other->proxy =
        static_cast<pw_proxy*>(pw_registry_bind(registry_, id, type, PW_VERSION_NODE, 0));
    if (!other->proxy) {
        return;
    }
    pw_node_add_listener(reinterpret_cast<pw_node*>(other->proxy), &other->nodeListener,
                         &kNodeEvents, other.get());
    others_.push_back(std::move(other));
}

void PipeWireOutput::OtherStreamChanged(void* data, const pw_node_info* info) {
    auto* other = static_cast<OtherStream*>(data);
    if ((info->change_mask & PW_NODE_CHANGE_MASK_PROPS) && info->props) {
        const char* passive = spa_dict_lookup(info->props, PW_KEY_NODE_PASSIVE);
        other->passive = passive && std::strcmp(passive, "true") == 0;
    }
    if (info->change_mask & (PW_NODE_CHANGE_MASK_STATE | PW_NODE_CHANGE_MASK_PROPS)) {
        other->running = info->state == PW_NODE_STATE_RUNNING;
        other->output->UpdateActivity();
    }
}

void PipeWireOutput::GlobalRemoved(void* self, uint32_t id) {
    auto* output = static_cast<PipeWireOutput*>(self);
    auto& others = output->others_;
    for (auto it = others.begin(); it != others.end(); ++it) {
        if ((*it)->id == id) {
            spa_hook_remove(&(*it)->nodeListener);
            pw_proxy_destroy((*it)->proxy);
            others.erase(it);
            output->UpdateActivity();
            return;
        }
    }
}

void PipeWireOutput::StreamChanged(void* self, pw_stream_state, pw_stream_state state,
                                   const char*) {
    auto* output = static_cast<PipeWireOutput*>(self);
    switch (state) {
        case PW_STREAM_STATE_STREAMING:
            output->streaming_ = true;
            [[fallthrough]];
        case PW_STREAM_STATE_PAUSED:
            // Paused is where a node waits for a link or sits inactive: it is there.
            output->streamSettled_ = true;
            break;
        case PW_STREAM_STATE_ERROR:
        case PW_STREAM_STATE_UNCONNECTED:
            output->ReportLoss();  // the server dropped the node, or went away
            break;
        default:
            return;
    }
    pw_thread_loop_signal(output->loop_, false);
}

// Data thread, each cycle of the graph.
void PipeWireOutput::Process(void* self) {
    auto* output = static_cast<PipeWireOutput*>(self);
    pw_buffer* buffer = pw_stream_dequeue_buffer(output->stream_);
    if (!buffer) {
        return;
    }
    spa_data& data = buffer->buffer->datas[0];
    constexpr uint32_t kStride = 2 * sizeof(float);
    uint32_t frames = data.maxsize / kStride;
    if (buffer->requested > 0 && buffer->requested < frames) {
        frames = static_cast<uint32_t>(buffer->requested);
    }
    auto* samples = static_cast<float*>(data.data);
    if (!samples) {
        pw_stream_queue_buffer(output->stream_, buffer);
        return;
    }
    if (!output->named_) {
        // Once, so that the thread that renders can be told apart (top -H, chrt -p).
        pthread_setname_np(pthread_self(), "plinkora-sound");
        output->named_ = true;
    }
    const uint64_t wakes = output->wakes_.load();
    if (output->sleeping_ && output->sleepAt_.load() == wakes) {
        // Asleep, with the node's deactivation still on its way: silence, and no rendering,
        // which would count the quiet afresh and miss the next event's wake.
        std::memset(samples, 0, frames * kStride);
    } else {
        output->sleeping_ =
            !output->source_.Fill(samples, samples + 1, 2, static_cast<int>(frames));
        if (output->sleeping_) {
            output->sleepAt_.store(wakes);
            pw_loop_signal_event(pw_thread_loop_get_loop(output->loop_), output->activity_);
        }
    }
    data.chunk->offset = 0;
    data.chunk->stride = kStride;
    data.chunk->size = frames * kStride;
    pw_stream_queue_buffer(output->stream_, buffer);
}

void PipeWireOutput::ActivityChanged(void* self, uint64_t) {
    static_cast<PipeWireOutput*>(self)->UpdateActivity();
}

// Loop thread: the node is active while the source is awake (it has not slept since the last
// wake), or while another stream keeps the graph running.
void PipeWireOutput::UpdateActivity() {
    bool active = sleepAt_.load() != wakes_.load();
    for (const auto& other : others_) {
        active = active || (other->running && !other->passive);
    }
    if (active != active_ && stream_ && !lost_) {
        active_ = active;
        pw_stream_set_active(stream_, active);
    }
}

}  // namespace

std::unique_ptr<AudioOutput> OpenPipeWireOutput(AudioSource& source, double rate, LossCallback lost,
                                                bool& serverFound) {
    auto output = std::make_unique<PipeWireOutput>(source, std::move(lost));
    if (!output->Open(rate, serverFound)) {
        return nullptr;
    }
    return output;
}

}  // namespace plinkora
