#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

#include "dialogs/about_box.h"
#include "view/text_drawing.h"

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
        QDesktopServices::setUrlHandler("mailto", &catcher, "Open");
        QDesktopServices::setUrlHandler("https", &catcher, "Open");
    }
    void TearDown() override {
        QDesktopServices::unsetUrlHandler("mailto");
        QDesktopServices::unsetUrlHandler("https");
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
        for (int i = 0; i < image.width() * image.height(); ++i) {
            count += image.pixelColor(i % image.width(), i / image.width()) == kVisitedLinkColour;
        }
        return count;
    }

    UrlCatcher catcher;
};

TEST_F(AboutLinks, PointsOnTheBorderAreOutsideAndTargetsAreWhatIsShown) {
    for (int link = 0; link < AboutBox::kLinkCount; ++link) {
        const AboutLink& l = AboutBox::Link(link);
        const QRect& area = l.area;
        const int right = area.left() + area.width(), bottom = area.top() + area.height();
        EXPECT_EQ(AboutBox::LinkAt({area.left() + 1, area.top() + 1}), link);
        EXPECT_EQ(AboutBox::LinkAt({right - 1, bottom - 1}), link);
        for (QPoint border : {QPoint(area.left(), area.center().y()),
                              {right, area.center().y()},
                              {area.center().x(), area.top()},
                              {area.center().x(), bottom}}) {
            EXPECT_EQ(AboutBox::LinkAt(border), -1) << link;
        }
        EXPECT_EQ(l.target, (link < 2 ? "mailto:" : "") + l.text);
    }
    EXPECT_EQ(AboutBox::LinkAt(AboutBox::TitleArea().center()), -1);
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
    EXPECT_GT(PurplePixels(reopened, 2), 0);
    EXPECT_EQ(PurplePixels(reopened, 0), 0);
}

TEST_F(AboutLinks, PointingHandInsideALinkUntilEnterOrEscClosesTheBox) {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        AboutBox box;
        box.show();
        Mouse(box, QEvent::MouseMove, AboutBox::Link(1).area.topLeft());  // on the border
        EXPECT_FALSE(box.LinkCursorShown());
        Mouse(box, QEvent::MouseMove, AboutBox::Link(1).area.center());
        EXPECT_TRUE(box.LinkCursorShown());
        EXPECT_NE(box.cursor().shape(), Qt::ArrowCursor);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&box, &press);
        EXPECT_FALSE(box.isVisible() || box.LinkCursorShown()) << key;
        EXPECT_EQ(box.cursor().shape(), Qt::ArrowCursor);
    }
}

TEST_F(AboutLinks, ScreenReadersFindTheLinksWithTheirAddressesAndFollowThem) {
    AboutBox box;
    box.show();
    QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(&box);
    QStringList links;
    QAccessibleInterface* homePage = nullptr;
    for (int i = 0; i < dialog->childCount(); ++i) {
        QAccessibleInterface* child = dialog->child(i);
        EXPECT_EQ(dialog->indexOfChild(child), i);
        if (child->role() == QAccessible::Link) {
            links << child->text(QAccessible::Name) + " " + child->text(QAccessible::Description);
            homePage = child;
        }
    }
    EXPECT_EQ(links, QStringList({"plinkora@example.org mailto:plinkora@example.org",
                                  "help@plinkora.example.org mailto:help@plinkora.example.org",
                                  "https://plinkora.example.org https://plinkora.example.org"}));
    ASSERT_NE(homePage, nullptr);
    EXPECT_EQ(dialog->childAt(homePage->rect().center().x(), homePage->rect().center().y()),
              homePage);
    homePage->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(catcher.urls, QStringList{"https://plinkora.example.org"});
    EXPECT_TRUE(homePage->state().traversed);
}

}  // namespace
}  // namespace plinkora::testing

#include "dialogs_about_test.moc"
