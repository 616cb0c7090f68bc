#include <windows.h>

#include "recording/atomic_file_system.h"
#include "recording/device_names.h"
#include "recording/utf8_path.h"

namespace plinkora::atomic_file_system {

namespace fs = std::filesystem;

namespace {

void (*removeOnInterruption)() = nullptr;

// Runs on a thread of its own; the next handler, the system's, then ends the program.
BOOL WINAPI RemoveOnConsoleEvent(DWORD) {
    removeOnInterruption();
    return FALSE;
}

// While it is written, the new file is marked for deletion: the system removes it when its
// handle closes, and so however the program ends, even killed outright. The mark is lifted
// only to move the complete file into place.
bool MarkForDeletion(HANDLE file, bool deletion) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deletion)};
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition) != 0;
}

}  // namespace

bool WriteAll(NativeFile file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// A device name opens the device however the file is then opened: it is refused by its name
// alone, before anything is opened. Otherwise what is there is asked what it is.
bool RefusesTarget(const fs::path& target) {
    if (IsWindowsDeviceName(Utf8FromPath(target.filename()))) {
        return true;
    }
    const HANDLE existing =
        ::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        return ::GetLastError() != ERROR_FILE_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool refused =
        ::GetFileType(existing) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(existing, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0;
    ::CloseHandle(existing);
    return refused;
}

Creation CreateNew(const fs::path& path, NativeFile& file) {
    file = ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Creation::kTaken
                                                                           : Creation::kFailed;
    }
    // Where the mark cannot be set, the console handler and the next write still clean up.
    MarkForDeletion(file, true);
    return Creation::kCreated;
}

bool Commit(NativeFile file, const fs::path& temporary, const fs::path& target, bool filled) {
    bool ok = filled && ::FlushFileBuffers(file) && MarkForDeletion(file, false);
    ok = ::CloseHandle(file) && ok;
    if (ok && ::MoveFileExW(temporary.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temporary.c_str());
    return false;
}

void RemoveFileNow(const PathChar* path) {
    ::DeleteFileW(path);
}

void OnInterruption(void (*removeAll)()) {
    removeOnInterruption = removeAll;
    ::SetConsoleCtrlHandler(RemoveOnConsoleEvent, TRUE);
}

long CurrentProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

bool ProcessIsGone(long id) {
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (process == nullptr) {
        return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    }
    DWORD status = 0;
    const bool ended = ::GetExitCodeProcess(process, &status) && status != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
}

}  // namespace plinkora::atomic_file_system
