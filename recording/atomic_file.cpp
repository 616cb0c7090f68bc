#include "recording/atomic_file.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>

#include "recording/atomic_file_system.h"
#include "recording/utf8_path.h"

namespace plinkora {

namespace fs = std::filesystem;
namespace sys = atomic_file_system;

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
    ok_ = ok_ && sys::WriteAll(file_, data, size);
    return ok_;
}

namespace {

constexpr char kTemporaryMark[] = ".tmp-";
constexpr int kMostLinksFollowed = 40;  // as the system itself follows before ELOOP
constexpr size_t kLongestRemembered = 4096;

// The temporary files being written, for the signal handler. Each slot's path is written only
// while the slot is claimed and read only while it is armed, so the handler needs no lock.
struct TemporarySlot {
    enum State : int { kFree, kClaimed, kArmed };
    std::atomic<int> state{kFree};
    sys::PathChar path[kLongestRemembered];
};
std::array<TemporarySlot, 4> temporarySlots;
static_assert(std::atomic<int>::is_always_lock_free, "read inside a signal handler");

// Null when every slot is taken: that file is then only cleaned up by the next write.
TemporarySlot* Remember(const fs::path& temporary) {
    const fs::path::string_type& path = temporary.native();
    if (path.size() >= kLongestRemembered) {
        return nullptr;
    }
    for (TemporarySlot& slot : temporarySlots) {
        int expected = TemporarySlot::kFree;
        if (slot.state.compare_exchange_strong(expected, TemporarySlot::kClaimed)) {
            std::memcpy(slot.path, path.c_str(), (path.size() + 1) * sizeof(sys::PathChar));
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

void RemoveRememberedTemporaries() {
    for (TemporarySlot& slot : temporarySlots) {
        if (slot.state.load() == TemporarySlot::kArmed) {
            sys::RemoveFileNow(slot.path);
        }
    }
}

// Writing through a symbolic link writes the file it points to, creating it where the link
// dangles; the link itself stays. Nothing when the links go round in a loop.
std::optional<fs::path> ResolveTarget(const std::string& path) {
    fs::path target = PathFromUtf8(path);
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

std::string TemporaryPrefix(const fs::path& target) {
    return "." + Utf8FromPath(target.filename()) + kTemporaryMark;
}

std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    static thread_local std::minstd_rand random(std::random_device{}());
    return std::to_string(sys::CurrentProcessId()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(random());
}

// A temporary file of this target left by a process that no longer runs (killed outright, or
// the power went) would otherwise stay, hidden, for good.
void RemoveAbandonedTemporaries(const fs::path& target) {
    const std::string prefix = TemporaryPrefix(target);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = Utf8FromPath(it->path().filename());
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        std::error_code typeError;
        if (pid > 0 && sys::ProcessIsGone(pid) && it->is_regular_file(typeError) &&
            !it->is_symlink(typeError)) {
            fs::remove(it->path(), typeError);
        }
    }
}

// Opens a new file next to target, named after it but hidden; nothing when none can be made.
std::optional<NativeFile> CreateBeside(const fs::path& target, fs::path& created) {
    if (!target.has_filename()) {
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = target.parent_path() / PathFromUtf8(TemporaryPrefix(target) + UniqueSuffix());
        NativeFile file{};
        switch (sys::CreateNew(created, file)) {
            case sys::Creation::kCreated:
                return file;
            case sys::Creation::kFailed:
                return std::nullopt;
            case sys::Creation::kTaken:
                break;
        }
    }
    return std::nullopt;
}

}  // namespace

void RemoveTemporaryFilesOnSignals() {
    sys::OnInterruption(RemoveRememberedTemporaries);
}

AtomicWriteResult WriteFileAtomically(const std::string& path,
                                      const std::function<bool(FileOutput&)>& fill) {
    const std::optional<fs::path> resolved = ResolveTarget(path);
    if (!resolved || resolved->empty() || sys::RefusesTarget(*resolved)) {
        return AtomicWriteResult::kCannotCreate;
    }
    const fs::path& target = *resolved;
    RemoveAbandonedTemporaries(target);
    fs::path temporary;
    const std::optional<NativeFile> file = CreateBeside(target, temporary);
    if (!file) {
        return AtomicWriteResult::kCannotCreate;
    }
    const Remembered remembered{Remember(temporary)};
    FileOutput out(*file);
    bool filled = fill(out);
    filled = out.Flush() && filled;
    return sys::Commit(*file, temporary, target, filled) ? AtomicWriteResult::kOk
                                                         : AtomicWriteResult::kCannotWrite;
}

}  // namespace plinkora
