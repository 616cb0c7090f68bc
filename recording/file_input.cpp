#include "recording/file_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace plinkora
