#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include "engine/key_table.h"
#include "tests/core/engine_fixture.h"
#include "view/keyboard_view.h"
#include "view/qt_geometry.h"

namespace plinkora::testing {

// An 800 x 600 view over an open capturing device, laid out as the window lays it out. The
// fixture stands in for the held modifier keys and for the shell's full repaint.
class ViewTest : public ::testing::Test, EngineView {
  protected:
    ViewTest() : performance_(outputs_), view_(performance_) {
        performance_.deviceId = 0;
        performance_.midiOut = outputs_.Open(0);
        performance_.modifiers = &modifiers_;
        performance_.painter = &view_;
        performance_.view = this;
        view_.resize(800, 600);
        origin_ = ToQPoint(KeyboardOrigin(ToSize(view_.size()), view_.CharSize().height()));
        view_.SetKeyboardOrigin(origin_.x(), origin_.y());
    }

    void Repaint() override { view_.RepaintAll(); }
    void ShowWarning(std::string_view) override {}

    QImage Grab() { return view_.grab().toImage(); }
    QRect Cap(int keyIndex) const { return ToQRect(CapRect(ToPoint(origin_), keyIndex)); }
    void Press(uint32_t key, bool down = true) { PlayKey(performance_, {key, down}); }

    CapturingMidiOutputs outputs_{2};
    Performance performance_;
    KeyboardView view_;
    QPoint origin_;
    FakeModifiers modifiers_;
};

}  // namespace plinkora::testing
