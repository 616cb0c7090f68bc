#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace plinkora {

// Opens a regular file for reading in binary; nullptr for anything else. A named pipe or a
// device would block the window until some other program wrote to it, and a folder holds
// nothing to read. path is UTF-8, as every name inside the program.
std::FILE* OpenRegularFile(const std::string& path);

// Creates or empties a regular file for writing in binary; nullptr for anything else, for the
// same reason.
std::FILE* CreateRegularFile(const std::string& path);

// The size of a file opened above.
std::optional<uint64_t> SizeOfFile(std::FILE* file);

// Reads size bytes at offset, past the stream's own buffer (so not to be mixed with reading
// the stream); false unless all of them were read.
bool ReadFileAt(std::FILE* file, uint64_t offset, void* out, size_t size);

}  // namespace plinkora
