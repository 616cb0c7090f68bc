#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "recording/file_input.h"

namespace plinkora {

namespace {

// Takes a descriptor opened without blocking; keeps it only when it is a regular file, then
// lets it block like any other file.
std::FILE* AdoptRegularFile(int fd, const char* mode, bool empty) {
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || (empty && ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
}

}  // namespace

std::FILE* OpenRegularFile(const std::string& path) {
    // Without O_NONBLOCK, opening a pipe that has no writer waits for one.
    return AdoptRegularFile(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), "rb", false);
}

std::FILE* CreateRegularFile(const std::string& path) {
    // Emptied only once known to be a regular file: O_TRUNC would act on whatever is there.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    return AdoptRegularFile(fd, "wb", true);
}

std::optional<uint64_t> SizeOfFile(std::FILE* file) {
    struct stat info {};
    if (::fstat(::fileno(file), &info) != 0 || info.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(info.st_size);
}

bool ReadFileAt(std::FILE* file, uint64_t offset, void* out, size_t size) {
    auto* bytes = static_cast<uint8_t*>(out);
    while (size > 0) {
        const ssize_t got = ::pread(::fileno(file), bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        bytes += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

}  // namespace plinkora
