#include "dialogs/splash_dialog.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "view/artwork.h"

namespace plinkora {

namespace {
constexpr int kBorder = 1;  // the thin frame around the picture
}

SplashDialog::SplashDialog(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Plinkora"));
    const QSize picture = artwork::SplashPicture().deviceIndependentSize().toSize();
    setFixedSize(picture + QSize(2 * kBorder, 2 * kBorder));
    // Centred on the screen, not on the owner: the main window is not shown yet.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);  // a coarse timer may end it 5% early
    timer_.setInterval(kShowMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &SplashDialog::End);
}

void SplashDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    timer_.start();
}

void SplashDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(kBorder, kBorder, artwork::SplashPicture());
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void SplashDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        End();
    }
}

void SplashDialog::End() {
    timer_.stop();
    done(0);
}

}  // namespace plinkora
