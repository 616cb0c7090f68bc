#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

#include "dialogs/about_box.h"

namespace plinkora::testing {
namespace {

// Takes the links the box hands to the system, and notes the cursor shown meanwhile.
class UrlCatcher : public QObject {
    Q_OBJECT

  public:
    QStringList urls;
    bool waitCursorShown = false;

  public slots:
    void Open(const QUrl& url) {
        urls << url.toString();
        const QCursor* cursor = QGuiApplication::overrideCursor();
        waitCursorShown = cursor && cursor->shape() == Qt::WaitCursor;
    }
};

class AboutLinks : public ::testing::Test {
  protected:
    void SetUp() override {
        AboutBox::ForgetVisitedLinks();
        for (const char* scheme : {"mailto", "https"}) {
            QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
        }
    }
    void TearDown() override {
        for (const char* scheme : {"mailto", "https"}) {
            QDesktopServices::unsetUrlHandler(scheme);
        }
    }

    static void Mouse(QWidget& box, QEvent::Type type, QPoint at) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, box.mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(&box, &event);
    }

    // Pixels of the visited colour in the link's area: its text drawn purple.
    static int PurplePixels(QWidget& box, int link) {
        const QImage image = box.grab(AboutBox::Link(link).area).toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 100 && c.green() < 60 && c.blue() > 100;
            }
        }
        return count;
    }

    UrlCatcher catcher;
};

TEST_F(AboutLinks, PointsOnTheBorderAreOutside) {
    for (int link = 0; link < AboutBox::kLinkCount; ++link) {
        const QRect area = AboutBox::Link(link).area;
        const int right = area.left() + area.width();
        const int bottom = area.top() + area.height();
        EXPECT_EQ(AboutBox::LinkAt({area.left() + 1, area.top() + 1}), link);
        EXPECT_EQ(AboutBox::LinkAt({right - 1, bottom - 1}), link);
        EXPECT_EQ(AboutBox::LinkAt({area.left(), area.center().y()}), -1);
        EXPECT_EQ(AboutBox::LinkAt({right, area.center().y()}), -1);
        EXPECT_EQ(AboutBox::LinkAt({area.center().x(), area.top()}), -1);
        EXPECT_EQ(AboutBox::LinkAt({area.center().x(), bottom}), -1);
    }
    EXPECT_EQ(AboutBox::LinkAt(AboutBox::TitleArea().center()), -1);
}

TEST_F(AboutLinks, LinksAreDistinctAndTargetsAreWhatIsShown) {
    EXPECT_EQ(AboutBox::Link(0).target, "mailto:" + AboutBox::Link(0).text);
    EXPECT_EQ(AboutBox::Link(1).target, "mailto:" + AboutBox::Link(1).text);
    EXPECT_EQ(AboutBox::Link(2).target, AboutBox::Link(2).text);
    EXPECT_FALSE(AboutBox::Link(0).area.intersects(AboutBox::Link(1).area));
    EXPECT_FALSE(AboutBox::Link(1).area.intersects(AboutBox::Link(2).area));
}

TEST_F(AboutLinks, PointingHandOnlyInsideALink) {
    AboutBox box;
    const QRect area = AboutBox::Link(1).area;
    Mouse(box, QEvent::MouseMove, area.center());
    EXPECT_TRUE(box.LinkCursorShown());
    EXPECT_NE(box.cursor().shape(), Qt::ArrowCursor);
    Mouse(box, QEvent::MouseMove, area.topLeft());
    EXPECT_FALSE(box.LinkCursorShown());
    EXPECT_EQ(box.cursor().shape(), Qt::ArrowCursor);
    Mouse(box, QEvent::MouseMove, AboutBox::TitleArea().center());
    EXPECT_FALSE(box.LinkCursorShown());
}

TEST_F(AboutLinks, ClickFollowsTheLinkUnderWaitCursorAndItStaysPurple) {
    {
        AboutBox box;
        box.show();
        EXPECT_EQ(PurplePixels(box, 2), 0);
        Mouse(box, QEvent::MouseButtonPress, AboutBox::Link(2).area.topLeft());  // on the border
        EXPECT_TRUE(catcher.urls.isEmpty());
        Mouse(box, QEvent::MouseButtonPress, AboutBox::Link(2).area.center());
        EXPECT_EQ(catcher.urls, QStringList{AboutBox::Link(2).target});
        EXPECT_TRUE(catcher.waitCursorShown);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(box.LinkCursorShown());
        EXPECT_GT(PurplePixels(box, 2), 0);
    }
    AboutBox reopened;
    reopened.show();
    EXPECT_TRUE(AboutBox::LinkVisited(2));
    EXPECT_GT(PurplePixels(reopened, 2), 0);
    EXPECT_EQ(PurplePixels(reopened, 0), 0);
    EXPECT_FALSE(AboutBox::LinkVisited(0));
}

TEST_F(AboutLinks, EnterAndEscCloseTheBoxAndPutTheArrowBack) {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        AboutBox box;
        box.show();
        Mouse(box, QEvent::MouseMove, AboutBox::Link(0).area.center());
        ASSERT_TRUE(box.LinkCursorShown());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&box, &press);
        EXPECT_FALSE(box.isVisible()) << key;
        EXPECT_FALSE(box.LinkCursorShown());
        EXPECT_EQ(box.cursor().shape(), Qt::ArrowCursor);
    }
}

}  // namespace
}  // namespace plinkora::testing

#include "dialogs_about_test.moc"
