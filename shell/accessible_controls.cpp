#include "shell/accessible_controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QScrollBar>
#include <QToolBar>

#include "engine/controls.h"
#include "engine/instruments.h"
#include "engine/performance.h"
#include "view/keyboard_view.h"
#include "window/command_ids.h"

namespace plinkora {

namespace {

const QString kForceName = QStringLiteral("Force");
const QString kFreqName = QStringLiteral("Freq");

// Both bars stand upside down (up means more); the value is what the position means.
int ValueOf(const QString& bar, int position) {
    if (bar == kForceName) {
        return ForceBarPosition(position);  // the same mirror both ways
    }
    if (bar == kFreqName) {
        return kBendRestPosition - position;
    }
    return position;
}

int PositionOf(const QString& bar, int value) {
    if (bar == kFreqName) {
        return kBendRestPosition - value;
    }
    return ValueOf(bar, value);
}

// The interface is made when Qt first asks, which can be before the bar has its name; which
// bar it is is therefore looked up at every call.
class ControlBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit ControlBarAccessible(QScrollBar* bar)
        : QAccessibleWidget(bar, QAccessible::ScrollBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return QString::number(currentValue().toInt());
        }
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return ValueOf(Name(), Bar()->value()); }
    QVariant minimumValue() const override {
        return std::min(EndValues().first, EndValues().second);
    }
    QVariant maximumValue() const override {
        return std::max(EndValues().first, EndValues().second);
    }
    QVariant minimumStepSize() const override { return Bar()->singleStep(); }
    // As if the thumb were dragged there and let go, so the engine decides as for the mouse.
    void setCurrentValue(const QVariant& value) override {
        QScrollBar* bar = Bar();
        bar->setSliderDown(true);
        bar->setSliderPosition(PositionOf(Name(), value.toInt()));
        bar->setSliderDown(false);
    }

  private:
    QScrollBar* Bar() const { return static_cast<QScrollBar*>(widget()); }
    QString Name() const { return widget()->accessibleName(); }
    // A mirrored bar's top end holds its highest value.
    std::pair<int, int> EndValues() const {
        return {ValueOf(Name(), Bar()->minimum()), ValueOf(Name(), Bar()->maximum())};
    }
};

QAccessibleInterface* CreateControlBarAccessible(const QString&, QObject* object) {
    auto* bar = qobject_cast<QScrollBar*>(object);
    if (bar != nullptr && qobject_cast<KeyboardView*>(bar->parent()) != nullptr) {
        return new ControlBarAccessible(bar);
    }
    return nullptr;
}

}  // namespace

void NameToolbarButtons(QToolBar& toolbar) {
    for (QAction* action : toolbar.actions()) {
        if (QWidget* button = toolbar.widgetForAction(action)) {
            button->setAccessibleName(QString::fromLatin1(
                InstrumentName(action->data().toInt() - kFirstInstrumentCommand)));
        }
    }
    // Qt's own button that shows the buttons a narrow window has no room for.
    if (auto* more = toolbar.findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setAccessibleName(QStringLiteral("More instruments"));
    }
}

void InstallControlBarAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(CreateControlBarAccessible);
        return true;
    }();
    (void)installed;
}

void NameControlBars(QScrollBar& force, QScrollBar& freq) {
    force.setAccessibleName(kForceName);
    freq.setAccessibleName(kFreqName);
}

}  // namespace plinkora
