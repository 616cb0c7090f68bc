#pragma once

#include <array>
#include <cstdint>

namespace plinkora {

// The 128 General MIDI programs in program order, 16 families of 8.
struct InstrumentFamily {
    const char* name;
    std::array<const char*, 8> instruments;  // instrument i has program 8 x family + i
};

inline constexpr int kFamilyCount = 16;
extern const std::array<InstrumentFamily, kFamilyCount> InstrumentTable;

// The name of a program 0..127, e.g. "Violin" for 40.
const char* InstrumentName(int32_t program);

}  // namespace plinkora
