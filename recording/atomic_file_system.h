#pragma once

// What writing a file whole asks of the system: atomic_file_posix.cpp and
// atomic_file_windows.cpp give it; atomic_file.cpp decides.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "recording/atomic_file.h"

namespace plinkora::atomic_file_system {

using PathChar = std::filesystem::path::value_type;

// False when some byte could not be written.
bool WriteAll(NativeFile file, const uint8_t* data, size_t size);

// Anything but a regular file that may be written: a folder, a device, a pipe, a read-only file.
// A path where nothing is yet is not refused.
bool RefusesTarget(const std::filesystem::path& target);

enum class Creation { kCreated, kTaken, kFailed };
// Creates a new file only if nothing has that name.
Creation CreateNew(const std::filesystem::path& path, NativeFile& file);

// Syncs and closes the new file and moves it over target when filled; false when any of that
// failed, the new file then being gone. target, if there, is replaced whole or not at all.
bool Commit(NativeFile file, const std::filesystem::path& temporary,
            const std::filesystem::path& target, bool filled);

// Only what a signal handler may call.
void RemoveFileNow(const PathChar* path);

// Calls removeAll when the user interrupts the program or closes its console; the
// program then ends as it would have.
void OnInterruption(void (*removeAll)());

long CurrentProcessId();
bool ProcessIsGone(long id);

}  // namespace plinkora::atomic_file_system
