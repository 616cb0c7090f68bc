#include "shell/scroll_bars.h"

#include <QScrollBar>

#include "engine/controls.h"

namespace plinkora {

namespace {

std::optional<int> ScrollCodeOf(const QScrollBar& bar, int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            return kLineDown;
        case QAbstractSlider::SliderSingleStepSub:
            return kLineUp;
        case QAbstractSlider::SliderPageStepAdd:
            return kPageDown;
        case QAbstractSlider::SliderPageStepSub:
            return kPageUp;
        case QAbstractSlider::SliderToMinimum:
            return kTop;
        case QAbstractSlider::SliderToMaximum:
            return kBottom;
        case QAbstractSlider::SliderMove:
            if (bar.isSliderDown()) {
                return kThumbTrack;
            }
            // The wheel moves the thumb without holding it: a line step, so that the spring
            // of the Freq bar is never left bent.
            if (bar.sliderPosition() == bar.value()) {
                return std::nullopt;
            }
            return bar.sliderPosition() > bar.value() ? kLineDown : kLineUp;
        default:
            return std::nullopt;
    }
}

}  // namespace

QScrollBar* CreateControlBar(QWidget* parent, int32_t minimum, int32_t maximum, int32_t position,
                             int32_t pageStep, Performance& performance, ScrollHandler handler) {
    auto* bar = new QScrollBar(Qt::Vertical, parent);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(pageStep);
    bar->setValue(position);
    // Qt has already moved the thumb when it reports the action; the handler's answer (or the
    // old value) replaces that move before it is made final.
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar,
                     [bar, &performance, handler](int action) {
                         std::optional<int32_t> moved;
                         if (std::optional<int> code = ScrollCodeOf(*bar, action)) {
                             moved = handler(performance, *code, bar->sliderPosition());
                         }
                         bar->setSliderPosition(moved.value_or(bar->value()));
                     });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [bar, &performance, handler] {
        if (std::optional<int32_t> moved =
                handler(performance, kThumbPosition, bar->sliderPosition())) {
            bar->setValue(*moved);
        }
    });
    return bar;
}

// The bar's own actions for its arrows and shaft, by scroll code: line up, line down, page up,
// page down.
void QtBars::StepForce(ScrollCode code) {
    static constexpr QAbstractSlider::SliderAction kActions[] = {
        QAbstractSlider::SliderSingleStepSub, QAbstractSlider::SliderSingleStepAdd,
        QAbstractSlider::SliderPageStepSub, QAbstractSlider::SliderPageStepAdd};
    if (code >= kLineUp && code <= kPageDown) {
        force_.triggerAction(kActions[code]);
    }
}

// The thumb held at the end of the bar, as a dragging hand holds it: its top bends up.
void QtBars::HoldFreq(bool up) {
    freq_.setSliderDown(true);
    freq_.setSliderPosition(up ? freq_.minimum() : freq_.maximum());
}

// Springs back as a released thumb does.
void QtBars::ReleaseFreq() {
    freq_.setSliderDown(false);
}

}  // namespace plinkora
