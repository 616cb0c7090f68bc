#pragma once

#include <windows.h>

#include <oleacc.h>

#include <optional>
#include <string>
#include <vector>

namespace plinkora {

// What the keyboard's accessible object asks of the window that paints the keys.
class AccessibleKeys {
  public:
    virtual ~AccessibleKeys() = default;
    virtual bool KeySounding(int keyIndex) const = 0;
    virtual RECT KeyOnScreen(int keyIndex) const = 0;
    virtual std::optional<int> KeyAtScreenPoint(POINT point) const = 0;
};

// The key by what it types in the user's layout and by its cap ("A, 1" on the home row's first
// key under a US layout; "Z, flat 2"; dots above or below the label read "high" or "low"), as
// the Linux program names it.
std::wstring SpokenKeyName(int keyIndex, HKL layout);

// The main window's client area as screen readers see it (Microsoft Active Accessibility): the
// window's own object, with the 45 playing keys as its children, numbered 1 to 45 from the
// number row down. Each is a button, pressed while its note sounds, placed where it is drawn.
// The window answers WM_GETOBJECT for OBJID_CLIENT with it. Window thread.
// Interface identifiers are taken with __uuidof: oleacc.dll exports IID_IAccessible as data, and
// MinGW's import library then links that name to a jump, not to the identifier.
class KeyboardAccessible final : public IAccessible {
  public:
    KeyboardAccessible(HWND window, const AccessibleKeys& keys);
    KeyboardAccessible(const KeyboardAccessible&) = delete;
    KeyboardAccessible& operator=(const KeyboardAccessible&) = delete;

    // The window is going: later calls from screen readers that still hold the object fail.
    void Disconnect();
    // The child number of a key, 0 for a key that does not play.
    LONG ChildOf(int keyIndex) const;
    // Tells screen readers that the key was pressed or released.
    void KeyChanged(int keyIndex) const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: not offered; screen readers call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

  private:
    ~KeyboardAccessible();
    // The key a child number stands for; none for the window itself and unknown numbers.
    std::optional<int> KeyOf(const VARIANT& child) const;
    bool IsSelf(const VARIANT& child) const;

    LONG references_ = 1;
    HWND window_;
    const AccessibleKeys* keys_;
    IAccessible* standard_ = nullptr;  // the system's object for the window, for the rest
    std::vector<int> keyIndices_;      // child n is keyIndices_[n - 1]
};

}  // namespace plinkora
