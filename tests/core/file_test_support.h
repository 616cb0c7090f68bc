#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace plinkora::testing {

using Bytes = std::vector<uint8_t>;

// A fresh folder per test, removed afterwards.
class TempFolderTest : public ::testing::Test {
  protected:
    TempFolderTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "plinkora-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
    }
    ~TempFolderTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    std::filesystem::path folder_;
};

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Little builders for hand-made files.
inline void Append(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}
inline void AppendLe32(Bytes& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}
inline Bytes Chunk(const std::string& id, const Bytes& data) {
    Bytes chunk;
    Append(chunk, id);
    AppendLe32(chunk, static_cast<uint32_t>(data.size()));
    chunk.insert(chunk.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) {
        chunk.push_back(0);
    }
    return chunk;
}
inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}
inline Bytes Le32s(std::initializer_list<uint32_t> values) {
    Bytes out;
    for (uint32_t v : values) {
        AppendLe32(out, v);
    }
    return out;
}

}  // namespace plinkora::testing
