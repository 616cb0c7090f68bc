#include "shell/menu_bar.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

#include "view/artwork.h"
#include "window/command_ids.h"
#include "window/menu_table.h"

namespace plinkora {

namespace {

class MenuBuilder {
  public:
    MenuBuilder(CommandActions& actions, CommandHandler onCommand)
        : actions_(actions), onCommand_(std::move(onCommand)) {}

    void AddEntries(QMenu& menu, const std::vector<MenuEntry>& entries) {
        for (const MenuEntry& entry : entries) {
            if (entry.submenu.empty()) {
                Add(menu, entry);
            } else {
                AddEntries(*menu.addMenu(QString::fromStdString(entry.text)), entry.submenu);
            }
        }
    }

  private:
    void Add(QMenu& menu, const MenuEntry& entry) {
        QAction* action = menu.addAction(QString::fromStdString(entry.text));
        action->setData(entry.commandId);
        action->setEnabled(entry.enabled);
        if (entry.mark != Mark::None) {
            action->setCheckable(true);
            action->setChecked(entry.mark == Mark::Checked);
        }
        if (entry.accelerator != 0) {
            SetAccelerator(action, entry.accelerator);
        }
        // Qt flips a checkable item before it reports the trigger; the commands move their
        // marks themselves, so the flip is undone first.
        QObject::connect(
            action, &QAction::triggered, action,
            [action, commandId = entry.commandId, onCommand = onCommand_](bool checked) {
                if (action->isCheckable()) {
                    action->setChecked(!checked);
                }
                onCommand(commandId);
            });
        actions_[entry.commandId] = action;
    }

    // The accelerators answer whichever control has the focus.
    static void SetAccelerator(QAction* action, char letter) {
        action->setShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_A + (letter - 'A'))));
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setAutoRepeat(false);
    }

    CommandActions& actions_;
    CommandHandler onCommand_;
};

}  // namespace

CommandActions BuildMenuBar(QMenuBar& bar, Performance& performance, CommandHandler onCommand,
                            MenuOptions options) {
    CommandActions actions;
    MenuBuilder builder(actions, std::move(onCommand));
    for (const MenuEntry& menu : MenuBarEntries(performance, options)) {
        builder.AddEntries(*bar.addMenu(QString::fromStdString(menu.text)), menu.submenu);
    }
    return actions;
}

void BuildInstrumentToolbar(QToolBar& toolbar, CommandHandler onCommand) {
    toolbar.setIconSize(QSize(32, 32));
    for (size_t image = 0; image < kToolbarPrograms.size(); ++image) {
        // No text: the buttons show only their pictures and have no tool tips.
        QAction* action = toolbar.addAction(artwork::ToolbarIcon(static_cast<int>(image)), {});
        const int commandId = kFirstInstrumentCommand + kToolbarPrograms[image];
        action->setData(commandId);
        // The typing keyboard must stay with the window.
        toolbar.widgetForAction(action)->setFocusPolicy(Qt::NoFocus);
        QObject::connect(action, &QAction::triggered, &toolbar,
                         [onCommand, commandId] { onCommand(commandId); });
    }
}

bool OpenMenuByDigit(QMenuBar& bar, int digit) {
    const QString mnemonic = QStringLiteral("(&%1)").arg(digit);
    for (QAction* action : bar.actions()) {
        if (action->text().endsWith(mnemonic) && action->isEnabled()) {
            bar.setActiveAction(action);
            return true;
        }
    }
    return false;
}

}  // namespace plinkora
