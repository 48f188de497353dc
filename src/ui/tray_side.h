// The tray side of frmMain: the icon at the notification area's scale, the tray menu and the
// tray object IconEvent, whose events arrive here as the IconEvent_ handlers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "base/failure.h"
#include "base/win32.h"
#include "tray/cSysTray.h"
#include "tray/delayed_cut.h"
#include "tray/print_screen_notice.h"
#include "tray/picture.h"
#include "ui/exit_gate.h"
#include "ui/modal_steps.h"

namespace snarvik {

// What the tray side needs of the window.
class TrayHost {
public:
    // The tray commands' dispatcher.
    virtual void MenuClick(std::int16_t& Index) = 0;
    // The icon's double click: a new grab with the last cut's limit.
    virtual void CutFromIcon() = 0;
    // The delayed cut's count is over: a cut of any size.
    virtual void CutAfterDelay() = 0;
    virtual void ShowError(const Failure& failure) = 0;

protected:
    ~TrayHost() = default;
};

class TraySide final : private cSysTrayEvents {
public:
    TraySide(TrayHost& host, ModalSteps& steps, const ExitGate& exit)
        : m_host(host), m_steps(steps), m_exit(exit) {}
    TraySide(const TraySide&) = delete;
    TraySide& operator=(const TraySide&) = delete;

    // The icon at the size the notification area's scaling asks for, from the artwork drawn for
    // that size; the shell gets the new icon before the old one is destroyed.
    void LoadTrayIcon(HINSTANCE instance);
    // The tray menu, the tray object and its icon, for window.
    void MakeTray(HWND window);
    // The tray object (hotkey, icon, window procedure, atom, in that order), then the menu.
    void Release();
    // The window's messages that concern the tray; a result when they are handled in full.
    std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam);
    // A balloon naming the file saved without a dialog; its click shows the file in its folder.
    void ShowSaved(const std::string& path);
    // The delayed cut's count, a second a tick, shown in the tip; EndDelayedCut ends it, as
    // a cut that starts otherwise does.
    void StartDelayedCut(int seconds);
    void EndDelayedCut();

private:
    // cSysTrayEvents
    void MouseMove(std::uint32_t&) override {}
    void MouseDown(std::int16_t& Button, std::uint32_t& ID) override {
        IconEvent_MouseDown(Button, ID);
    }
    void MouseUp(std::int16_t&, std::uint32_t&) override {}
    void MouseDblClick(std::int16_t& Button, std::uint32_t& ID) override {
        IconEvent_MouseDblClick(Button, ID);
    }
    void MenuClick(std::int16_t& Index) override { IconEvent_MenuClick(Index); }
    void BalloonClick() override { IconEvent_BalloonClick(); }

    void IconEvent_MouseDown(std::int16_t Button, std::uint32_t ID);
    void IconEvent_MenuClick(std::int16_t Index);
    void IconEvent_MouseDblClick(std::int16_t Button, std::uint32_t ID);
    void IconEvent_BalloonClick();
    void ShowTrayMenu();
    // The menu from the table, with the delayed cut's items or, while it counts, its cancel.
    void BuildTrayMenu();
    void DelayTimer();
    void TrayClickTimer();
    // After the icon's add, at load or for a restarted shell: the start's notice once the shell
    // took it, else the tries again from the first delay.
    void AfterIconAdd();
    // The icon again after the shell refused it, on a growing delay, a bounded number of times.
    void IconRetryTimer();
    // Once per start, as soon as the icon is in the tray: why Print Screen is not ours.
    void NoticeOnce();
    void ShowNotice(PrintScreenNotice notice);

    TrayHost& m_host;
    ModalSteps& m_steps;
    const ExitGate& m_exit;
    HINSTANCE m_instance = nullptr;
    HWND m_window = nullptr;
    win::UniqueIcon m_icon;
    int m_iconSize = 0;
    PictureRef m_iconPicture;
    win::UniqueMenu mTrayMenu;
    std::unique_ptr<cSysTray> IconEvent;
    UINT m_taskbarCreated = 0;
    std::size_t m_iconRetries = 0;
    DelayedCut m_delay;
    struct {
        bool decided = false; // the start's notice is decided
        PrintScreenNotice notice = PrintScreenNotice::None;
        std::string saved; // the file it names
    } m_balloon;           // what the shown balloon says
};

} // namespace snarvik
