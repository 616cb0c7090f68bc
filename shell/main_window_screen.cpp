#include "shell/main_window.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QWindow>
#include <QtMath>
#include <algorithm>

#include "view/artwork.h"
#include "view/keyboard_view.h"

// Where the main window goes on its screen, and how it follows a screen that changes its size
// or scale while the window is on it.

namespace plinkora {

namespace {

// Wayland tells a program neither the work area (the available geometry is the whole screen)
// nor the frame a compositor draws around its window: room is left for a title bar and a
// border of about this size.
constexpr QMargins kUnknownFrame(4, 40, 4, 4);

bool RunsOnWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

// The whole screen but the height of a menu bar, from the top-left corner. On Wayland the
// compositor places windows.
void MainWindow::PlaceOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || RunsOnWayland()) {
        return;
    }
    QMenuBar probe;
    probe.addMenu(QStringLiteral("M"));
    const QRect area = screen->geometry();
    placement_ = QRect(area.x(), area.y(), area.width(), area.height() - probe.sizeHint().height())
                     .intersected(screen->availableGeometry());
    setGeometry(placement_);
}

// A window manager puts its frame around the size asked for, so the window stuck out of the
// screen: once the frame is known, the whole window, frame included, takes the placement.
void MainWindow::FitFrameOnScreen() {
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    if (!placement_.isEmpty() && !frame.isNull()) {
        if (const QScreen* shownOn = screen()) {
            FitInto(shownOn->availableGeometry());
        }
        setGeometry(placement_.marginsRemoved(frame));
    }
    placement_ = QRect();
}

// Once the menus and the toolbar are there, whose heights the fit takes into account.
void MainWindow::FitOnStart() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        if (RunsOnWayland()) {
            OpenOnWayland(screen->availableGeometry());
        } else {
            FitInto(screen->availableGeometry());
        }
    }
}

// The compositor places the window and draws its frame: maximized, it fills the work area
// with its frame on the screen, and where the compositor does not maximize (a floating window
// on sway) it opens at the layout's own size, smaller than the screen by a frame's room.
void MainWindow::OpenOnWayland(const QRect& screenArea) {
    ShrinkContentFor(screenArea.marginsRemoved(kUnknownFrame));
    askedSize_ = minimumSizeHint();
    resize(askedSize_);
    setWindowState(windowState() | Qt::WindowMaximized);
}

// After a change of the screen's size or scale the window fits again as at start, keeping
// the size the user gave it where the whole window and its content at full size still fit.
void MainWindow::FitToScreen(const QRect& screenArea) {
    if (RunsOnWayland()) {
        FitToWaylandScreen(screenArea);
    } else if (isMaximized() || isFullScreen()) {
        ShrinkContentFor(screenArea);  // the window manager gives the size
    } else if (ShrinkContentFor(screenArea) < 1.0 || !screenArea.contains(frameGeometry())) {
        setGeometry(screenArea.marginsRemoved(FrameMargins()));
    }
}

// A size other than the one the window asked for was given by the compositor (maximized, or
// tiled, as sway does) or by the user: the compositor gives the new one, and a window made
// smaller than that would sit inside its tile with bands around it. Only a size of our own is
// changed here.
void MainWindow::FitToWaylandScreen(const QRect& screenArea) {
    const bool sizeOfOurOwn = size() == askedSize_ && !isMaximized() && !isFullScreen();
    const QRect room = screenArea.marginsRemoved(kUnknownFrame);
    const qreal scale = ShrinkContentFor(room);
    if (!sizeOfOurOwn) {
        // Qt kept the compositor's last size from going below the old minimum: asked to
        // maximize, the compositor sends a size again, the tile's on a tiling desktop.
        if (!isMaximized() && !isFullScreen() &&
            (width() > screenArea.width() || height() > screenArea.height())) {
            setWindowState(windowState() | Qt::WindowMaximized);
        }
        return;
    }
    // The new minimum may have grown the window already.
    askedSize_ = scale < 1.0 ? minimumSizeHint()
                             : size().expandedTo(minimumSizeHint()).boundedTo(room.size());
    resize(askedSize_);
}

QMargins MainWindow::FrameMargins() const {
    return windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
}

void MainWindow::FollowScreen() {
    WatchScreen();
    if (artwork::FollowPixelRatio()) {
        view_->ReloadPictures();
        RefreshToolbarIcons();
    }
    if (const QScreen* shownOn = screen()) {
        FitToScreen(shownOn->availableGeometry());
    }
}

// The window's screen may change its size, scale or resolution while the window is on it.
void MainWindow::WatchScreen() {
    QScreen* now = screen();
    if (now == watchedScreen_) {
        return;
    }
    if (watchedScreen_ != nullptr) {
        disconnect(watchedScreen_, nullptr, this, nullptr);
    }
    watchedScreen_ = now;
    if (now == nullptr) {
        return;
    }
    const auto followSoon = [this] { followScreen_.start(); };
    connect(now, &QScreen::geometryChanged, this, followSoon);
    connect(now, &QScreen::availableGeometryChanged, this, followSoon);
    connect(now, &QScreen::logicalDotsPerInchChanged, this, followSoon);
    connect(now, &QScreen::physicalDotsPerInchChanged, this, followSoon);
}

void MainWindow::RefreshToolbarIcons() {
    const QToolBar* toolbar = findChild<QToolBar*>();
    if (toolbar == nullptr) {
        return;
    }
    const QList<QAction*> actions = toolbar->actions();
    for (int i = 0; i < actions.size(); ++i) {
        actions[i]->setIcon(artwork::ToolbarIcon(i));
    }
}

// A screen smaller than the layout (a small laptop, or a large scale factor) gets the whole
// client area scaled down until the window, frame, menus and toolbar included, fits on it.
void MainWindow::FitInto(const QRect& available) {
    if (ShrinkContentFor(available) < 1.0) {
        setGeometry(available.marginsRemoved(FrameMargins()));
    }
}

qreal MainWindow::ShrinkContentFor(const QRect& available) {
    if (layout() != nullptr) {
        layout()->activate();  // the menu bar and toolbar have their sizes
    }
    const QMargins frame = FrameMargins();
    // The menu bar and the toolbar above the client area.
    const int chromeHeight =
        frame.top() + frame.bottom() + minimumSizeHint().height() - view_->minimumSize().height();
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - chromeHeight);
    const qreal scale = std::min({1.0, qreal(room.width()) / layoutMinimum_.width(),
                                  qreal(room.height()) / layoutMinimum_.height()});
    view_->setMinimumSize(qCeil(layoutMinimum_.width() * scale),
                          qCeil(layoutMinimum_.height() * scale));
    if (layout() != nullptr) {
        layout()->activate();  // the window's own minimum follows the view's before it shrinks
    }
    return scale;
}

}  // namespace plinkora
