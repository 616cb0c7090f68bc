#include "view/keyboard_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QHash>
#include <QWidget>
#include <array>
#include <bitset>
#include <functional>
#include <vector>

#include "engine/instruments.h"
#include "engine/key_signatures.h"
#include "engine/key_table.h"
#include "view/keyboard_view.h"
#include "view/painted_accessible.h"
#include "view/qt_geometry.h"
#include "window/keyboard_geometry.h"
#include "window/window_texts.h"

namespace plinkora {

namespace {

// The key by what it types in the user's layout ("Q, 1" on the home row's first key under a
// French layout); "b3" on the cap reads "flat 3", and the dots above or below it say the octave.
QString SpokenKeyName(const KeyboardView& view, int keyIndex) {
    const KeyEntry& key = KeyTable[keyIndex];
    QString label = QString::fromLatin1(key.label);
    if (label.startsWith(QLatin1Char('b'))) {
        label = QStringLiteral("flat ") + label.mid(1);
    }
    switch (key.octave) {
        case 6:
            label += QStringLiteral(" high");
            break;
        case 4:
            label += QStringLiteral(" low");
            break;
        case 3:
            label += QStringLiteral(" double low");
            break;
        default:
            break;
    }
    return view.Legends().CapLegend(keyIndex) + QStringLiteral(", ") + label;
}

// "#F Major" in the Mode menu is spoken "F sharp Major", "bB Major" "B flat Major".
QString SpokenKeySignature(int32_t keySignature) {
    const KeySignature* found = FindKeySignature(keySignature);
    if (found == nullptr) {
        return {};
    }
    const QString text =
        QString::fromLatin1(found->menuText).section(QLatin1Char('\t'), 0, 0).trimmed();
    const QString key = text.section(QLatin1Char(' '), 0, 0);
    const QString mode = text.mid(key.size());
    if (key.startsWith(QLatin1Char('#'))) {
        return key.mid(1).toUpper() + QStringLiteral(" sharp") + mode;
    }
    if (key.startsWith(QLatin1Char('b')) && key.size() > 1) {
        return key.mid(1).toUpper() + QStringLiteral(" flat") + mode;
    }
    return key.toUpper() + mode;
}

// The instrument label as a screen reader says it: "Violin, D Major, 1=D".
QString SpokenCaption(const Performance& p) {
    const QString caption = ToQString(InstrumentCaption(p));
    if (caption.isEmpty()) {
        return {};
    }
    const QString instrument = QString::fromStdString(InstrumentName(p.program));
    return instrument + QStringLiteral(", ") + SpokenKeySignature(p.keySignature) +
           QStringLiteral(", ") + caption.mid(instrument.size()).trimmed();
}

QString StatusLine(const Performance& p) {
    QStringList parts{ToQString(DeviceStateText(p)), ToQString(DeviceNameText(p)),
                      ToQString(TrackText(p))};
    parts.removeAll(QString());
    return parts.join(QStringLiteral(", "));
}

// A part of the view that has no widget of its own.
class PaintedPart : public PaintedAccessible {
  public:
    PaintedPart(KeyboardView& view, QAccessibleInterface* parent)
        : PaintedAccessible(view, parent), view_(view) {}

  protected:
    // A rectangle in the view's logical pixels, on the screen as drawn.
    QRect ViewOnScreen(const QRect& logical) const { return OnScreen(view_.ToWidget(logical)); }

    KeyboardView& view_;
};

// One playing key: pressed while its note sounds, whether played live or by a playback.
class KeyAccessible final : public PaintedPart {
  public:
    KeyAccessible(KeyboardView& view, QAccessibleInterface* parent, int keyIndex)
        : PaintedPart(view, parent), keyIndex_(keyIndex) {}

    int KeyIndex() const { return keyIndex_; }
    bool Sounding() const {
        const Performance& p = view_.performance();
        return p.liveVoices[keyIndex_].sounding || p.playedVoices[keyIndex_].sounding;
    }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? SpokenKeyName(view_, keyIndex_) : QString();
    }
    QRect rect() const override {
        return ViewOnScreen(ToQRect(CapRect(view_.KeyboardOriginPoint(), keyIndex_)));
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    // Held down, a key is pressed and, as a toggle is, checked: Qt passes changes of the
    // checked state on to the AT-SPI bus, not those of the pressed state.
    QAccessible::State state() const override {
        QAccessible::State state = PaintedPart::state();
        state.checkable = true;
        state.pressed = state.checked = Sounding();
        return state;
    }

  private:
    int keyIndex_;
};

// The keyboard: its playing keys in key-table order, which is row by row, left to right.
class KeyboardGroupAccessible final : public PaintedPart {
  public:
    KeyboardGroupAccessible(KeyboardView& view, QAccessibleInterface* parent)
        : PaintedPart(view, parent) {
        for (int i = 0; i < kKeyTableSize; ++i) {
            if (KeyTable[i].left >= 0) {
                keys_.push_back(new KeyAccessible(view, this, i));
                QAccessible::registerAccessibleInterface(keys_.back());
            }
        }
    }
    ~KeyboardGroupAccessible() override {
        for (KeyAccessible* key : keys_) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(key));
        }
    }

    void Renamed() {
        for (KeyAccessible* key : keys_) {
            QAccessibleEvent event(key, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
    }

    // Announces the keys whose sounding differs from what was last said.
    void Update(int keyIndex) {
        for (KeyAccessible* key : keys_) {
            const int index = key->KeyIndex();
            if ((keyIndex < 0 || keyIndex == index) && key->Sounding() != announced_[index]) {
                announced_.flip(index);
                QAccessible::State changed;
                changed.pressed = changed.checked = true;
                QAccessibleStateChangeEvent event(key, changed);
                QAccessible::updateAccessibility(&event);
            }
        }
    }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? QStringLiteral("Keyboard") : QString();
    }
    QRect rect() const override {
        const Point origin = view_.KeyboardOriginPoint();
        return ViewOnScreen(QRect(origin.x - kCapWidth, origin.y, kKeyboardWidth, kKeyboardHeight));
    }
    QAccessible::Role role() const override { return QAccessible::Grouping; }
    int childCount() const override { return static_cast<int>(keys_.size()); }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < childCount() ? keys_[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i) {
            if (keys_[i] == child) {
                return i;
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (KeyAccessible* key : keys_) {
            if (key->rect().contains(x, y)) {
                return key;
            }
        }
        return nullptr;
    }

  private:
    std::vector<KeyAccessible*> keys_;
    std::bitset<kKeyTableSize> announced_;
};

// A line the view paints: read as text, its change announced as a new name.
class PaintedTextAccessible final : public PaintedPart, public QAccessibleTextInterface {
  public:
    using Source = std::function<QString(const KeyboardView&)>;
    using Place = std::function<QPoint(const KeyboardView&)>;

    PaintedTextAccessible(KeyboardView& view, QAccessibleInterface* parent, Source shown,
                          Source spoken, Place place)
        : PaintedPart(view, parent),
          shown_(std::move(shown)),
          spoken_(std::move(spoken)),
          place_(std::move(place)),
          announcedShown_(shown_(view)),
          announced_(spoken_(view)) {}

    // True when the text changed since it was last announced.
    bool Update() {
        const QString now = spoken_(view_);
        if (now == announced_) {
            return false;
        }
        QAccessibleTextUpdateEvent textEvent(this, 0, announcedShown_, Shown());
        announcedShown_ = Shown();
        announced_ = now;
        QAccessibleEvent nameEvent(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameEvent);
        QAccessible::updateAccessibility(&textEvent);
        return true;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                                  : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? spoken_(view_) : QString();
    }
    QRect rect() const override {
        const QFontMetrics metrics(view_.font());
        return ViewOnScreen(
            QRect(place_(view_), QSize(metrics.horizontalAdvance(Shown()), metrics.height())));
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override {
        QAccessible::State state = PaintedPart::state();
        state.readOnly = true;
        return state;
    }

    // QAccessibleTextInterface: the text as drawn, with no caret and no selection.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return Shown().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    QRect characterRect(int offset) const override {
        const QFontMetrics metrics(view_.font());
        const QString shown = Shown();
        const QPoint topLeft =
            place_(view_) + QPoint(metrics.horizontalAdvance(shown.left(offset)), 0);
        return ViewOnScreen(QRect(
            topLeft, QSize(metrics.horizontalAdvance(shown.mid(offset, 1)), metrics.height())));
    }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = *end = 0;
        return {};
    }

  private:
    QString Shown() const { return shown_(view_); }

    Source shown_;
    Source spoken_;
    Place place_;
    QString announcedShown_;
    QString announced_;
};

// Screen readers speak a notification when it shows, wherever the focus is: the way to tell
// of a change in a line that has no focus.
class AnnouncementAccessible final : public PaintedPart {
  public:
    using PaintedPart::PaintedPart;

    void Announce(const QString& text) {
        text_ = text;
        // Readers that keep names learn the new one before the notification shows.
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? text_ : QString();
    }
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::Notification; }

  private:
    QString text_;
};

QHash<const KeyboardView*, class ViewAccessible*>& ViewInterfaces() {
    static QHash<const KeyboardView*, ViewAccessible*> interfaces;
    return interfaces;
}

int CharWidth(const KeyboardView& view) {
    return view.CharSize().width();
}
int CharHeight(const KeyboardView& view) {
    return view.CharSize().height();
}

// The view itself, with what it paints as children around the bars and buttons placed on it.
class ViewAccessible final : public QAccessibleWidget {
  public:
    explicit ViewAccessible(KeyboardView* view)
        : QAccessibleWidget(view, QAccessible::Client),
          label_(new PaintedTextAccessible(
              *view, this,
              [](const KeyboardView& v) { return ToQString(InstrumentCaption(v.performance())); },
              [](const KeyboardView& v) { return SpokenCaption(v.performance()); },
              [](const KeyboardView& v) {
                  return QPoint((v.LogicalSize().width() - kPictureWidth) / 2 + kPictureWidth,
                                (v.KeyboardOriginPoint().y - CharHeight(v) - 32) / 2 + 32);
              })),
          keyboard_(new KeyboardGroupAccessible(*view, this)),
          status_(new PaintedTextAccessible(
              *view, this, [](const KeyboardView& v) { return StatusLine(v.performance()); },
              [](const KeyboardView& v) { return StatusLine(v.performance()); },
              [](const KeyboardView& v) {
                  return QPoint(CharWidth(v), v.LogicalSize().height() - 4 * CharHeight(v));
              })),
          hint_(new PaintedTextAccessible(
              *view, this, [](const KeyboardView&) { return ToQString(kHintText); },
              [](const KeyboardView&) { return ToQString(kHintText); },
              [](const KeyboardView& v) {
                  return QPoint(CharWidth(v), v.LogicalSize().height() - 3 * CharHeight(v));
              })),
          announcement_(new AnnouncementAccessible(*view, this)) {
        for (QAccessibleInterface* part : Parts()) {
            QAccessible::registerAccessibleInterface(part);
        }
        ViewInterfaces().insert(view, this);
    }
    ~ViewAccessible() override {
        ViewInterfaces().remove(static_cast<KeyboardView*>(widget()));
        for (QAccessibleInterface* part : Parts()) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(part));
        }
    }

    void KeyChanged(int keyIndex) { keyboard_->Update(keyIndex); }
    void KeysRenamed() { keyboard_->Renamed(); }
    // A changed line announces itself to whoever reads it, but the focus stays with the window:
    // what changed ("..., D Major, 1=D" after Alt+D) is also shown as a notification, which
    // screen readers speak wherever the focus is, and becomes the window's description, which
    // they read when the focus comes back to the window.
    void Repainted() {
        keyboard_->Update(-1);
        QStringList changed;
        for (PaintedTextAccessible* line : {label_, status_}) {
            if (line->Update()) {
                changed << line->text(QAccessible::Name);
            }
        }
        if (!changed.isEmpty()) {
            const QString news = changed.join(QStringLiteral(". "));
            widget()->window()->setAccessibleDescription(news);
            announcement_->Announce(news);
        }
    }

    // Children in reading order: the label above the keyboard, the keyboard, the controls
    // placed on the view, then the two lines at the bottom.
    int childCount() const override { return QAccessibleWidget::childCount() + kPartCount; }
    QAccessibleInterface* child(int index) const override {
        const int widgets = QAccessibleWidget::childCount();
        if (index < 0 || index >= widgets + kPartCount) {
            return nullptr;
        }
        if (index < 2) {
            return Parts()[index];
        }
        if (index < 2 + widgets) {
            return QAccessibleWidget::child(index - 2);
        }
        return Parts()[index - widgets];
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::array<QAccessibleInterface*, kPartCount> parts = Parts();
        for (int i = 0; i < kPartCount; ++i) {
            if (parts[i] == child) {
                return i < 2 ? i : i + QAccessibleWidget::childCount();
            }
        }
        const int widget = QAccessibleWidget::indexOfChild(child);
        return widget < 0 ? -1 : widget + 2;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (QAccessibleInterface* widget = QAccessibleWidget::childAt(x, y)) {
            return widget;
        }
        for (QAccessibleInterface* part : Parts()) {
            if (part->rect().contains(x, y)) {
                return part;
            }
        }
        return nullptr;
    }

  private:
    static constexpr int kPartCount = 5;
    std::array<QAccessibleInterface*, kPartCount> Parts() const {
        return {label_, keyboard_, status_, hint_, announcement_};
    }

    PaintedTextAccessible* label_;
    KeyboardGroupAccessible* keyboard_;
    PaintedTextAccessible* status_;
    PaintedTextAccessible* hint_;
    AnnouncementAccessible* announcement_;
};

QAccessibleInterface* CreateViewAccessible(const QString&, QObject* object) {
    if (auto* view = qobject_cast<KeyboardView*>(object)) {
        return new ViewAccessible(view);
    }
    return nullptr;
}

// The view's interface once a screen reader has asked for it; until then, nobody listens.
ViewAccessible* AccessibleOf(KeyboardView* view) {
    return ViewInterfaces().value(view);
}

}  // namespace

void InstallKeyboardAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(CreateViewAccessible);
        return true;
    }();
    (void)installed;
}

void KeyboardKeyChanged(KeyboardView* view, int keyIndex) {
    if (ViewAccessible* accessible = AccessibleOf(view)) {
        accessible->KeyChanged(keyIndex);
    }
}

void KeyboardLegendsChanged(KeyboardView* view) {
    if (ViewAccessible* accessible = AccessibleOf(view)) {
        accessible->KeysRenamed();
    }
}

void KeyboardRepainted(KeyboardView* view) {
    if (ViewAccessible* accessible = AccessibleOf(view)) {
        accessible->Repainted();
    }
}

}  // namespace plinkora
