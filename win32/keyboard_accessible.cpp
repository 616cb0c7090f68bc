#include "win32/keyboard_accessible.h"

#include <algorithm>
#include <string_view>

#include "engine/key_table.h"
#include "win32/text.h"
#include "window/keyboard_geometry.h"

namespace plinkora {

namespace {

// "b3" on the cap reads "flat 3"; the dots above or below it say the octave.
std::wstring SpokenLabel(const KeyEntry& key) {
    std::wstring label = Wide(key.label);
    if (!label.empty() && label[0] == L'b') {
        label = L"flat " + label.substr(1);
    }
    switch (key.octave) {
        case 6:
            return label + L" high";
        case 4:
            return label + L" low";
        case 3:
            return label + L" double low";
        default:
            return label;
    }
}

// What the key types without Shift, a letter as its capital, as printed on the key.
std::wstring Legend(int scanCode, HKL layout) {
    const UINT virtualKey = MapVirtualKeyExW(UINT(scanCode), MAPVK_VSC_TO_VK, layout);
    // The top bit marks a dead key; the character is in the low word all the same.
    const UINT typed = MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_CHAR, layout) & 0xFFFF;
    if (virtualKey == 0 || typed == 0) {
        return {};
    }
    std::wstring legend(1, wchar_t(typed));
    CharUpperBuffW(legend.data(), 1);
    return legend;
}

BSTR Text(const std::wstring& text) {
    return SysAllocStringLen(text.data(), UINT(text.size()));
}

VARIANT ChildVariant(LONG child) {
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_I4;
    result.lVal = child;
    return result;
}

}  // namespace

std::wstring SpokenKeyName(int keyIndex, HKL layout) {
    const KeyEntry& key = KeyTable[keyIndex];
    const std::wstring legend = Legend(keyIndex, layout);
    const std::wstring label = SpokenLabel(key);
    return legend.empty() ? label : legend + L", " + label;
}

KeyboardAccessible::KeyboardAccessible(HWND window, const AccessibleKeys& keys)
    : window_(window), keys_(&keys) {
    for (int i = 0; i < kKeyTableSize; ++i) {
        if (!CapRect(Point{0, 0}, i).Empty()) {
            keyIndices_.push_back(i);
        }
    }
    CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                              reinterpret_cast<void**>(&standard_));
}

KeyboardAccessible::~KeyboardAccessible() {
    if (standard_ != nullptr) {
        standard_->Release();
    }
}

void KeyboardAccessible::Disconnect() {
    keys_ = nullptr;
}

LONG KeyboardAccessible::ChildOf(int keyIndex) const {
    const auto found = std::find(keyIndices_.begin(), keyIndices_.end(), keyIndex);
    return found == keyIndices_.end() ? 0 : LONG(found - keyIndices_.begin()) + 1;
}

void KeyboardAccessible::KeyChanged(int keyIndex) const {
    const LONG child = ChildOf(keyIndex);
    if (child != 0) {
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window_, OBJID_CLIENT, child);
    }
}

std::optional<int> KeyboardAccessible::KeyOf(const VARIANT& child) const {
    if (child.vt != VT_I4 || child.lVal < 1 || size_t(child.lVal) > keyIndices_.size()) {
        return std::nullopt;
    }
    return keyIndices_[size_t(child.lVal) - 1];
}

bool KeyboardAccessible::IsSelf(const VARIANT& child) const {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT KeyboardAccessible::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
        riid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG KeyboardAccessible::AddRef() {
    return ULONG(InterlockedIncrement(&references_));
}

ULONG KeyboardAccessible::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return ULONG(left);
}

HRESULT KeyboardAccessible::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT KeyboardAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT KeyboardAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT KeyboardAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) {
    return E_NOTIMPL;
}

// The window itself answers as the system's object for it would; the keys answer here.
#define PLINKORA_FOR_SELF(call)                                    \
    if (keys_ == nullptr) {                                        \
        return RPC_E_DISCONNECTED;                                 \
    }                                                              \
    if (IsSelf(child)) {                                           \
        return standard_ != nullptr ? standard_->call : E_NOTIMPL; \
    }

HRESULT KeyboardAccessible::get_accParent(IDispatch** parent) {
    if (keys_ == nullptr) {
        return RPC_E_DISCONNECTED;
    }
    return standard_ != nullptr ? standard_->get_accParent(parent) : E_NOTIMPL;
}

HRESULT KeyboardAccessible::get_accChildCount(LONG* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = keys_ == nullptr ? 0 : LONG(keyIndices_.size());
    return S_OK;
}

// The keys are simple elements: no object of their own, their parent answers for them.
HRESULT KeyboardAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    return KeyOf(child) ? S_FALSE : E_INVALIDARG;
}

HRESULT KeyboardAccessible::get_accName(VARIANT child, BSTR* name) {
    PLINKORA_FOR_SELF(get_accName(child, name))
    const std::optional<int> key = KeyOf(child);
    if (!key || name == nullptr) {
        return E_INVALIDARG;
    }
    *name = Text(SpokenKeyName(*key, GetKeyboardLayout(0)));
    return S_OK;
}

HRESULT KeyboardAccessible::get_accValue(VARIANT child, BSTR* value) {
    PLINKORA_FOR_SELF(get_accValue(child, value))
    return KeyOf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT KeyboardAccessible::get_accDescription(VARIANT child, BSTR* text) {
    PLINKORA_FOR_SELF(get_accDescription(child, text))
    return KeyOf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT KeyboardAccessible::get_accRole(VARIANT child, VARIANT* role) {
    PLINKORA_FOR_SELF(get_accRole(child, role))
    if (!KeyOf(child) || role == nullptr) {
        return E_INVALIDARG;
    }
    *role = ChildVariant(ROLE_SYSTEM_PUSHBUTTON);
    return S_OK;
}

HRESULT KeyboardAccessible::get_accState(VARIANT child, VARIANT* state) {
    PLINKORA_FOR_SELF(get_accState(child, state))
    const std::optional<int> key = KeyOf(child);
    if (!key || state == nullptr) {
        return E_INVALIDARG;
    }
    LONG bits = keys_->KeySounding(*key) ? STATE_SYSTEM_PRESSED : 0;
    if (!IsWindowVisible(window_)) {
        bits |= STATE_SYSTEM_INVISIBLE;
    }
    *state = ChildVariant(bits);
    return S_OK;
}

HRESULT KeyboardAccessible::get_accHelp(VARIANT child, BSTR* help) {
    PLINKORA_FOR_SELF(get_accHelp(child, help))
    return KeyOf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT KeyboardAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
    PLINKORA_FOR_SELF(get_accHelpTopic(file, child, topic))
    return KeyOf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT KeyboardAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    PLINKORA_FOR_SELF(get_accKeyboardShortcut(child, shortcut))
    return KeyOf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT KeyboardAccessible::get_accFocus(VARIANT* focus) {
    if (keys_ == nullptr) {
        return RPC_E_DISCONNECTED;
    }
    return standard_ != nullptr ? standard_->get_accFocus(focus) : E_NOTIMPL;
}

HRESULT KeyboardAccessible::get_accSelection(VARIANT* selection) {
    if (keys_ == nullptr) {
        return RPC_E_DISCONNECTED;
    }
    return standard_ != nullptr ? standard_->get_accSelection(selection) : E_NOTIMPL;
}

HRESULT KeyboardAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    PLINKORA_FOR_SELF(get_accDefaultAction(child, action))
    return KeyOf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT KeyboardAccessible::accSelect(LONG flags, VARIANT child) {
    PLINKORA_FOR_SELF(accSelect(flags, child))
    return KeyOf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT KeyboardAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) {
    PLINKORA_FOR_SELF(accLocation(left, top, width, height, child))
    const std::optional<int> key = KeyOf(child);
    if (!key || left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_INVALIDARG;
    }
    const RECT place = keys_->KeyOnScreen(*key);
    *left = place.left;
    *top = place.top;
    *width = place.right - place.left;
    *height = place.bottom - place.top;
    return S_OK;
}

HRESULT KeyboardAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    if (keys_ == nullptr) {
        return RPC_E_DISCONNECTED;
    }
    if (end == nullptr) {
        return E_POINTER;
    }
    VariantInit(end);
    const LONG count = LONG(keyIndices_.size());
    LONG to = 0;
    if (IsSelf(start)) {
        if (direction == NAVDIR_FIRSTCHILD) {
            to = 1;
        } else if (direction == NAVDIR_LASTCHILD) {
            to = count;
        } else {
            return standard_ != nullptr ? standard_->accNavigate(direction, start, end) : E_NOTIMPL;
        }
    } else if (KeyOf(start)) {
        if (direction == NAVDIR_NEXT) {
            to = start.lVal + 1;
        } else if (direction == NAVDIR_PREVIOUS) {
            to = start.lVal - 1;
        }
    } else {
        return E_INVALIDARG;
    }
    if (to < 1 || to > count) {
        return S_FALSE;
    }
    *end = ChildVariant(to);
    return S_OK;
}

HRESULT KeyboardAccessible::accHitTest(LONG x, LONG y, VARIANT* child) {
    if (keys_ == nullptr) {
        return RPC_E_DISCONNECTED;
    }
    if (child == nullptr) {
        return E_POINTER;
    }
    const std::optional<int> key = keys_->KeyAtScreenPoint(POINT{x, y});
    if (key && ChildOf(*key) != 0) {
        *child = ChildVariant(ChildOf(*key));
        return S_OK;
    }
    return standard_ != nullptr ? standard_->accHitTest(x, y, child) : S_FALSE;
}

HRESULT KeyboardAccessible::accDoDefaultAction(VARIANT child) {
    PLINKORA_FOR_SELF(accDoDefaultAction(child))
    return KeyOf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

HRESULT KeyboardAccessible::put_accName(VARIANT, BSTR) {
    return E_NOTIMPL;
}

HRESULT KeyboardAccessible::put_accValue(VARIANT, BSTR) {
    return E_NOTIMPL;
}

#undef PLINKORA_FOR_SELF

}  // namespace plinkora
