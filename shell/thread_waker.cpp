#include "shell/thread_waker.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <utility>

namespace plinkora {

namespace {

bool MakeNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

}  // namespace

ThreadWaker::ThreadWaker(std::function<void()> onWake) : onWake_(std::move(onWake)) {
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    if (!MakeNonBlocking(fds[0]) || !MakeNonBlocking(fds[1])) {
        close(fds[0]);
        close(fds[1]);
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
}

ThreadWaker::~ThreadWaker() {
    if (notifier_ != nullptr) {
        notifier_->setEnabled(false);
        close(readFd_);
        close(writeFd_);
    }
}

void ThreadWaker::Wake() noexcept {
    if (writeFd_ < 0) {
        QMetaObject::invokeMethod(
            this, [this] { onWake_(); }, Qt::QueuedConnection);
        return;
    }
    // A full pipe already holds a wake-up, so a failed write loses nothing.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(writeFd_, &byte, 1);
}

void ThreadWaker::Drain() {
    char bytes[64];
    while (read(readFd_, bytes, sizeof bytes) > 0) {
    }
    onWake_();
}

}  // namespace plinkora
