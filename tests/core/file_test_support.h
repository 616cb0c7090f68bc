#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "recording/utf8_path.h"

namespace plinkora::testing {

using Bytes = std::vector<uint8_t>;

// A fresh folder per test, removed afterwards. Names are UTF-8, as the program passes them.
class TempFolderTest : public ::testing::Test {
  protected:
    TempFolderTest() {
        std::random_device random;
        std::error_code error;
        do {
            folder_ = std::filesystem::temp_directory_path() /
                      ("plinkora-" + std::to_string(random()) + std::to_string(random()));
        } while (!std::filesystem::create_directory(folder_, error) && !error);
    }
    ~TempFolderTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string Path(const std::string& name) const {
        return Utf8FromPath(folder_ / PathFromUtf8(name));
    }
    std::string Folder() const { return Utf8FromPath(folder_); }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            names.push_back(Utf8FromPath(entry.path().filename()));
        }
        return names;
    }
    std::filesystem::path folder_;
};

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(PathFromUtf8(path), std::ios::binary) << std::string(bytes.begin(), bytes.end());
}

// Builders for hand-made files: text, little-endian words, hex bytes ("4D54 6864"), RIFF
// chunks, joined with +.
inline Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}
inline Bytes Le32s(std::initializer_list<uint32_t> values) {
    Bytes out;
    for (uint32_t v : values) {
        out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    return out;
}
inline Bytes Hex(std::string hex) {
    std::erase(hex, ' ');
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}
inline Bytes operator+(Bytes left, const Bytes& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}
inline Bytes Chunk(std::string_view id, const Bytes& data) {
    return Text(id) + Le32s({static_cast<uint32_t>(data.size())}) + data + Bytes(data.size() % 2);
}

}  // namespace plinkora::testing
