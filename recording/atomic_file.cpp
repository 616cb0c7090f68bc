#include "recording/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
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

// Writing through a symbolic link replaces the file it points to, not the link.
fs::path ResolveTarget(const std::string& path) {
    std::error_code error;
    const fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        fs::path resolved = fs::canonical(target, error);
        if (!error) {
            return resolved;
        }
    }
    return target;
}

std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    static thread_local std::minstd_rand random(std::random_device{}());
    return ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(random());
}

// Opens a new file next to target, named after it but hidden; -1 when none can be made.
int CreateBeside(const fs::path& target, fs::path& created) {
    if (!target.has_filename()) {
        return -1;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = target.parent_path() / ("." + target.filename().string() + UniqueSuffix());
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

}  // namespace

AtomicWriteResult WriteFileAtomically(const std::string& path,
                                      const std::function<bool(FileOutput&)>& fill) {
    const fs::path target = ResolveTarget(path);
    if (RefusesWriting(target)) {
        return AtomicWriteResult::kCannotCreate;
    }
    fs::path temporary;
    const int fd = CreateBeside(target, temporary);
    if (fd < 0) {
        return AtomicWriteResult::kCannotCreate;
    }
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

}  // namespace plinkora
