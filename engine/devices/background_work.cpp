#include "engine/devices/background_work.h"

#include <memory>
#include <system_error>
#include <thread>

namespace plinkora {

namespace {

// Counts the work that has not ended. Never destroyed: stuck work may end while the process
// exits.
struct Outstanding {
    std::mutex mutex;
    std::condition_variable ended;
    int count = 0;
};

Outstanding& Work() {
    static auto* outstanding = new Outstanding;
    return *outstanding;
}

void Finished() {
    Outstanding& work = Work();
    {
        std::lock_guard lock(work.mutex);
        --work.count;
    }
    work.ended.notify_all();
}

}  // namespace

void RunInBackground(std::function<void()> work) {
    {
        std::lock_guard lock(Work().mutex);
        ++Work().count;
    }
    // One copy of the work only, emptied on its own thread: what it holds (an output that closes
    // as its last owner lets go, say) must never be let go on the caller's thread.
    auto task = std::make_shared<std::function<void()>>(std::move(work));
    try {
        std::thread([task] {
            (*task)();
            *task = nullptr;
            Finished();
        }).detach();
    } catch (const std::system_error&) {
        (*task)();
        *task = nullptr;
        Finished();
    }
}

bool WaitForBackgroundWork(std::chrono::milliseconds limit) {
    Outstanding& work = Work();
    std::unique_lock lock(work.mutex);
    return work.ended.wait_for(lock, limit, [&work] { return work.count == 0; });
}

}  // namespace plinkora
