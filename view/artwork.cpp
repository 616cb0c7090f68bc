#include "view/artwork.h"

#include <QFile>
#include <QGuiApplication>
#include <array>
#include <map>

#include "view/qt_geometry.h"
#include "window/colours.h"

namespace plinkora::artwork {

namespace {

struct FixedCapArt {
    int resource;
    const char* name;
    int width;
};
constexpr std::array<FixedCapArt, 14> kFixedCapArt{{
    {128, "fixed_caps/fixed_cap_alt", 50},
    {129, "fixed_caps/fixed_cap_menu", 50},
    {130, "fixed_caps/fixed_cap_backspace", 38},
    {131, "fixed_caps/fixed_cap_space", 220},
    {132, "fixed_caps/fixed_cap_caps", 67},
    {133, "fixed_caps/fixed_cap_ctrl", 50},
    {134, "fixed_caps/fixed_cap_enter", 85},
    {135, "fixed_caps/fixed_cap_blank", 57},
    {136, "fixed_caps/fixed_cap_shift_left", 86},
    {137, "fixed_caps/fixed_cap_bar_backslash", 38},
    {138, "fixed_caps/fixed_cap_shift_right", 104},
    {139, "fixed_caps/fixed_cap_tab", 57},
    {140, "fixed_caps/fixed_cap_tilde_grave", 38},
    {141, "fixed_caps/fixed_cap_system", 50},
}};

// The density of the densest screen: a window moved to it must not show blurred pictures.
qreal WantedRatio() {
    return qApp != nullptr && qApp->devicePixelRatio() > 1.0 ? 2.0 : 1.0;
}

// The @2x file for a high-density screen when there is one, else the plain file; null when
// neither has the expected size.
QPixmap LoadImage(const QString& name, QSize logicalSize, qreal ratio) {
    const QString base = QStringLiteral(":/images/") + name;
    if (ratio > 1.0) {
        QPixmap sharp(base + QStringLiteral("@2x.png"));
        if (sharp.size() == logicalSize * 2) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    QPixmap plain(base + QStringLiteral(".png"));
    return plain.size() == logicalSize ? plain : QPixmap();
}

QPixmap Blank(QSize logicalSize, QColor colour, qreal ratio) {
    QPixmap pixmap(logicalSize * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(colour);
    return pixmap;
}

QPixmap LoadOrBlank(const QString& name, QSize logicalSize, Rgb colour, qreal ratio) {
    QPixmap pixmap = LoadImage(name, logicalSize, ratio);
    return pixmap.isNull() ? Blank(logicalSize, ToQColor(colour), ratio) : pixmap;
}

struct Store {
    explicit Store(qreal wanted) : ratio(wanted) {
        for (const FixedCapArt& art : kFixedCapArt) {
            fixedCaps[art.resource] =
                LoadOrBlank(art.name, {art.width, 39}, kPlainCapColour, ratio);
        }
    }
    qreal ratio;
    QPixmap pictures = LoadOrBlank("instrument_pictures", {2565, 141}, kDefaultBackground, ratio);
    QPixmap keyCaps = LoadOrBlank("keycap_strip", {152, 39}, kPlainCapColour, ratio);
    QPixmap toolbar = LoadOrBlank("toolbar_icons", {480, 32}, kDefaultBackground, ratio);
    QPixmap splash = LoadOrBlank("splash", {200, 200}, kDefaultBackground, ratio);
    QColor background = pictures.toImage().pixelColor(0, 0).toRgb();
    std::map<int, QPixmap> fixedCaps;
};

Store& Loaded() {
    static Store store(WantedRatio());
    return store;
}

QCursor LoadCursor(const QString& name, int hotX, int hotY, Qt::CursorShape fallback) {
    const QPixmap pixmap = LoadImage(name, {32, 32}, WantedRatio());
    if (pixmap.isNull()) {
        return QCursor(fallback);
    }
    // Qt reads the hot spot in the pixmap's own pixels, also for an @2x picture.
    const qreal ratio = pixmap.devicePixelRatio();
    return QCursor(pixmap, qRound(hotX * ratio), qRound(hotY * ratio));
}

}  // namespace

QPixmap Cut(const QPixmap& strip, const QRect& logical) {
    const qreal ratio = strip.devicePixelRatio();
    const QRect physical(qRound(logical.x() * ratio), qRound(logical.y() * ratio),
                         qRound(logical.width() * ratio), qRound(logical.height() * ratio));
    QPixmap part = strip.copy(physical);
    part.setDevicePixelRatio(ratio);
    return part;
}

bool FollowPixelRatio() {
    return LoadForRatio(WantedRatio());
}

bool LoadForRatio(qreal ratio) {
    const qreal wanted = ratio > 1.0 ? 2.0 : 1.0;
    if (Loaded().ratio == wanted) {
        return false;
    }
    Loaded() = Store(wanted);
    return true;
}

QColor BackgroundColour() {
    return Loaded().background;
}

const QPixmap& InstrumentPictures() {
    return Loaded().pictures;
}

QPixmap InstrumentPicture(int index) {
    return Cut(InstrumentPictures(), QRect(index * 171, 0, 171, 141));
}

const QPixmap& KeyCapStrip() {
    return Loaded().keyCaps;
}

QPixmap KeyCapImage(int image) {
    return Cut(KeyCapStrip(), QRect(image * 38, 0, 38, 39));
}

const QPixmap& FixedCap(int resourceNumber) {
    static const QPixmap none;
    const auto& caps = Loaded().fixedCaps;
    const auto found = caps.find(resourceNumber);
    return found != caps.end() ? found->second : none;
}

const QPixmap& ToolbarStrip() {
    return Loaded().toolbar;
}

QIcon ToolbarIcon(int index) {
    return QIcon(Cut(ToolbarStrip(),
                     QRect(index * kToolbarIconSize, 0, kToolbarIconSize, kToolbarIconSize)));
}

const QPixmap& SplashPicture() {
    return Loaded().splash;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = QStringLiteral(":/images/icons/plinkora-%1.png").arg(size);
        if (QFile::exists(path)) {
            icon.addFile(path, QSize(size, size));
        }
    }
    return icon;
}

QCursor PointingHandCursor() {
    return LoadCursor("cursor_pointing_hand", 10, 2, Qt::PointingHandCursor);
}

QCursor OpenHandCursor() {
    return LoadCursor("cursor_open_hand", 7, 8, Qt::OpenHandCursor);
}

}  // namespace plinkora::artwork
