// The program's icon in the notification area, its tip and picture, the hotkey it owns, and
// the events the user's actions on the icon raise.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "tray/picture.h"
#include "tray/cGlobalAtom.h"

namespace snarvik {

// The tray object's one listener, the main window. Arguments are passed by reference and
// nothing reads them back.
class cSysTrayEvents {
public:
    virtual void MouseMove(std::uint32_t& ID) = 0;
    virtual void MouseDown(std::int16_t& Button, std::uint32_t& ID) = 0;
    virtual void MouseUp(std::int16_t& Button, std::uint32_t& ID) = 0;
    virtual void MouseDblClick(std::int16_t& Button, std::uint32_t& ID) = 0;
    virtual void MenuClick(std::int16_t& Index) = 0;
    // The user clicked the balloon shown over the icon.
    virtual void BalloonClick() = 0;

protected:
    ~cSysTrayEvents() = default;
};

class cSysTray {
public:
    // Registers Print Screen as the hotkey of mainWindow, identified by a new global atom; another
    // program may hold the key already.
    cSysTray(HWND mainWindow, cSysTrayEvents& listener);
    // Unregisters the hotkey, removes the icon and the hook if shown, then deletes the atom.
    ~cSysTray();
    cSysTray(const cSysTray&) = delete;
    cSysTray& operator=(const cSysTray&) = delete;

    // Only icon pictures are taken; none or any other type leaves the picture as it was.
    void TrayIcon(PictureRef Icon);

    // True subclasses the main window and adds the icon; false removes both.
    void InTray(bool Show);

    // For the window hook only.
    void RaiseMouseEvent(std::uint32_t message, std::uint32_t id);
    void RaiseMenuClick(std::int16_t Index);

    // The shell restarted and forgot our icon: add it again if it is shown.
    void TaskbarCreated();
    // Whether the shell took the shown icon; AddIconAgain tries once more if it did not.
    bool IconAdded() const noexcept { return m_added; }
    bool AddIconAgain();

    // The icon's tip, shown from now on.
    void Tip(const std::string& text);

    // A balloon over the shown icon.
    void Balloon(const std::string& title, const std::string& text);

    // Whether Print Screen is ours; TakeHotkey tries to register it again if it is not.
    bool HotkeyRegistered() const noexcept { return m_registered; }
    bool TakeHotkey();
    // The hotkey's message: false for one that a held-down key repeats.
    bool HotkeyPressed();

private:
    static void CALLBACK KeyReleaseTimer(HWND window, UINT, UINT_PTR, DWORD) noexcept;
    bool AddIcon(HWND window, std::uint32_t id, const std::string& tip, const PictureRef& picture);
    void DeleteIcon(HWND window, std::uint32_t id);

    cSysTrayEvents& m_listener;
    bool mInTray = false;
    std::uint32_t mID = 0;
    std::string mTip;
    HWND mhWnd;
    PictureRef mIcon;
    bool mShown = false;
    bool m_added = false;      // the shell took the icon
    bool m_registered = false; // the hotkey is ours
    bool m_keyHeld = false;    // Print Screen not yet let go since its last hotkey
    cGlobalAtom mAtom;         // declared last: released first, after the hotkey is gone
};

} // namespace snarvik
