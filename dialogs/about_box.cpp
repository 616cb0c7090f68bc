#include "dialogs/about_box.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <array>

#include "dialogs/about_box_accessible.h"
#include "view/artwork.h"
#include "view/text_drawing.h"

namespace plinkora {

namespace {

constexpr QSize kBoxSize(512, 262);
constexpr QPoint kPictureAt(12, 12);
constexpr int kColumnLeft = 224;  // the texts stand right of the picture
constexpr int kColumnWidth = 276;
constexpr int kCaptionWidth = 58;
constexpr int kLinkLeft = 300;  // leaves the captions clear of the picture
constexpr int kLinkWidth = 200;
constexpr int kLinkHeight = 22;

const QString kEmail1 = QStringLiteral("plinkora@example.org");
const QString kEmail2 = QStringLiteral("help@plinkora.example.org");
const QString kHomePage = QStringLiteral("https://plinkora.example.org");

const std::array<AboutLink, AboutBox::kLinkCount>& Links() {
    static const std::array<AboutLink, AboutBox::kLinkCount> links{{
        {kEmail1, QStringLiteral("mailto:") + kEmail1,
         QRect(kLinkLeft, 114, kLinkWidth, kLinkHeight)},
        {kEmail2, QStringLiteral("mailto:") + kEmail2,
         QRect(kLinkLeft, 140, kLinkWidth, kLinkHeight)},
        {kHomePage, kHomePage, QRect(kLinkLeft, 170, kLinkWidth, kLinkHeight)},
    }};
    return links;
}

// Followed links stay visited until the program ends, across openings of the box.
std::array<bool, AboutBox::kLinkCount> linkVisited{};

bool StrictlyInside(const QRect& area, QPoint point) {
    return area.left() < point.x() && point.x() < area.left() + area.width() &&
           area.top() < point.y() && point.y() < area.top() + area.height();
}

// The links are black or purple, as on a light dialog; under a dark desktop theme they would
// vanish, so the box keeps its light background and dark texts together.
void UseLightColours(QWidget& box) {
    QPalette palette = box.palette();
    palette.setColor(QPalette::Window, QColor(0xf0, 0xf0, 0xf0));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Button, QColor(0xe4, 0xe4, 0xe4));
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::Light, Qt::white);
    palette.setColor(QPalette::Midlight, QColor(0xe8, 0xe8, 0xe8));
    palette.setColor(QPalette::Mid, QColor(0xb8, 0xb8, 0xb8));
    palette.setColor(QPalette::Dark, QColor(0xa0, 0xa0, 0xa0));
    palette.setColor(QPalette::Shadow, QColor(0x76, 0x76, 0x76));
    box.setPalette(palette);
    box.setAutoFillBackground(true);
}

QLabel* AddText(QWidget* box, const QString& text, const QRect& area, Qt::Alignment alignment) {
    auto* label = new QLabel(text, box);
    label->setGeometry(area);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace

AboutBox::AboutBox(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint) {
    setWindowTitle(QStringLiteral("About Plinkora"));
    setFixedSize(kBoxSize);
    setMouseTracking(true);
    UseLightColours(*this);
    InstallAboutBoxAccessibility();

    AddText(this, QStringLiteral("Version 2.22"), QRect(kColumnLeft, 46, kColumnWidth, 18),
            Qt::AlignHCenter);
    AddText(this, QStringLiteral("Copyright (C) 2025 Plinkora developers"),
            QRect(kColumnLeft, 68, kColumnWidth, 18), Qt::AlignHCenter);
    AddText(this, QStringLiteral("All rights reserved."), QRect(kColumnLeft, 88, kColumnWidth, 18),
            Qt::AlignHCenter);
    AddText(this, QStringLiteral("E_Mail:"),
            QRect(kLinkLeft - kCaptionWidth - 6, Links()[0].area.top(), kCaptionWidth, kLinkHeight),
            Qt::AlignRight);
    AddText(this, QStringLiteral("Homepage:"),
            QRect(kLinkLeft - 2 * kCaptionWidth - 6, Links()[2].area.top(), 2 * kCaptionWidth,
                  kLinkHeight),
            Qt::AlignRight);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry((kBoxSize.width() - 80) / 2, 226, 80, 26);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

const AboutLink& AboutBox::Link(int index) {
    return Links().at(std::size_t(index));
}

QRect AboutBox::TitleArea() {
    return QRect(kColumnLeft, 12, kColumnWidth, 30);
}

int AboutBox::LinkAt(QPoint point) {
    for (int link = 0; link < kLinkCount; ++link) {
        if (StrictlyInside(Link(link).area, point)) {
            return link;
        }
    }
    return -1;
}

bool AboutBox::LinkVisited(int index) {
    return linkVisited.at(std::size_t(index));
}

void AboutBox::ForgetVisitedLinks() {
    linkVisited.fill(false);
}

void AboutBox::done(int result) {
    ShowLinkCursor(false);
    QDialog::done(result);
}

void AboutBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(kPictureAt, artwork::SplashPicture());
    for (int link = 0; link < kLinkCount; ++link) {
        DrawLinkText(painter, Link(link).area, Link(link).text, LinkVisited(link));
    }
    DrawTitleText(painter, TitleArea(), QStringLiteral("PLINKORA"), QColor(255, 0, 0), 140,
                  kFontBold);
}

void AboutBox::mouseMoveEvent(QMouseEvent* event) {
    ShowLinkCursor(LinkAt(event->position().toPoint()) >= 0);
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int link = LinkAt(event->position().toPoint());
    if (link >= 0) {
        Follow(link);
    }
}

void AboutBox::ShowLinkCursor(bool shown) {
    if (shown == linkCursorShown_) {
        return;
    }
    linkCursorShown_ = shown;
    setCursor(shown ? artwork::PointingHandCursor() : QCursor(Qt::ArrowCursor));
}

void AboutBox::Follow(int link) {
    // Starting a mail program or a browser can take a moment.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QDesktopServices::openUrl(QUrl(Link(link).target));  // nothing to show if it fails
    QGuiApplication::restoreOverrideCursor();
    linkCursorShown_ = false;
    ShowLinkCursor(true);
    linkVisited.at(std::size_t(link)) = true;
    repaint(Link(link).area);
}

}  // namespace plinkora
