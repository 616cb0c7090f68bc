#include "engine/devices/sound_libraries.h"

#include <fluidsynth.h>

#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "engine/devices/background_work.h"

#if defined(__linux__)
#include <dlfcn.h>
#if __has_include(<alsa/asoundlib.h>)
#include <alsa/asoundlib.h>
#define PLINKORA_HAVE_ALSA 1
#endif
#if __has_include(<jack/jack.h>)
#include <jack/jack.h>
#define PLINKORA_HAVE_JACK 1
#endif
#endif

namespace plinkora {

namespace {

struct LogSink {
    std::mutex mutex;
    LogFunction log;
    int ticket = 0;
};

// Never destroyed: an audio thread may still log while the process exits.
LogSink& Sink() {
    static LogSink* sink = new LogSink;
    return *sink;
}

void FluidSynthLog(int level, const char* message, void*) {
    static const char* const kLevels[] = {"panic", "error", "warning", "info", "debug"};
    const char* name = level >= 0 && level < LAST_LOG_LEVEL ? kLevels[level] : "log";
    SoundLibraryLog(std::string("FluidSynth ") + name + ": " + (message ? message : ""));
}

// ALSA, JACK and GLib are not linked by us but come loaded with RtMidi and FluidSynth, so their
// hooks are looked up where they already are; a library that is absent has nothing to quiet.
template <typename Function>
Function LoadedFunction(const char* name) {
#if defined(__linux__)
    return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
#else
    (void)name;
    return nullptr;
#endif
}

#if defined(PLINKORA_HAVE_ALSA)
void AlsaLog(const char* file, int line, const char* function, int, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    char prefix[256];
    std::snprintf(prefix, sizeof prefix, "ALSA lib %s:%d:(%s) ", file ? file : "?", line,
                  function ? function : "?");
    SoundLibraryLog(std::string(prefix) + text);
}

void QuietAlsa() {
    using SetHandler = int (*)(snd_lib_error_handler_t);
    if (auto set = LoadedFunction<SetHandler>("snd_lib_error_set_handler")) {
        set(AlsaLog);
    }
}
#else
void QuietAlsa() {}
#endif

#if defined(PLINKORA_HAVE_JACK)
void JackLog(const char* message) {
    SoundLibraryLog(std::string("JACK: ") + message);
}

void QuietJack() {
    using SetFunction = void (*)(void (*)(const char*));
    if (auto set = LoadedFunction<SetFunction>("jack_set_error_function")) {
        set(JackLog);
    }
    if (auto set = LoadedFunction<SetFunction>("jack_set_info_function")) {
        set(JackLog);
    }
}
#else
void QuietJack() {}
#endif

// FluidSynth's SoundFont loaders built on libinstpatch report through GLib's log, without a
// log domain of their own. GLib's prototypes are spelt out here, as we do not build against it.
void GlibLog(const char* domain, int level, const char* message, void*) {
    const char* kind = (level & 0x08) ? "critical" : (level & 0x10) ? "warning" : "message";
    SoundLibraryLog(std::string("GLib ") + (domain ? domain : "") + " " + kind + ": " +
                    (message ? message : ""));
}

void QuietGlib() {
    using GlibLogFunction = void (*)(const char*, int, const char*, void*);
    using SetHandler = unsigned int (*)(const char*, int, GlibLogFunction, void*);
    constexpr int kAllLevelsAndFlags = ~0;
    if (auto set = LoadedFunction<SetHandler>("g_log_set_handler")) {
        set(nullptr, kAllLevelsAndFlags, GlibLog, nullptr);
    }
}

}  // namespace

int SetSoundLibraryLog(LogFunction log) {
    LogSink& sink = Sink();
    std::lock_guard lock(sink.mutex);
    sink.log = std::move(log);
    return ++sink.ticket;
}

void ClearSoundLibraryLog(int ticket) {
    LogSink& sink = Sink();
    std::lock_guard lock(sink.mutex);
    if (sink.ticket == ticket) {
        sink.log = nullptr;
    }
}

void SoundLibraryLog(const std::string& line) {
    LogSink& sink = Sink();
    std::lock_guard lock(sink.mutex);
    if (sink.log) {
        sink.log(line);
    }
}

void PrepareSoundLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
#if !defined(_WIN32)
        // Without this, a JACK client (FluidSynth's or RtMidi's) may launch a JACK server that
        // then holds the sound card.
        setenv("JACK_NO_START_SERVER", "1", 0);
#endif
        for (int level = FLUID_PANIC; level <= FLUID_INFO; ++level) {
            fluid_set_log_function(level, FluidSynthLog, nullptr);
        }
        // Debug lines come from inside note on (voice stealing, say): left unset, FluidSynth
        // does not even format them, and the key path stays free of logging.
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
        QuietAlsa();
        QuietJack();
        QuietGlib();
    });
}

#if defined(PLINKORA_HAVE_JACK)
namespace {

bool JackAnswers() {
    using ClientOpen = jack_client_t* (*)(const char*, jack_options_t, jack_status_t*, ...);
    using ClientClose = int (*)(jack_client_t*);
    auto open = LoadedFunction<ClientOpen>("jack_client_open");
    auto close = LoadedFunction<ClientClose>("jack_client_close");
    if (!open || !close) {
        return false;
    }
    jack_status_t status{};
    jack_client_t* client = open("plinkora-probe", JackNoStartServer, &status);
    if (!client) {
        return false;
    }
    close(client);
    return true;
}

struct JackProbe {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool answered = false;
};

}  // namespace
#endif

bool JackServerRunning() {
#if defined(PLINKORA_HAVE_JACK)
    // A healthy server answers a new client in a few milliseconds; a frozen one never does, and
    // then its probe is left to end by itself, and no second one waits beside it.
    constexpr std::chrono::milliseconds kProbeLimit{250};
    static std::mutex stuckMutex;
    static std::shared_ptr<JackProbe> stuck;
    {
        std::lock_guard lock(stuckMutex);
        if (stuck) {
            std::lock_guard probeLock(stuck->mutex);
            if (!stuck->done) {
                return false;
            }
        }
        stuck.reset();
    }
    PrepareSoundLibraries();
    auto probe = std::make_shared<JackProbe>();
    RunInBackground([probe] {
        const bool answered = JackAnswers();
        {
            std::lock_guard lock(probe->mutex);
            probe->done = true;
            probe->answered = answered;
        }
        probe->ended.notify_all();
    });
    std::unique_lock lock(probe->mutex);
    if (!probe->ended.wait_for(lock, kProbeLimit, [&probe] { return probe->done; })) {
        lock.unlock();
        std::lock_guard stuckLock(stuckMutex);
        stuck = probe;
        return false;
    }
    return probe->answered;
#else
    return false;
#endif
}

}  // namespace plinkora
