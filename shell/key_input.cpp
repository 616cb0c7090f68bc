#include "shell/key_input.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <utility>

namespace plinkora {

KeyInput::KeyInput(uint32_t nativeOffset, KeySink onKey, EscapeSink onEscape)
    : nativeOffset_(nativeOffset), onKey_(std::move(onKey)), onEscape_(std::move(onEscape)) {
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(kRepeatPairWindowMs);
    releaseTimer_.callOnTimeout([this] { Flush(); });
}

namespace {

constexpr uint32_t kEvdevOffset = 8;

// X11 and Wayland give the keys that Windows reports with the extended bit codes of their own
// (the kernel's evdev codes). The keypad's divide key plays as its twin "/" does; the others
// keep the extended bit, so that the arrows move the bars and the keypad's digits stay apart.
uint32_t BaseScanCode(uint32_t evdevCode) {
    constexpr uint32_t kKeypadDivide = 98, kSlash = 0x35;
    if (evdevCode == kKeypadDivide) {
        return kSlash;
    }
    struct Extended {
        uint32_t evdev;
        uint32_t scanCode;
    };
    static constexpr Extended kExtended[] = {
        {96, 0x1C},  {97, 0x1D},  {99, 0x37},  {100, 0x38}, {102, 0x47}, {103, 0x48},
        {104, 0x49}, {105, 0x4B}, {106, 0x4D}, {107, 0x4F}, {108, 0x50}, {109, 0x51},
        {110, 0x52}, {111, 0x53}, {125, 0x5B}, {126, 0x5C}, {127, 0x5D}};
    for (const Extended& key : kExtended) {
        if (key.evdev == evdevCode) {
            return kExtendedKey | key.scanCode;
        }
    }
    return evdevCode;
}

}  // namespace

std::optional<uint32_t> KeyInput::ScanCodeOf(const QKeyEvent& event) const {
    const uint32_t native = event.nativeScanCode();
    if (native < nativeOffset_ || native - nativeOffset_ > 0xFF) {
        return std::nullopt;
    }
    const uint32_t code = native - nativeOffset_;
    return nativeOffset_ == kEvdevOffset ? BaseScanCode(code) : code;
}

bool KeyInput::Press(const QKeyEvent& event) {
    const std::optional<uint32_t> scanCode = ScanCodeOf(event);
    if (heldRelease_ && scanCode && heldRelease_->scanCode == *scanCode &&
        heldRelease_->timestamp == event.timestamp()) {
        // X11 sometimes sends a repeat as a plain release and press with one time stamp: the
        // key never went up.
        heldRelease_.reset();
        releaseTimer_.stop();
        Deliver(KeyPress(*scanCode, true));
        return true;
    }
    Flush();
    if (event.modifiers() & Qt::AltModifier) {
        BeforeShortcut(event);
        return false;
    }
    // A plain press: any release still expected from an Alt press went elsewhere (to a menu
    // that the accelerator opened, say) and must not swallow this key's release.
    pressedWithAlt_.erase(event.key());
    if (event.key() == Qt::Key_Escape) {
        onEscape_();
        return true;
    }
    if (!scanCode) {
        return false;
    }
    Deliver(KeyPress(*scanCode, event.isAutoRepeat()));
    return true;
}

bool KeyInput::Release(const QKeyEvent& event) {
    const std::optional<uint32_t> scanCode = ScanCodeOf(event);
    // A held note's key that repeated while Alt was down still ends its note.
    const bool endsNote = scanCode && down_.count(*scanCode) > 0;
    if (pressedWithAlt_.erase(event.key()) > 0 && !endsNote) {
        return true;
    }
    if (!scanCode || event.key() == Qt::Key_Escape) {
        return false;
    }
    if (event.isAutoRepeat()) {
        return true;
    }
    Flush();
    heldRelease_ = HeldRelease{*scanCode, event.timestamp()};
    releaseTimer_.start();
    return true;
}

void KeyInput::BeforeShortcut(const QKeyEvent& event) {
    // An accelerator or a menu, never a note: the release of its key is dropped as well, even
    // when Alt goes up first.
    if (event.modifiers() & Qt::AltModifier) {
        pressedWithAlt_.insert(event.key());
    }
}

void KeyInput::Flush() {
    if (!heldRelease_) {
        return;
    }
    const uint32_t scanCode = heldRelease_->scanCode;
    heldRelease_.reset();
    releaseTimer_.stop();
    Deliver(KeyRelease(scanCode));
}

void KeyInput::ReleaseAll() {
    Flush();
    for (uint32_t scanCode : std::exchange(down_, {})) {
        onKey_(KeyRelease(scanCode));
    }
}

void KeyInput::Deliver(const KeyStroke& key) {
    if (key.down) {
        down_.insert(key.scanCode);
    } else {
        down_.erase(key.scanCode);
    }
    onKey_(key);
}

std::optional<int> MenuDigitByPosition(const QKeyEvent& event, uint32_t nativeOffset) {
    constexpr uint32_t kScanCodeOf1 = 0x02, kScanCodeOf8 = 0x09;
    const Qt::KeyboardModifiers others = Qt::ControlModifier | Qt::MetaModifier;
    if (!(event.modifiers() & Qt::AltModifier) || (event.modifiers() & others) ||
        event.nativeScanCode() < nativeOffset) {
        return std::nullopt;
    }
    const uint32_t scanCode = event.nativeScanCode() - nativeOffset;
    if (scanCode < kScanCodeOf1 || scanCode > kScanCodeOf8) {
        return std::nullopt;
    }
    const int digit = static_cast<int>(scanCode - kScanCodeOf1) + 1;
    if (event.key() == Qt::Key_1 + digit - 1) {
        return std::nullopt;
    }
    return digit;
}

uint32_t NativeScanCodeOffset() {
    // Windows reports the PC scan code itself; X11 and Wayland report it plus 8, and the tests
    // on the offscreen platform build their events the X11 way.
    return QGuiApplication::platformName() == QLatin1String("windows") ? 0 : 8;
}

}  // namespace plinkora
