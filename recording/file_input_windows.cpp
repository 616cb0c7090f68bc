#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "recording/device_names.h"
#include "recording/file_input.h"
#include "recording/utf8_path.h"

namespace plinkora {

namespace {

// Keeps a handle only when it is a file on a disk: a console, a pipe or a serial port is
// refused. flags are the C runtime's for the descriptor.
std::FILE* AdoptRegularFile(HANDLE handle, int flags, const char* mode, bool empty) {
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK || (empty && !::SetEndOfFile(handle))) {
        ::CloseHandle(handle);
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, mode);
    if (file == nullptr) {
        ::_close(fd);
    }
    return file;
}

// A device name opens the device (a printer, a serial port) whatever the folder: it is never
// opened at all.
HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    const std::wstring wide = WideFromUtf8(path);
    if (wide.empty() || IsWindowsDeviceName(path)) {
        return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

HANDLE HandleOf(std::FILE* file) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
}

}  // namespace

std::FILE* OpenRegularFile(const std::string& path) {
    const HANDLE handle =
        OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    return AdoptRegularFile(handle, _O_RDONLY, "rb", false);
}

std::FILE* CreateRegularFile(const std::string& path) {
    // Emptied only once known to be a file on a disk, as on other systems.
    const HANDLE handle = OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    return AdoptRegularFile(handle, _O_WRONLY, "wb", true);
}

std::optional<uint64_t> SizeOfFile(std::FILE* file) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(HandleOf(file), &size) || size.QuadPart < 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(size.QuadPart);
}

bool ReadFileAt(std::FILE* file, uint64_t offset, void* out, size_t size) {
    auto* bytes = static_cast<uint8_t*>(out);
    while (size > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!::ReadFile(HandleOf(file), bytes, chunk, &got, &at) || got == 0) {
            return false;
        }
        bytes += got;
        offset += got;
        size -= got;
    }
    return true;
}

}  // namespace plinkora
