#include "view/keyboard_view.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

#include "engine/sustain_pedal.h"
#include "view/artwork.h"
#include "view/keyboard_accessible.h"
#include "view/keymap_watch.h"
#include "view/qt_geometry.h"
#include "view/text_drawing.h"
#include "window/colours.h"
#include "window/window_texts.h"

namespace plinkora {

namespace {

// A layout's letters are printed as on the artwork's caps: dark and sans serif.
const QRect kCapFace = ToQRect(kCapFaceArea);
const QRect kPlayingLegendArea = ToQRect(kPlayingLegendPlace);

QFont LegendFont(int pixels) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    return font;
}

// The scan code of the key a fixed cap shows, for the two that carry a layout's letters.
int FixedCapKey(int resource) {
    switch (resource) {
        case 140:
            return kGraveKey;
        case 137:
            return kBackslashKey;
        default:
            return -1;
    }
}

// Texts are placed by their top-left corner and painted over the background colour.
void DrawOpaqueText(QPainter& painter, QPoint topLeft, const QString& text,
                    const QColor& background) {
    const QFontMetrics metrics = painter.fontMetrics();
    painter.fillRect(QRect(topLeft, QSize(metrics.horizontalAdvance(text), metrics.height())),
                     background);
    painter.drawText(topLeft.x(), topLeft.y() + metrics.ascent(), text);
}

void DrawDot(QPainter& painter, int centreX, int top) {
    painter.drawEllipse(QRectF(centreX - kDotSize / 2, top, kDotSize, kDotSize));
}

}  // namespace

KeyboardView::KeyboardView(Performance& performance, QWidget* parent)
    : QWidget(parent), performance_(performance) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    TakePictures();
    InstallKeyboardAccessibility();
    FollowKeymap(new KeymapWatch(this));
}

void KeyboardView::TakePictures() {
    background_ = artwork::BackgroundColour();
    for (int i = 0; i < static_cast<int>(capImages_.size()); ++i) {
        capImages_[i] = artwork::KeyCapImage(i);
    }
}

void KeyboardView::ReloadPictures() {
    TakePictures();
    RepaintAll();
}

const KeyLegends& KeyboardView::Legends() const {
    return keymap_->Legends();
}

void KeyboardView::FollowKeymap(KeymapWatch* watch) {
    delete keymap_;
    keymap_ = watch;
    keymap_->setParent(this);
    connect(keymap_, &KeymapWatch::Changed, this, &KeyboardView::LegendsChanged);
    LegendsChanged();
}

void KeyboardView::LegendsChanged() {
    update();
    KeyboardLegendsChanged(this);
}

void KeyboardView::SetKeyboardOrigin(int keyboardLeft, int keyboardTop) {
    origin_ = Point{keyboardLeft, keyboardTop};
    update();
}

void KeyboardView::SetScale(qreal scale) {
    if (scale != scale_) {
        scale_ = scale;
        update();
    }
}

QSize KeyboardView::LogicalSize() const {
    return {qRound(width() / scale_), qRound(height() / scale_)};
}

QRect KeyboardView::ToWidget(const QRect& logical) const {
    if (scale_ == 1.0) {
        return logical;
    }
    return QRectF(logical.x() * scale_, logical.y() * scale_, logical.width() * scale_,
                  logical.height() * scale_)
        .toAlignedRect();
}

// Widened by a pixel: what the scaled drawing spills into a neighbour's pixels is repainted.
QRect KeyboardView::ToLogical(const QRect& widget) const {
    if (scale_ == 1.0) {
        return widget;
    }
    return QRectF(widget.x() / scale_, widget.y() / scale_, widget.width() / scale_,
                  widget.height() / scale_)
        .toAlignedRect()
        .adjusted(-1, -1, 1, 1);
}

QSize KeyboardView::CharSize() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QLatin1Char('M')), metrics.height()};
}

void KeyboardView::DrawKeyCap(int keyIndex, bool pressed, bool fromPlayback, int32_t shift) {
    if (keyIndex == static_cast<int>(kPedalScanCode)) {
        DrawPedal();
        return;
    }
    const QRect cap = ToQRect(CapRect(origin_, keyIndex));
    if (cap.isEmpty()) {
        return;
    }
    // A shift with no tint keeps whatever image the cap shows; the label is drawn again.
    const std::optional<int> image =
        CapImage(pressed, fromPlayback ? shift : performance_.octaveShift);
    if (image) {
        capShown_[keyIndex] = static_cast<int8_t>(*image);
    }
    drawnSincePaint_.set(keyIndex);
    drawnRegion_ += ToWidget(cap);
    update(ToWidget(cap));
    KeyboardKeyChanged(this, keyIndex);
}

// The space bar shows the pedal as the engine holds it, live or played, so Esc and the end
// of a playback lift it on screen as they lift it on the device.
bool KeyboardView::PedalShownDown() const {
    return performance_.liveVoices[kPedalScanCode].sounding ||
           performance_.playedVoices[kPedalScanCode].sounding;
}

void KeyboardView::DrawPedal() {
    const QRect bar = SpaceBarRect();
    pedalDrawnSincePaint_ = true;
    drawnRegion_ += ToWidget(bar);
    update(ToWidget(bar));
}

QRect KeyboardView::SpaceBarRect() const {
    const FixedCapPlace& place = kSpaceBarPlace;
    return QRect(origin_.x + place.x, origin_.y + place.y, place.width, kCapHeight);
}

void KeyboardView::PaintFixedCap(QPainter& painter, const FixedCapPlace& place) const {
    const QPoint topLeft(origin_.x + place.x, origin_.y + place.y);
    const QPixmap& picture = artwork::FixedCap(place.resource);
    if (place.resource != kSpaceBarPicture || !PedalShownDown()) {
        painter.drawPixmap(topLeft, picture);
        return;
    }
    // Pressed: sunk by two pixels and in shade, as a held cap looks.
    painter.fillRect(QRect(topLeft, picture.size() / picture.devicePixelRatio()), background_);
    painter.drawPixmap(topLeft + QPoint(0, 2), picture);
    painter.fillRect(QRect(topLeft + QPoint(2, 4), QSize(place.width - 4, kCapHeight - 8)),
                     QColor(40, 60, 120, 90));
}

void KeyboardView::RepaintAll() {
    capShown_.fill(0);
    drawnSincePaint_.reset();
    drawnRegion_ = QRegion();
    update();
    KeyboardRepainted(this);
}

void KeyboardView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scale_ != 1.0);
    // Qt may merge the caps of several key events into one rectangle; a paint that stays
    // within the caps drawn since the last paint touches those caps alone.
    const bool capsOnly = !drawnRegion_.isEmpty() &&
                          drawnRegion_.boundingRect().contains(event->region().boundingRect());
    if (capsOnly) {
        painter.setClipRegion(drawnRegion_);
        painter.scale(scale_, scale_);
        painter.setFont(CreateFontByPoints(*this, kTextFace, 0, 0));
        for (int i = 0; i < kKeyTableSize; ++i) {
            if (drawnSincePaint_[i]) {
                PaintCap(painter, i);
            }
        }
        if (pedalDrawnSincePaint_) {
            PaintFixedCap(painter, kSpaceBarPlace);
        }
    } else {
        painter.fillRect(event->region().boundingRect(), background_);
        painter.scale(scale_, scale_);
        PaintMainWindow(painter, ToLogical(event->region().boundingRect()));
    }
    drawnSincePaint_.reset();
    pedalDrawnSincePaint_ = false;
    drawnRegion_ = QRegion();
}

void KeyboardView::PaintMainWindow(QPainter& painter, const QRect& region) {
    // The picture goes under the keyboard: in a low window the two overlap, and the caps that
    // key events draw are on top anyway.
    painter.setFont(font());
    PaintPicture(painter);
    painter.setFont(CreateFontByPoints(*this, kTextFace, 0, 0));
    for (int i = 0; i < kKeyTableSize; ++i) {
        const QRect cap = ToQRect(CapRect(origin_, i));
        if (cap.isEmpty() || !region.intersects(cap)) {
            continue;
        }
        if (!drawnSincePaint_[i]) {
            capShown_[i] = 0;
        }
        PaintCap(painter, i);
    }
    PaintFixedCaps(painter);
    painter.setFont(font());
    PaintTexts(painter);
}

void KeyboardView::PaintCap(QPainter& painter, int keyIndex) const {
    const KeyEntry& key = KeyTable[keyIndex];
    const int x = origin_.x + key.left;
    const int y = origin_.y + key.top;
    painter.drawPixmap(x, y, capImages_[capShown_[keyIndex]]);

    // The label sits four pixels above the middle of the cap, leaving room for dots below.
    painter.setPen(ToQColor(kCapLabelColour));
    painter.drawText(QRect(x, y - 4, kCapWidth - 1, kCapHeight - 1),
                     Qt::AlignCenter | Qt::TextSingleLine, QString::fromLatin1(key.label));
    if (!Legends().LikeUs()) {
        PaintLegend(painter, keyIndex, QPoint(x, y));
    }

    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(kCapLabelColour));
    const int centreX = x + kDotColumn;
    switch (key.octave) {
        case 6:
            DrawDot(painter, centreX, y + 3);
            break;
        case 4:
            DrawDot(painter, centreX, y + 23);
            break;
        case 3:
            DrawDot(painter, centreX, y + 23);
            DrawDot(painter, centreX, y + 29);
            break;
        default:
            break;
    }
}

// The US letters need none: the drawn keyboard is a US one.
void KeyboardView::PaintLegend(QPainter& painter, int keyIndex, QPoint capTopLeft) const {
    const QFont font = painter.font();
    painter.setFont(LegendFont(kPlayingLegendPixels));
    painter.setPen(ToQColor(kLegendColour));
    painter.drawText(kPlayingLegendArea.translated(capTopLeft),
                     Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine,
                     Legends().CapLegend(keyIndex));
    painter.setFont(font);
}

void KeyboardView::PaintFixedCaps(QPainter& painter) const {
    for (const FixedCapPlace& place : kFixedCapPlaces) {
        PaintFixedCap(painter, place);
        PaintFixedCapLegends(painter, place);
    }
}

// A cap whose picture shows US letters the layout does not have gets the layout's own: the
// shifted one above the plain one, as on the picture.
void KeyboardView::PaintFixedCapLegends(QPainter& painter, const FixedCapPlace& place) const {
    const int key = FixedCapKey(place.resource);
    if (key < 0 || Legends().LikeUs(key)) {
        return;
    }
    const QRect face = kCapFace.translated(origin_.x + place.x, origin_.y + place.y);
    QLinearGradient shade(face.topLeft(), face.bottomLeft());
    shade.setColorAt(0, ToQColor(kCapFaceTop));
    shade.setColorAt(1, ToQColor(kCapFaceBottom));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawRoundedRect(face, 2, 2);
    const QFont font = painter.font();
    painter.setFont(LegendFont(kFixedLegendPixels));
    painter.setPen(ToQColor(kLegendColour));
    const KeyPrint print = Legends().Print(key);
    const int half = face.height() / 2;
    const QRect upper(face.left(), face.top() + 2, face.width(), half - 2);
    const QRect lower(face.left(), face.top() + half, face.width(), half - 2);
    painter.drawText(upper, Qt::AlignCenter | Qt::TextSingleLine, print.shifted);
    painter.drawText(lower, Qt::AlignCenter | Qt::TextSingleLine, print.base);
    painter.setFont(font);
}

void KeyboardView::PaintTexts(QPainter& painter) const {
    const QSize charSize = CharSize();
    const int charWidth = charSize.width();
    const int charHeight = charSize.height();
    const int width = LogicalSize().width(), height = LogicalSize().height();
    const int statusY = height - 4 * charHeight;
    painter.setPen(ToQColor(kTextColour));
    DrawOpaqueText(painter, {charWidth, statusY}, ToQString(DeviceStateText(performance_)),
                   background_);
    DrawOpaqueText(painter, {5 * charWidth, statusY}, ToQString(DeviceNameText(performance_)),
                   background_);
    DrawOpaqueText(painter, {20 * charWidth, statusY}, ToQString(TrackText(performance_)),
                   background_);
    DrawOpaqueText(painter, {charWidth, height - 3 * charHeight}, ToQString(kHintText),
                   background_);

    const int captionY = origin_.y + kKeyboardHeight;
    DrawOpaqueText(painter, {width * 143 / 160, captionY}, QStringLiteral("Force"), background_);
    DrawOpaqueText(painter, {width * 151 / 160, captionY}, QStringLiteral("Freq"), background_);
}

void KeyboardView::PaintPicture(QPainter& painter) const {
    // Centred across the window and, vertically, between y = 32 and the keyboard.
    const int left = (LogicalSize().width() - kPictureWidth) / 2;
    const int top = (origin_.y - 173) / 2 + 32;
    painter.drawPixmap(
        left, top,
        artwork::InstrumentPicture(PictureIndex(performance_.channel, performance_.program)));
    const int labelTop = (origin_.y - CharSize().height() - 32) / 2 + 32;
    painter.setPen(ToQColor(kTextColour));
    DrawOpaqueText(painter, {left + kPictureWidth, labelTop},
                   ToQString(InstrumentCaption(performance_)), background_);
}

}  // namespace plinkora
