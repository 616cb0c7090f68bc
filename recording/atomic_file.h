#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace plinkora {

#ifdef _WIN32
using NativeFile = void*;  // a HANDLE
#else
using NativeFile = int;  // a file descriptor
#endif

// The bytes of a file being written, buffered; remembers the first failure.
class FileOutput {
  public:
    explicit FileOutput(NativeFile file) : file_(file) { buffer_.reserve(kBufferSize); }
    // False once any write has failed; later writes are then ignored.
    bool Write(const void* data, size_t size);
    bool Flush();
    bool Ok() const { return ok_; }

  private:
    static constexpr size_t kBufferSize = 1 << 16;
    bool WriteAll(const uint8_t* data, size_t size);

    NativeFile file_;
    std::string buffer_;
    bool ok_ = true;
};

enum class [[nodiscard]] AtomicWriteResult{kOk, kCannotCreate, kCannotWrite};

// On SIGINT, SIGTERM and SIGHUP, removes the temporary files being written, then dies of the
// signal as it would have. Signals already ignored stay ignored. On Windows the same for Ctrl+C,
// Ctrl+Break and the console window closing; there the system also removes a temporary file
// still being written however the process ends.
void RemoveTemporaryFilesOnSignals();

// Writes a new file beside path through fill and moves it over path only when fill and every
// write, flush and sync succeeded; otherwise the new file is removed. Either way the file that
// was at path is replaced whole or left exactly as it was. fill returns false to abandon.
// A symbolic link is followed to the file it names, which is created if missing; a path that
// names anything but a regular file, or a file that may not be written, is refused
// (kCannotCreate), and so is a Windows device name on Windows. A temporary file of the same
// target that a process no longer running left behind is removed first. path is UTF-8.
AtomicWriteResult WriteFileAtomically(const std::string& path,
                                      const std::function<bool(FileOutput&)>& fill);

}  // namespace plinkora
