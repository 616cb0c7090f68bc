#pragma once

#include <QAccessible>
#include <QWidget>

namespace plinkora {

// What a screen reader sees of something a widget paints rather than holds as a child widget:
// a key, a painted line of text, a link. It has no children and no text to set; its place is
// given in the widget's own coordinates.
class PaintedAccessible : public QAccessibleInterface {
  public:
    PaintedAccessible(QWidget& owner, QAccessibleInterface* parent)
        : owner_(owner), parent_(parent) {}

    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent_->window(); }
    QAccessibleInterface* parent() const override { return parent_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !owner_.isVisible();
        return state;
    }

  protected:
    QRect OnScreen(const QRect& local) const {
        return QRect(owner_.mapToGlobal(local.topLeft()), local.size());
    }

  private:
    QWidget& owner_;
    QAccessibleInterface* parent_;
};

}  // namespace plinkora
