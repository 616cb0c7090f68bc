#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include "engine/capturing_midi.h"
#include "engine/key_table.h"
#include "engine/performance.h"
#include "view/keyboard_view.h"

namespace plinkora::testing {

struct HeldModifiers final : ModifierKeys {
    bool shift = false;
    bool ctrl = false;
    bool ShiftDown() const override { return shift; }
    bool CtrlDown() const override { return ctrl; }
};

// The shell's part when the engine asks for a full repaint.
struct RepaintingView final : EngineView {
    explicit RepaintingView(KeyboardView& v) : view(v) {}
    void CheckMenuItem(int, bool) override {}
    void Repaint() override { view.RepaintAll(); }
    void ShowWarning(std::string_view) override {}
    KeyboardView& view;
};

// A view of 800 x 600 over an open capturing device, laid out as the window lays it out.
class ViewTest : public ::testing::Test {
  protected:
    ViewTest() : performance_(outputs_), view_(performance_), engineView_(view_) {
        performance_.deviceId = 0;
        performance_.midiOut = outputs_.Open(0);
        performance_.deviceOpen = true;
        performance_.modifiers = &modifiers_;
        performance_.painter = &view_;
        performance_.view = &engineView_;
        view_.resize(800, 600);
        origin_ = KeyboardOrigin(view_.size(), view_.CharSize().height());
        view_.SetKeyboardOrigin(origin_.x(), origin_.y());
    }

    QImage Grab() { return view_.grab().toImage(); }
    QRect Cap(int keyIndex) const { return CapRect(origin_, keyIndex); }

    CapturingMidiOutputs outputs_{2};
    Performance performance_;
    HeldModifiers modifiers_;
    KeyboardView view_;
    RepaintingView engineView_;
    QPoint origin_;
};

}  // namespace plinkora::testing
