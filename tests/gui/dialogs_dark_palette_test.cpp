#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QImage>
#include <QMap>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextTable>
#include <cmath>

#include "dialogs/about_box.h"
#include "dialogs/help_window.h"
#include "dialogs/tip_box.h"
#include "window/tips.h"

namespace plinkora::testing {
namespace {

// The contrast ratio of the accessibility guidelines, 1 to 21; 4.5 is enough for body text.
double Luminance(QRgb rgb) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}
double Contrast(QRgb a, QRgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// In a piece of the rendered page that holds text, what the text stands on is the commonest
// colour and the text's own colour is the ink that stands out most: antialiasing only softens
// the glyphs' edges.
struct Reading {
    QRgb background;
    double textContrast;
};
Reading Read(const QImage& image) {
    QMap<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    QRgb background = counts.firstKey();
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it.value() > counts[background]) {
            background = it.key();
        }
    }
    double strongest = 1;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        strongest = std::max(strongest, Contrast(it.key(), background));
    }
    return {background, strongest};
}

// Where the page's first paragraph of body text shows in the browser.
QRect FirstParagraph(const QTextBrowser& browser) {
    const QTextDocument& document = *browser.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 && block.text().size() > 40 &&
            QTextCursor(block).currentTable() == nullptr) {
            const QRectF area = document.documentLayout()->blockBoundingRect(block);
            return area.toAlignedRect().translated(-browser.horizontalScrollBar()->value(),
                                                   -browser.verticalScrollBar()->value());
        }
    }
    return {};
}

// A dark desktop theme: light text on dark grey, as Breeze Dark and Adwaita-dark give it.
class DarkPalette : public ::testing::Test {
  protected:
    DarkPalette() : saved_(QApplication::palette()) {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
        dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::Button, QColor(0x45, 0x45, 0x45));
        dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
        dark.setColor(QPalette::Link, QColor(0x7a, 0xb8, 0xff));
        QApplication::setPalette(dark);
    }
    ~DarkPalette() override { QApplication::setPalette(saved_); }

    QPalette saved_;
};

TEST_F(DarkPalette, EveryHelpPageReadsAsDarkTextOnWhiteToTheBottom) {
    HelpWindow* help = HelpWindow::Open();
    ASSERT_NE(help, nullptr);
    help->resize(760, 900);  // taller than the start page: the space below it shows too
    QTextBrowser* browser = help->Browser();
    for (const char* page : {"default.htm", "keyboard.htm", "without_mouse.htm"}) {
        browser->setSource(QUrl(QStringLiteral("qrc:/help/") + QLatin1String(page)));
        browser->verticalScrollBar()->setValue(0);
        const QImage shown = browser->viewport()->grab().toImage();
        const QRect paragraph = FirstParagraph(*browser);
        ASSERT_FALSE(paragraph.isEmpty()) << page;
        const Reading reading = Read(shown.copy(paragraph));
        EXPECT_EQ(QColor(reading.background), QColor(Qt::white)) << page;
        EXPECT_GE(reading.textContrast, 4.5) << page;
        EXPECT_EQ(QColor(shown.pixel(shown.width() / 2, shown.height() - 3)), QColor(Qt::white))
            << page;
    }
    help->close();
}

TEST_F(DarkPalette, AboutBoxLinksAndTipTextStayReadable) {
    AboutBox about(nullptr);
    const QImage box = about.grab().toImage();
    for (int link = 0; link < AboutBox::kLinkCount; ++link) {
        const Reading reading = Read(box.copy(AboutBox::Link(link).area));
        EXPECT_GE(reading.textContrast, 4.5) << link;
    }
    const Reading title = Read(box.copy(AboutBox::TitleArea()));
    EXPECT_GE(title.textContrast, 3.0);  // large bold red, as the artwork's title

    TipState state{1, 0, "Press Esc when a note hangs."};
    const QTemporaryDir folder;
    TipBox tips(state, folder.filePath(QStringLiteral("tips.log")).toStdString(), nullptr);
    tips.show();
    auto* text = tips.findChild<QPlainTextEdit*>();
    ASSERT_NE(text, nullptr);
    text->setPlainText(QString::fromStdString(state.tipsText));
    EXPECT_GE(Read(text->viewport()->grab().toImage()).textContrast, 4.5);
}

}  // namespace
}  // namespace plinkora::testing
