#include "recording/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>

namespace plinkora {

namespace fs = std::filesystem;

bool FileOutput::Write(const void* data, size_t size) {
    if (!ok_) {
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (buffer_.size() + size > kBufferSize) {
        if (!Flush()) {
            return false;
        }
        if (size >= kBufferSize) {
            return WriteAll(bytes, size);
        }
    }
    buffer_.append(reinterpret_cast<const char*>(bytes), size);
    return true;
}

bool FileOutput::Flush() {
    if (ok_ && !buffer_.empty()) {
        WriteAll(reinterpret_cast<const uint8_t*>(buffer_.data()), buffer_.size());
    }
    buffer_.clear();
    return ok_;
}

bool FileOutput::WriteAll(const uint8_t* data, size_t size) {
    while (ok_ && size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            ok_ = false;
            break;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return ok_;
}

namespace {

constexpr char kTemporaryMark[] = ".tmp-";
constexpr int kMostLinksFollowed = 40;  // as the system itself follows before ELOOP

// The temporary files being written, for the signal handler. Each slot's path is written only
// while the slot is claimed and read only while it is armed, so the handler needs no lock.
struct TemporarySlot {
    enum State : int { kFree, kClaimed, kArmed };
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
std::array<TemporarySlot, 4> temporarySlots;
static_assert(std::atomic<int>::is_always_lock_free, "read inside a signal handler");

// Null when every slot is taken: that file is then only cleaned up by the next write.
TemporarySlot* Remember(const fs::path& temporary) {
    const std::string& path = temporary.native();
    if (path.size() >= PATH_MAX) {
        return nullptr;
    }
    for (TemporarySlot& slot : temporarySlots) {
        int expected = TemporarySlot::kFree;
        if (slot.state.compare_exchange_strong(expected, TemporarySlot::kClaimed)) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.state.store(TemporarySlot::kArmed);
            return &slot;
        }
    }
    return nullptr;
}

// Frees the slot however the write ends.
struct Remembered {
    TemporarySlot* slot;
    ~Remembered() {
        if (slot != nullptr) {
            slot->state.store(TemporarySlot::kFree);
        }
    }
};

// Only async-signal-safe calls: unlink, signal and raise.
void RemoveTemporariesAndDie(int signalNumber) {
    for (TemporarySlot& slot : temporarySlots) {
        if (slot.state.load() == TemporarySlot::kArmed) {
            ::unlink(slot.path);
        }
    }
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

// Writing through a symbolic link writes the file it points to, creating it where the link
// dangles; the link itself stays. Nothing when the links go round in a loop.
std::optional<fs::path> ResolveTarget(const std::string& path) {
    fs::path target(path);
    for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error))) {
            return target;
        }
        const fs::path link = fs::read_symlink(target, error);
        if (error) {
            return std::nullopt;
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return std::nullopt;
}

// A device, a pipe or a folder where the file should go is never replaced by a file.
bool IsSomethingElse(const fs::path& target) {
    struct stat info {};
    return ::lstat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

std::string TemporaryPrefix(const fs::path& target) {
    return "." + target.filename().string() + kTemporaryMark;
}

std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    static thread_local std::minstd_rand random(std::random_device{}());
    return std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(random());
}

// A temporary file of this target left by a process that no longer runs (killed outright, or
// the power went) would otherwise stay, hidden, for good.
void RemoveAbandonedTemporaries(const fs::path& target) {
    const std::string prefix = TemporaryPrefix(target);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        std::error_code typeError;
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH &&
            it->is_regular_file(typeError) && !it->is_symlink(typeError)) {
            ::unlink(it->path().c_str());
        }
    }
}

// Opens a new file next to target, named after it but hidden; -1 when none can be made.
int CreateBeside(const fs::path& target, fs::path& created) {
    if (!target.has_filename()) {
        return -1;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = target.parent_path() / (TemporaryPrefix(target) + UniqueSuffix());
        const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// A replaced file keeps its permissions; a new one gets the usual ones (0666 less the umask).
void KeepPermissions(int fd, const fs::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
    }
}

// Makes the rename itself survive a crash; a failure here loses nothing already written.
void SyncFolder(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The folder's permission alone would let the rename replace a file its owner made
// read-only; written in place, it could not be opened, so it is not replaced either.
bool RefusesWriting(const fs::path& target) {
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT;
}

// Fills the new file and moves it over target only when everything succeeded.
AtomicWriteResult FillAndMove(int fd, const fs::path& temporary, const fs::path& target,
                              const std::function<bool(FileOutput&)>& fill) {
    KeepPermissions(fd, target);
    FileOutput out(fd);
    bool ok = fill(out);
    ok = out.Flush() && ok;
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) {
        SyncFolder(target);
        return AtomicWriteResult::kOk;
    }
    ::unlink(temporary.c_str());
    return AtomicWriteResult::kCannotWrite;
}

}  // namespace

void RemoveTemporaryFilesOnSignals() {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        // A signal the caller chose to ignore (nohup, say) stays ignored.
        if (::sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            struct sigaction action {};
            action.sa_handler = RemoveTemporariesAndDie;
            sigemptyset(&action.sa_mask);
            ::sigaction(signalNumber, &action, nullptr);
        }
    }
}

AtomicWriteResult WriteFileAtomically(const std::string& path,
                                      const std::function<bool(FileOutput&)>& fill) {
    const std::optional<fs::path> resolved = ResolveTarget(path);
    if (!resolved || IsSomethingElse(*resolved) || RefusesWriting(*resolved)) {
        return AtomicWriteResult::kCannotCreate;
    }
    const fs::path& target = *resolved;
    RemoveAbandonedTemporaries(target);
    fs::path temporary;
    const int fd = CreateBeside(target, temporary);
    if (fd < 0) {
        return AtomicWriteResult::kCannotCreate;
    }
    const Remembered remembered{Remember(temporary)};
    return FillAndMove(fd, temporary, target, fill);
}

}  // namespace plinkora
