#pragma once

#include <cstdio>
#include <string>

namespace plinkora {

// Opens a regular file for reading in binary; nullptr for anything else. A named pipe or a
// device would block the window until some other program wrote to it, and a folder holds
// nothing to read.
std::FILE* OpenRegularFile(const std::string& path);

// Creates or empties a regular file for writing in binary; nullptr for anything else, for the
// same reason.
std::FILE* CreateRegularFile(const std::string& path);

}  // namespace plinkora
