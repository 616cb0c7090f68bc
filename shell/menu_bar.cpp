#include "shell/menu_bar.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>
#include <array>

#include "engine/controls.h"
#include "engine/instruments.h"
#include "engine/key_signatures.h"
#include "engine/midi_output.h"
#include "shell/command_ids.h"
#include "view/artwork.h"

namespace plinkora {

namespace {

enum class Mark { None, Unchecked, Checked };

class MenuBuilder {
  public:
    MenuBuilder(CommandActions& actions, CommandHandler onCommand)
        : actions_(actions), onCommand_(std::move(onCommand)) {}

    QAction* Add(QMenu& menu, const QString& text, int commandId, Mark mark = Mark::None,
                 bool enabled = true) {
        QAction* action = menu.addAction(text);
        action->setData(commandId);
        action->setEnabled(enabled);
        if (mark != Mark::None) {
            action->setCheckable(true);
            action->setChecked(mark == Mark::Checked);
        }
        // Qt flips a checkable item before it reports the trigger; the commands move their
        // marks themselves, so the flip is undone first.
        QObject::connect(action, &QAction::triggered, action,
                         [action, commandId, onCommand = onCommand_](bool checked) {
                             if (action->isCheckable()) {
                                 action->setChecked(!checked);
                             }
                             onCommand(commandId);
                         });
        actions_[commandId] = action;
        return action;
    }

    // The accelerators answer whichever control has the focus.
    static void SetAccelerator(QAction* action, char letter) {
        action->setShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_A + (letter - 'A'))));
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setAutoRepeat(false);
    }

  private:
    CommandActions& actions_;
    CommandHandler onCommand_;
};

void AddSwitchMenu(QMenuBar& bar, MenuBuilder& builder) {
    QMenu* menu = bar.addMenu(QStringLiteral("Switch(&1)"));
    MenuBuilder::SetAccelerator(
        builder.Add(*menu, QStringLiteral("&Open\tAlt+O"), kOpenDeviceCommand, Mark::Unchecked),
        'O');
    MenuBuilder::SetAccelerator(
        builder.Add(*menu, QStringLiteral("Clo&se\tAlt+S"), kCloseDeviceCommand, Mark::Checked),
        'S');
}

void AddInstrumentsMenu(QMenuBar& bar, MenuBuilder& builder) {
    QMenu* menu = bar.addMenu(QStringLiteral("Instruments(&2)"));
    for (int family = 0; family < kFamilyCount; ++family) {
        const InstrumentFamily& entry = InstrumentTable[family];
        QMenu* submenu = menu->addMenu(QString::asprintf("%2d.\t%s", family + 1, entry.name));
        for (int i = 0; i < 8; ++i) {
            const int program = 8 * family + i;
            builder.Add(*submenu, QString::asprintf("&%d.\t%s", i + 1, entry.instruments[i]),
                        kFirstInstrumentCommand + program,
                        program == 0 ? Mark::Checked : Mark::Unchecked);
        }
    }
}

void AddModeMenu(QMenuBar& bar, MenuBuilder& builder) {
    QMenu* menu = bar.addMenu(QStringLiteral("Mode(&3)"));
    for (const KeySignature& key : KeySignatures()) {
        QAction* action =
            builder.Add(*menu, QString::fromLatin1(key.menuText), key.id,
                        key.id == kDefaultKeySignature ? Mark::Checked : Mark::Unchecked);
        MenuBuilder::SetAccelerator(action, key.accelerator);
    }
}

void AddRecordMenu(QMenuBar& bar, MenuBuilder& builder) {
    QMenu* menu = bar.addMenu(QStringLiteral("Record(&4)"));
    struct Item {
        const char* text;
        int commandId;
        bool enabled;
    };
    static constexpr std::array<Item, 9> kItems = {{
        {"Begin to &Record", kBeginRecordCommand, true},
        {"&End Recording", kEndRecordCommand, false},
        {"Begin to &Play", kPlayCommand, false},
        {"Circ&le Play", kCirclePlayCommand, false},
        {"E&nd Playing", kEndPlayingCommand, false},
        {"&Save", kSaveCommand, false},
        {"Save &as", kSaveAsCommand, false},
        {"E&xport Midi file", kExportCommand, false},
        {"&Load *.plk", kLoadCommand, true},
    }};
    for (const Item& item : kItems) {
        builder.Add(*menu, QString::fromLatin1(item.text), item.commandId, Mark::None,
                    item.enabled);
    }
}

void AddDeviceMenu(QMenuBar& bar, MenuBuilder& builder, Performance& performance) {
    QMenu* menu = bar.addMenu(QStringLiteral("Device(&6)"));
    ResolveDefaultDevice(performance);
    const MidiOutputs& outputs = *performance.outputs;
    // The first item is the chosen device: the mapper when there is one, else device 0.
    Mark mark = Mark::Checked;
    if (std::optional<std::string> mapper = outputs.MapperName()) {
        builder.Add(*menu, QString::fromStdString(*mapper), kMapperCommand, mark);
        mark = Mark::Unchecked;
    }
    const int count = std::min(outputs.Count(), kMaxListedDevices);
    for (int32_t device = 0; device < count; ++device) {
        builder.Add(*menu, QString::fromStdString(outputs.Name(device)), DeviceCommand(device),
                    mark);
        mark = Mark::Unchecked;
    }
}

void AddTrackMenu(QMenuBar& bar, MenuBuilder& builder) {
    QMenu* menu = bar.addMenu(QStringLiteral("Track(&7)"));
    for (int channel = 0; channel < kTrackCount; ++channel) {
        builder.Add(*menu, QString::number(channel + 1), kFirstTrackCommand + channel,
                    channel == 0 ? Mark::Checked : Mark::Unchecked);
    }
}

void AddHelpMenu(QMenuBar& bar, MenuBuilder& builder) {
    QMenu* menu = bar.addMenu(QStringLiteral("Help(&8)"));
    builder.Add(*menu, QStringLiteral("&Help"), kHelpCommand);
    builder.Add(*menu, QStringLiteral("&Tips of the Day..."), kTipsCommand);
    builder.Add(*menu, QStringLiteral("&About"), kAboutCommand);
}

// One instrument of each family but Synth Lead and Synth Pad, in toolbar order.
constexpr std::array<int, 14> kToolbarPrograms = {
    0,    // Acoustic Grand Piano
    15,   // Dulcimer
    19,   // Church Organ
    25,   // Acoustic Guitar (steel)
    32,   // Acoustic Bass
    40,   // Violin
    55,   // Orchestra Hit
    57,   // Trombone
    66,   // Tenor Sax
    73,   // Flute
    103,  // FX 8 (sci-fi)
    107,  // Koto
    114,  // Steel Drums
    123,  // Bird Tweet
};

}  // namespace

CommandActions BuildMenuBar(QMenuBar& bar, Performance& performance, CommandHandler onCommand) {
    CommandActions actions;
    MenuBuilder builder(actions, std::move(onCommand));
    AddSwitchMenu(bar, builder);
    AddInstrumentsMenu(bar, builder);
    AddModeMenu(bar, builder);
    AddRecordMenu(bar, builder);
    QMenu* function = bar.addMenu(QStringLiteral("Function(&5)"));
    builder.Add(*function, QStringLiteral("&Add bourdon automatism"), kBourdonCommand,
                Mark::Unchecked);
    AddDeviceMenu(bar, builder, performance);
    AddTrackMenu(bar, builder);
    AddHelpMenu(bar, builder);
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
