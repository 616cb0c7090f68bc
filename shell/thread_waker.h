#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace plinkora {

// Wakes the window thread from another thread without allocating: a byte written to a pipe
// that the window thread's event loop watches. A queued call would allocate an event each
// time. Where no pipe can be made, a queued call does it all the same.
class ThreadWaker final : public QObject {
  public:
    // onWake runs on the thread that creates the waker, once for any number of wakes pending.
    explicit ThreadWaker(std::function<void()> onWake);
    ~ThreadWaker() override;

    // Any thread.
    void Wake() noexcept;

  private:
    void Drain();

    std::function<void()> onWake_;
    int readFd_ = -1;
    int writeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace plinkora
