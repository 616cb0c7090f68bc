#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "engine/devices/audio_output.h"
#include "engine/devices/realtime_priority.h"

namespace plinkora {

namespace {

// The server keeps about this much queued and asks for more whenever a minimum request has
// played. Measured with bench/sound_path.sh on a 2-core machine beside two busy loops: the
// server's own protocol thread, at ordinary priority on most desktops, is now and then 6 ms
// late; 5 and 8 ms still lost a little sound there, 10 ms lost none, and a key
// sounds within about 13 ms.
constexpr double kTargetSeconds = 0.010;
constexpr double kMinimumRequestSeconds = 0.002;
// The sound server runs at 5 where it may; the synthesizer just below it still outranks every
// ordinary program.
constexpr int kRealtimePriority = 4;

constexpr size_t kFrameBytes = 2 * sizeof(float);
// A server that has not made the stream ready by then is taken for a frozen one, so that the
// opening thread does not wait on it for ever.
constexpr pa_usec_t kOpenLimitUsec = 1500 * PA_USEC_PER_MSEC;

uint32_t Bytes(double seconds, double rate) {
    return static_cast<uint32_t>(seconds * rate) * kFrameBytes;
}

// A playback stream on the PulseAudio asynchronous API (PipeWire answers it as well). The
// server asks for sound on the mainloop's thread, which renders straight into the server's
// memory. Once the source has been silent for a while the stream is taken down: even corked, a
// stream holds the server's sink at its short latency, waking it a thousand times a second. The
// next event puts up a new one. The window thread never takes the mainloop's lock, so it never
// waits for the rendering: it only wakes the mainloop through an eventfd.
class PulseOutput final : public AudioOutput {
  public:
    PulseOutput(AudioSource& source, LossCallback lost)
        : source_(source), onLost_(std::move(lost)) {}
    ~PulseOutput() override;

    // serverFound tells, on failure, whether a server was there at all.
    bool Open(double rate, bool& serverFound);
    void Wake() noexcept override {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
    }
    bool Lost() const noexcept override { return lost_.load(); }

  private:
    bool Connect();
    bool StartStream();
    void EndStream();
    void WaitUntilSettled(const std::atomic<bool>& settled);
    void ReportLoss();

    static void ContextChanged(pa_context* context, void* self);
    static void StreamChanged(pa_stream* stream, void* self);
    static void Write(pa_stream* stream, size_t bytes, void* self);
    static void Woken(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self);
    static void Retire(pa_mainloop_api* api, pa_defer_event* event, void* self);
    static void GiveUp(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);

    AudioSource& source_;
    LossCallback onLost_;
    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_io_event* wakeEvent_ = nullptr;
    pa_defer_event* retireEvent_ = nullptr;
    pa_time_event* openLimit_ = nullptr;
    int wakeFd_ = -1;
    double rate_ = 0;
    bool retiring_ = false;  // mainloop thread
    std::atomic<bool> contextSettled_{false};
    std::atomic<bool> streamSettled_{false};
    std::atomic<bool> lost_{false};
    std::atomic<bool> overdue_{false};
    std::atomic<pid_t> mainloopThread_{0};
};

PulseOutput::~PulseOutput() {
    if (mainloop_) {
        pa_threaded_mainloop_stop(mainloop_);
    }
    // The mainloop has stopped: nothing runs on its thread any more, and our own disconnecting
    // is no loss to report.
    EndStream();
    if (wakeEvent_) {
        pa_threaded_mainloop_get_api(mainloop_)->io_free(wakeEvent_);
    }
    if (retireEvent_) {
        pa_threaded_mainloop_get_api(mainloop_)->defer_free(retireEvent_);
    }
    if (openLimit_) {
        pa_threaded_mainloop_get_api(mainloop_)->time_free(openLimit_);
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (mainloop_) {
        pa_threaded_mainloop_free(mainloop_);
    }
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

bool PulseOutput::Open(double rate, bool& serverFound) {
    serverFound = false;
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    mainloop_ = pa_threaded_mainloop_new();
    if (wakeFd_ < 0 || !mainloop_) {
        return false;
    }
    rate_ = rate;
    source_.SetSampleRate(rate);
    pa_threaded_mainloop_lock(mainloop_);
    bool opened = Connect() && StartStream();
    if (opened) {
        WaitUntilSettled(streamSettled_);
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
        wakeEvent_ = api->io_new(api, wakeFd_, PA_IO_EVENT_INPUT, Woken, this);
        retireEvent_ = api->defer_new(api, Retire, this);
        opened = !overdue_ && stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY &&
                 wakeEvent_ && retireEvent_;
        if (retireEvent_) {
            api->defer_enable(retireEvent_, 0);
        }
    }
    if (openLimit_) {
        pa_threaded_mainloop_get_api(mainloop_)->time_free(openLimit_);
        openLimit_ = nullptr;
    }
    // Refused means nobody listens; any other failure came from a server that is there.
    serverFound =
        !opened && context_ && (overdue_ || pa_context_errno(context_) != PA_ERR_CONNECTIONREFUSED);
    pa_threaded_mainloop_unlock(mainloop_);
    // The mainloop's thread renders: it runs ahead of ordinary programs where the system allows
    // it, so that a busy machine does not starve the sound. Asked from here, as rtkit may take a
    // moment to answer.
    if (opened && mainloopThread_ != 0) {
        RaiseThreadToRealtime(mainloopThread_, kRealtimePriority);
    }
    return opened;
}

// With the mainloop locked.
bool PulseOutput::Connect() {
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
    context_ = pa_context_new(api, "Plinkora");
    if (!context_) {
        return false;
    }
    pa_context_set_state_callback(context_, ContextChanged, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        return false;
    }
    openLimit_ = pa_context_rttime_new(context_, pa_rtclock_now() + kOpenLimitUsec, GiveUp, this);
    if (!openLimit_ || pa_threaded_mainloop_start(mainloop_) < 0) {
        return false;
    }
    WaitUntilSettled(contextSettled_);
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

// With the mainloop locked, or on its thread. The stream becomes ready later.
bool PulseOutput::StartStream() {
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate_), 2};
    stream_ = pa_stream_new(context_, "Plinkora Synthesizer", &spec, nullptr);
    if (!stream_) {
        return false;
    }
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = Bytes(kTargetSeconds, rate_);
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = Bytes(kMinimumRequestSeconds, rate_);
    attr.fragsize = static_cast<uint32_t>(-1);
    pa_stream_set_state_callback(stream_, StreamChanged, this);
    pa_stream_set_write_callback(stream_, Write, this);
    return pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_NOFLAGS, nullptr,
                                      nullptr) >= 0;
}

// With the mainloop locked or stopped, or on its thread. Our own ending is no loss.
void PulseOutput::EndStream() {
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
}

void PulseOutput::WaitUntilSettled(const std::atomic<bool>& settled) {
    while (!settled.load()) {
        pa_threaded_mainloop_wait(mainloop_);
    }
}

// Mainloop thread.
void PulseOutput::ReportLoss() {
    if (!lost_.exchange(true) && onLost_) {
        onLost_();
    }
}

void PulseOutput::ContextChanged(pa_context* context, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            output->contextSettled_ = true;
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            if (output->contextSettled_.exchange(true)) {
                output->ReportLoss();  // it was ready: the server went away
            }
            output->streamSettled_ = true;
            break;
        default:
            return;
    }
    pa_threaded_mainloop_signal(output->mainloop_, 0);
}

void PulseOutput::StreamChanged(pa_stream* stream, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    switch (pa_stream_get_state(stream)) {
        case PA_STREAM_READY:
            output->mainloopThread_ = gettid();
            output->streamSettled_ = true;
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED:
            if (output->streamSettled_.exchange(true)) {
                output->ReportLoss();  // the server dropped the stream, or its sink went away
            }
            break;
        default:
            return;
    }
    pa_threaded_mainloop_signal(output->mainloop_, 0);
}

void PulseOutput::Write(pa_stream* stream, size_t bytes, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    while (bytes >= kFrameBytes && !output->retiring_) {
        void* data = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || size < kFrameBytes) {
            return;
        }
        const int frames = static_cast<int>(std::min(size, bytes) / kFrameBytes);
        auto* samples = static_cast<float*>(data);
        const bool sounding = output->source_.Fill(samples, samples + 1, 2, frames);
        pa_stream_write(stream, data, frames * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= frames * kFrameBytes;
        if (!sounding) {
            // Not from inside the stream's own callback: on the mainloop's next turn.
            output->retiring_ = true;
            pa_mainloop_api* api = pa_threaded_mainloop_get_api(output->mainloop_);
            api->defer_enable(output->retireEvent_, 1);
            return;
        }
    }
}

void PulseOutput::Woken(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(fd, &count, sizeof count);
    if (output->retiring_) {
        // The event came before the stream went: it stays, and gets what it was not given.
        output->retiring_ = false;
        pa_threaded_mainloop_get_api(output->mainloop_)->defer_enable(output->retireEvent_, 0);
        const size_t writable = pa_stream_writable_size(output->stream_);
        if (writable != static_cast<size_t>(-1)) {
            Write(output->stream_, writable, output);
        }
        return;
    }
    if (!output->stream_ && !output->lost_ && !output->StartStream()) {
        output->ReportLoss();
    }
}

// Mainloop thread: the server has not answered in time. Whatever waits for it gives up.
void PulseOutput::GiveUp(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    output->overdue_ = true;
    output->contextSettled_ = true;
    output->streamSettled_ = true;
    pa_threaded_mainloop_signal(output->mainloop_, 0);
}

void PulseOutput::Retire(pa_mainloop_api* api, pa_defer_event* event, void* self) {
    auto* output = static_cast<PulseOutput*>(self);
    api->defer_enable(event, 0);
    if (output->retiring_) {
        output->retiring_ = false;
        output->EndStream();
    }
}

}  // namespace

std::unique_ptr<AudioOutput> OpenPulseOutput(AudioSource& source, double rate, LossCallback lost,
                                             bool& serverFound) {
    auto output = std::make_unique<PulseOutput>(source, std::move(lost));
    if (!output->Open(rate, serverFound)) {
        return nullptr;
    }
    return output;
}

}  // namespace plinkora
