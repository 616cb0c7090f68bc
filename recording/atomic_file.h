#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace plinkora {

// The bytes of a file being written, buffered; remembers the first failure.
class FileOutput {
  public:
    explicit FileOutput(int fd) : fd_(fd) { buffer_.reserve(kBufferSize); }
    // False once any write has failed; later writes are then ignored.
    bool Write(const void* data, size_t size);
    bool Flush();
    bool Ok() const { return ok_; }

  private:
    static constexpr size_t kBufferSize = 1 << 16;
    bool WriteAll(const uint8_t* data, size_t size);

    int fd_;
    std::string buffer_;
    bool ok_ = true;
};

enum class AtomicWriteResult { kOk, kCannotCreate, kCannotWrite };

// Writes a new file beside path through fill and moves it over path only when fill and every
// write, flush and sync succeeded; otherwise the new file is removed. Either way the file that
// was at path is replaced whole or left exactly as it was. fill returns false to abandon.
AtomicWriteResult WriteFileAtomically(const std::string& path,
                                      const std::function<bool(FileOutput&)>& fill);

}  // namespace plinkora
