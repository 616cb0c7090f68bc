#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "recording/atomic_file_system.h"

namespace plinkora::atomic_file_system {

namespace fs = std::filesystem;

namespace {

void (*removeOnSignal)() = nullptr;

// Only async-signal-safe calls: unlink, signal and raise.
void RemoveAndDie(int signalNumber) {
    removeOnSignal();
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

// A device, a pipe or a folder where the file should go is never replaced by a file.
bool IsSomethingElse(const fs::path& target) {
    struct stat info {};
    return ::lstat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// The folder's permission alone would let the rename replace a file its owner made
// read-only; written in place, it could not be opened, so it is not replaced either.
bool RefusesWriting(const fs::path& target) {
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT;
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

}  // namespace

bool WriteAll(NativeFile fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool RefusesTarget(const fs::path& target) {
    return IsSomethingElse(target) || RefusesWriting(target);
}

Creation CreateNew(const fs::path& path, NativeFile& fd) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        return Creation::kCreated;
    }
    return errno == EEXIST ? Creation::kTaken : Creation::kFailed;
}

bool Commit(NativeFile fd, const fs::path& temporary, const fs::path& target, bool filled) {
    KeepPermissions(fd, target);
    bool ok = ::fsync(fd) == 0 && filled;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) {
        SyncFolder(target);
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

void RemoveFileNow(const PathChar* path) {
    ::unlink(path);
}

void OnInterruption(void (*removeAll)()) {
    removeOnSignal = removeAll;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        // A signal the caller chose to ignore (nohup, say) stays ignored.
        if (::sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            struct sigaction action {};
            action.sa_handler = RemoveAndDie;
            sigemptyset(&action.sa_mask);
            ::sigaction(signalNumber, &action, nullptr);
        }
    }
}

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

bool ProcessIsGone(long id) {
    return ::kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH;
}

}  // namespace plinkora::atomic_file_system
