#include "window/menu_table.h"

#include <algorithm>
#include <cstdio>

#include "engine/controls.h"
#include "engine/instruments.h"
#include "engine/key_signatures.h"
#include "engine/midi_output.h"
#include "window/command_ids.h"

namespace plinkora {

namespace {

Mark FirstChecked(bool first) {
    return first ? Mark::Checked : Mark::Unchecked;
}

std::string Printed(const char* format, int number, const char* name) {
    char text[128];
    std::snprintf(text, sizeof text, format, number, name);
    return text;
}

MenuEntry SwitchMenu() {
    return {"Switch(&1)",
            0,
            Mark::None,
            true,
            0,
            {{"&Open\tAlt+O", kOpenDeviceCommand, Mark::Unchecked, true, 'O', {}},
             {"Clo&se\tAlt+S", kCloseDeviceCommand, Mark::Checked, true, 'S', {}}}};
}

MenuEntry InstrumentsMenu() {
    MenuEntry menu{"Instruments(&2)"};
    for (int family = 0; family < kFamilyCount; ++family) {
        const InstrumentFamily& entry = InstrumentTable[family];
        MenuEntry& submenu = menu.submenu.emplace_back();
        submenu.text = Printed("%2d.\t%s", family + 1, entry.name);
        for (int i = 0; i < 8; ++i) {
            const int program = 8 * family + i;
            submenu.submenu.push_back({Printed("&%d.\t%s", i + 1, entry.instruments[i]),
                                       kFirstInstrumentCommand + program,
                                       FirstChecked(program == 0),
                                       true,
                                       0,
                                       {}});
        }
    }
    return menu;
}

MenuEntry ModeMenu() {
    MenuEntry menu{"Mode(&3)"};
    for (const KeySignature& key : KeySignatures()) {
        menu.submenu.push_back({key.menuText,
                                key.id,
                                FirstChecked(key.id == kDefaultKeySignature),
                                true,
                                key.accelerator,
                                {}});
    }
    return menu;
}

MenuEntry RecordMenu() {
    MenuEntry menu{"Record(&4)"};
    const std::array<std::pair<const char*, int>, 9> items = {{
        {"Begin to &Record", kBeginRecordCommand},
        {"&End Recording", kEndRecordCommand},
        {"Begin to &Play", kPlayCommand},
        {"Circ&le Play", kCirclePlayCommand},
        {"E&nd Playing", kEndPlayingCommand},
        {"&Save", kSaveCommand},
        {"Save &as", kSaveAsCommand},
        {"E&xport Midi file", kExportCommand},
        {"&Load *.plk", kLoadCommand},
    }};
    for (const auto& [text, commandId] : items) {
        // Only recording and loading can start from nothing.
        const bool enabled = commandId == kBeginRecordCommand || commandId == kLoadCommand;
        menu.submenu.push_back({text, commandId, Mark::None, enabled, 0, {}});
    }
    return menu;
}

MenuEntry DeviceMenu(Performance& performance, MenuOptions options) {
    MenuEntry menu{"Device(&6)"};
    ResolveDefaultDevice(performance);
    const MidiOutputs& outputs = *performance.outputs;
    // The first item is the chosen device: the mapper when there is one, else device 0.
    if (std::optional<std::string> mapper = outputs.MapperName()) {
        menu.submenu.push_back({*mapper, kMapperCommand, Mark::Checked, true, 0, {}});
    }
    const int count = std::min(outputs.Count(), kMaxListedDevices);
    for (int32_t device = 0; device < count; ++device) {
        menu.submenu.push_back({outputs.Name(device),
                                DeviceCommand(device),
                                FirstChecked(menu.submenu.empty()),
                                true,
                                0,
                                {}});
    }
    if (options.synthesizerItem) {
        menu.submenu.push_back({"S&ynthesizer...", kSynthesizerCommand, Mark::None, true, 0, {}});
    }
    return menu;
}

MenuEntry TrackMenu() {
    MenuEntry menu{"Track(&7)"};
    for (int channel = 0; channel < kTrackCount; ++channel) {
        menu.submenu.push_back({std::to_string(channel + 1),
                                kFirstTrackCommand + channel,
                                FirstChecked(channel == 0),
                                true,
                                0,
                                {}});
    }
    return menu;
}

}  // namespace

std::vector<MenuEntry> MenuBarEntries(Performance& performance, MenuOptions options) {
    return {SwitchMenu(),
            InstrumentsMenu(),
            ModeMenu(),
            RecordMenu(),
            {"Function(&5)",
             0,
             Mark::None,
             true,
             0,
             {{"&Add bourdon automatism", kBourdonCommand, Mark::Unchecked, true, 0, {}}}},
            DeviceMenu(performance, options),
            TrackMenu(),
            {"Help(&8)",
             0,
             Mark::None,
             true,
             0,
             {{"&Help", kHelpCommand, Mark::None, true, 0, {}},
              {"&Tips of the Day...", kTipsCommand, Mark::None, true, 0, {}},
              {"&About", kAboutCommand, Mark::None, true, 0, {}}}}};
}

}  // namespace plinkora
