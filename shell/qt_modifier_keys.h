#pragma once

#include <QGuiApplication>

#include "engine/performance.h"

namespace plinkora {

// Shift and Ctrl as the keyboard holds them now, not as the key event saw them.
class QtModifierKeys final : public ModifierKeys {
  public:
    bool ShiftDown() const override {
        return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    }
    bool CtrlDown() const override {
        return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    }
};

}  // namespace plinkora
