#include "recording/file_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plinkora {

std::FILE* OpenRegularFile(const std::string& path) {
    // Without O_NONBLOCK, opening a pipe that has no writer waits for one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
}

}  // namespace plinkora
