#pragma once

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

namespace plinkora::testing {

// A JACK server of the test's own on the dummy backend: no sound card needed.
class DummyJack {
  public:
    DummyJack() : name_("plinkora-test-" + std::to_string(getpid())) {
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        std::string server = name_;
        const char* argv[] = {"jackd", "-n",    server.c_str(), "-d",  "dummy",
                              "-r",    "48000", "-p",           "256", nullptr};
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&pid_, "jackd", &quiet, nullptr, const_cast<char**>(argv), environ)) {
            pid_ = 0;
        }
        posix_spawn_file_actions_destroy(&quiet);
        for (int i = 0; pid_ && i < 100 && !client_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            client_ = jack_client_open("plinkora-test", JackNoStartServer, nullptr);
        }
    }
    ~DummyJack() {
        Thaw();
        if (client_) {
            jack_client_close(client_);
        }
        Stop();
        unsetenv("JACK_DEFAULT_SERVER");
    }
    // A server that stops answering without going away, as a hung one does.
    void Freeze() const { Signal(SIGSTOP); }
    void Thaw() const { Signal(SIGCONT); }
    void Stop() {
        if (pid_) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }
    // The test's own client, null when the server did not start.
    jack_client_t* Client() const { return client_; }

  private:
    void Signal(int signal) const {
        if (pid_) {
            kill(pid_, signal);
        }
    }

    std::string name_;
    pid_t pid_ = 0;
    jack_client_t* client_ = nullptr;
};

}  // namespace plinkora::testing
