#include "view/xkb_legends.h"

#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <memory>

namespace plinkora {

namespace {

// X11 and Wayland number the keys by the PC scan code plus 8.
constexpr uint32_t kEvdevOffset = 8;

struct DeadKey {
    uint32_t keysym;
    char16_t accent;
};
// The spacing form of each accent, as a cap prints it.
constexpr std::array<DeadKey, 13> kDeadKeys{{
    {XKB_KEY_dead_grave, u'`'},
    {XKB_KEY_dead_acute, u'\u00B4'},
    {XKB_KEY_dead_circumflex, u'^'},
    {XKB_KEY_dead_tilde, u'~'},
    {XKB_KEY_dead_macron, u'\u00AF'},
    {XKB_KEY_dead_breve, u'\u02D8'},
    {XKB_KEY_dead_abovedot, u'\u02D9'},
    {XKB_KEY_dead_diaeresis, u'\u00A8'},
    {XKB_KEY_dead_abovering, u'\u00B0'},
    {XKB_KEY_dead_doubleacute, u'\u02DD'},
    {XKB_KEY_dead_caron, u'\u02C7'},
    {XKB_KEY_dead_cedilla, u'\u00B8'},
    {XKB_KEY_dead_ogonek, u'\u02DB'},
}};

QString LevelLegend(xkb_keymap* keymap, xkb_keycode_t keycode, uint32_t layout, uint32_t level) {
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, layout, level, &syms);
    return count == 1 ? KeysymLegend(syms[0]) : QString();
}

struct ContextFree {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct KeymapFree {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};

}  // namespace

QString KeysymLegend(uint32_t keysym) {
    for (const DeadKey& dead : kDeadKeys) {
        if (dead.keysym == keysym) {
            return QString(QChar(dead.accent));
        }
    }
    const uint32_t code = xkb_keysym_to_utf32(keysym);
    // Control characters (Tab, Return) are no legend.
    if (code < 0x20 || code == 0x7F) {
        return {};
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
}

KeyLegends LegendsFromKeymap(xkb_keymap* keymap, uint32_t layoutIndex) {
    KeyLegends legends;
    for (int scanCode = 0; scanCode < kKeyTableSize; ++scanCode) {
        if (!KeyLegends::Carries(scanCode)) {
            continue;
        }
        const xkb_keycode_t keycode = static_cast<uint32_t>(scanCode) + kEvdevOffset;
        legends.Set(scanCode, {LevelLegend(keymap, keycode, layoutIndex, 0),
                               LevelLegend(keymap, keycode, layoutIndex, 1)});
    }
    return legends;
}

std::optional<KeyLegends> LegendsFromKeymapText(const QByteArray& text, uint32_t group) {
    const std::unique_ptr<xkb_context, ContextFree> context(
        xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (!context || text.isEmpty()) {
        return std::nullopt;
    }
    // The text may end in the NUL the protocol sends with it.
    const std::unique_ptr<xkb_keymap, KeymapFree> keymap(xkb_keymap_new_from_buffer(
        context.get(), text.constData(), qstrnlen(text.constData(), text.size()),
        XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) {
        return std::nullopt;
    }
    const uint32_t layouts = xkb_keymap_num_layouts(keymap.get());
    return LegendsFromKeymap(keymap.get(), layouts > 0 ? group % layouts : 0);
}

std::optional<KeyLegends> LegendsForLayout(const char* layout, const char* variant) {
    const std::unique_ptr<xkb_context, ContextFree> context(
        xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (!context) {
        return std::nullopt;
    }
    const xkb_rule_names names{"evdev", "pc105", layout, variant, ""};
    const std::unique_ptr<xkb_keymap, KeymapFree> keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) {
        return std::nullopt;
    }
    return LegendsFromKeymap(keymap.get(), 0);
}

}  // namespace plinkora
