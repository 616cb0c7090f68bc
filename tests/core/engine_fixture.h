#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "engine/key_handling.h"
#include "engine/performance.h"
#include "tests/support/capturing_midi.h"

namespace plinkora::testing {

struct FakeModifiers final : ModifierKeys {
    bool shift = false;
    bool ctrl = false;
    bool ShiftDown() const override { return shift; }
    bool CtrlDown() const override { return ctrl; }
};

struct RecordingView final : EngineView {
    int repaints = 0;
    std::vector<std::string> warnings;
    void Repaint() override { ++repaints; }
    void ShowWarning(std::string_view text) override { warnings.emplace_back(text); }
    void ReleasesOwed() override { ++owedNotices; }
    int owedNotices = 0;
};

struct PainterLog final : KeyCapPainter {
    struct Cap {
        int key;
        bool pressed;
        int32_t shift;
    };
    std::vector<Cap> caps;
    void DrawKeyCap(int key, bool pressed, bool, int32_t shift) override {
        caps.push_back({key, pressed, shift});
    }
};

// A performance on a capturing device, opened as at start-up, with the sent words cleared.
class EngineTest : public ::testing::Test {
  protected:
    EngineTest() {
        p.modifiers = &modifiers;
        p.view = &view;
        p.painter = &painter;
        ResolveDefaultDevice(p);
        EXPECT_TRUE(OpenMidiDeviceAtStartup(p));
        outputs.words.clear();
    }

    std::vector<uint32_t> Sent() {
        std::vector<uint32_t> words = outputs.words;
        outputs.words.clear();
        return words;
    }

    void Press(uint32_t scanCode, bool repeat = false) { PlayKey(p, KeyPress(scanCode, repeat)); }
    void Release(uint32_t scanCode) { PlayKey(p, KeyRelease(scanCode)); }

    CapturingMidiOutputs outputs{2};
    FakeModifiers modifiers;
    RecordingView view;
    PainterLog painter;
    Performance p{outputs};
};

// Scan codes of a few keys.
inline constexpr uint32_t kKeyA = 30, kKeyS = 31, kKeyD = 32, kKeyH = 35, kKeyK = 37;

}  // namespace plinkora::testing
