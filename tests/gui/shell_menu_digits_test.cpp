#include <QMenu>

#include "shell_test_fixture.h"

namespace plinkora::testing {
namespace {

// X11 key codes of the number row's first keys, which type "&", "é" and "\"" on AZERTY.
constexpr int kNative1 = 10, kNative2 = 11, kNativeQ = 24;

class MenuDigits : public ShellTest {
  protected:
    QString OpenedMenu() {
        if (!WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }, 1000)) {
            return {};
        }
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        const QString title = menu != nullptr ? menu->title() : QString();
        QApplication::activePopupWidget()->close();
        return title;
    }
};

TEST_F(MenuDigits, AltWithANumberRowKeyOpensItsMenuByPositionWhateverItTypes) {
    Start();
    Words().clear();
    Press(kNative1, Qt::Key_Ampersand, Qt::AltModifier);
    EXPECT_EQ(OpenedMenu(), "Switch(&1)");
    Press(kNative2, Qt::Key_Eacute, Qt::AltModifier);
    EXPECT_EQ(OpenedMenu(), "Instruments(&2)");
    EXPECT_TRUE(Words().empty()) << "a menu key played a note";

    // Without Alt the key plays as the number row's first key does.
    Tap(kNative1, Qt::Key_Ampersand);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 42), NoteOff(0, 42)}));
}

TEST_F(MenuDigits, AltLettersKeepFollowingThePrintedLetter) {
    Start();
    // On AZERTY the key in the place of Q types "A": Alt with it chooses "1=bA" of Alt+A.
    Press(kNativeQ, Qt::Key_A, Qt::AltModifier);
    Release(kNativeQ, Qt::Key_A);
    EXPECT_TRUE(Checked(1302));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    // Ctrl+Alt is no menu key (AltGr on some systems).
    Press(kNative1, Qt::Key_Ampersand, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_EQ(OpenedMenu(), "");
}

}  // namespace
}  // namespace plinkora::testing
