#include <windows.h>
#include <windowsx.h>

#include "ui/frmMain.h"

#include "app/settings.h"
#include "app/settings_store.h"
#include "output/ShowSaveDialog.h"
#include "output/file_names.h"
#include "output/save_picture.h"
#include "output/icon_pixels.h"
#include "output/mChangeWallpaper.h"
#include "output/mCopyPicToClipboard.h"
#include "shell/mCreateShortcut.h"
#include "shell/mWebLink.h"
#include "tray/tray_logic.h"
#include "ui/resource.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>

namespace snarvik {

namespace mMain {
bool TrayMode = false;
} // namespace mMain

namespace {

constexpr UINT_PTR kTrayClickTimer = 1;
constexpr DWORD kMenuSettleMs = 150;
constexpr const char* kTitle = "Snarvik";

int ScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight() {
    return GetSystemMetrics(SM_CYSCREEN);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Creation and loading

frmMain::frmMain(HINSTANCE instance) : m_instance(instance) {}

std::unique_ptr<frmMain> frmMain::Create(HINSTANCE instance) {
    std::unique_ptr<frmMain> form(new frmMain(instance));
    if (!form->CreateWindows()) {
        return nullptr;
    }
    return form;
}

std::unique_ptr<frmMain> frmMain::Load(HINSTANCE instance, bool endsProcess) {
    auto form = Create(instance);
    if (form) {
        form->m_endsProcess = endsProcess;
        form->Form_Load();
    }
    return form;
}

bool frmMain::CreateWindows() {
    const int smallIcon = GetSystemMetrics(SM_CXSMICON);
    m_icon.reset(static_cast<HICON>(LoadImageA(m_instance, MAKEINTRESOURCEA(IDI_SNARVIK),
                                               IMAGE_ICON, smallIcon, smallIcon, 0)));
    if (m_icon) {
        m_iconPicture = std::make_shared<const Picture>(Picture{PictureType::Icon, m_icon.get()});
    }
    HCURSOR cursor = LoadCursorA(m_instance, MAKEINTRESOURCEA(IDC_CAPTURE));

    WNDCLASSEXA form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = &frmMain::WndProc;
    form.hInstance = m_instance;
    // Shared icons: the class may outlive this window (tests make several).
    form.hIcon = LoadIconA(m_instance, MAKEINTRESOURCEA(IDI_SNARVIK));
    form.hIconSm = static_cast<HICON>(LoadImageA(m_instance, MAKEINTRESOURCEA(IDI_SNARVIK),
                                                 IMAGE_ICON, smallIcon, smallIcon, LR_SHARED));
    form.hCursor = cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_CROSS);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    form.lpszClassName = kClassName;
    RegisterClassExA(&form); // a second window in the process finds the class registered

    WNDCLASSEXA picture{};
    picture.cbSize = sizeof(picture);
    picture.lpfnWndProc = &frmMain::PictureProc;
    picture.hInstance = m_instance;
    picture.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    picture.lpszClassName = kPictureClassName;
    RegisterClassExA(&picture);

    // Borderless, captionless popup; no taskbar button. Topmost so that the frozen screen
    // covers the taskbar while a cut is up.
    m_hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "",
                             WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 0,
                             ScreenWidth(), ScreenHeight(), nullptr, nullptr, m_instance, this);
    if (m_hwnd == nullptr) {
        return false;
    }
    m_picture1 = CreateWindowExA(0, kPictureClassName, "", WS_CHILD, 0, 0, 0, 0, m_hwnd, nullptr,
                                 m_instance, this);

    m_mnuPopup.reset(CreatePopupMenu());
    HMENU wallpaper = CreatePopupMenu();
    AppendMenuA(wallpaper, MF_STRING, kMenuWallpaperMode + 1, "&Tile");
    AppendMenuA(wallpaper, MF_STRING, kMenuWallpaperMode + 2, "&Center");
    AppendMenuA(wallpaper, MF_STRING, kMenuWallpaperMode + 3, "&Stretch");
    HMENU popup = m_mnuPopup.get();
    AppendMenuA(popup, MF_STRING, kMenuCopyToClipboard, "Copy to &Clipboard");
    AppendMenuA(popup, MF_STRING, kMenuSaveBitmap, "Save as &Bitmap (.bmp)");
    AppendMenuA(popup, MF_STRING, kMenuSaveIcon, "Save as &Icon (.ico)");
    AppendMenuA(popup, MF_STRING, kMenuSaveCursor, "Save as &Cursor (.cur)");
    AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(wallpaper), "Set as &Wallpaper");
    AppendMenuA(popup, MF_STRING, kMenuReselect, "&Reselect");
    AppendMenuA(popup, MF_STRING, kMenuAbort, "&Abort");

    m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    return true;
}

frmMain::~frmMain() {
    Unload();
    if (m_hwnd != nullptr) {
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

void frmMain::Form_Load() {
    if (mMain::TrayMode) {
        SetWindowState(WindowState::Minimized);
        MakeTray();
    }
    const auto init = settings::ParseInt32(
        settings::GetSetting(settings::kAppName, settings::kSection, settings::kInit, "0"));
    if (init.value_or(0) == 0) {
        // First run for this user: start at logon, remember, and show the help page.
        const std::string folder = win::ModuleFolder();
        mCreateShortcut::CreateShortcut(m_hwnd, mCreateShortcut::ShortcutFolder{7},
                                        std::string("Shortcut to ") + kTitle,
                                        folder + "\\snarvik.exe", "", folder, 0, "", 0);
        settings::SaveSetting(settings::kAppName, settings::kSection, settings::kInit, "1");
        mWebLink::OpenHelpPage(m_hwnd);
    }
    const auto number = settings::ParseInt32(
        settings::GetSetting(settings::kAppName, settings::kSection, settings::kNumber, "1"));
    if (number) {
        mNumber = *number;
    }
}

// ---------------------------------------------------------------------------------------------
// Window states

void frmMain::SetWindowState(WindowState state) {
    m_state = state;
    if (IsWindowVisible(m_hwnd) && state != WindowState::Minimized) {
        m_applyingState = true;
        ShowWindow(m_hwnd, state == WindowState::Maximized ? SW_MAXIMIZE : SW_RESTORE);
        m_applyingState = false;
    }
    Form_Resize();
}

void frmMain::Form_Resize() {
    try {
        TrayResize();
    } catch (...) {
        // A failing resize step is skipped.
    }
}

void frmMain::TrayResize() {
    switch (TrayResizeAction(mMain::TrayMode, mTrayMade, m_state, mMaximized)) {
    case ResizeAction::None:
        break;
    case ResizeAction::Hide:
        ShowWindow(m_hwnd, SW_HIDE);
        mMaximized = false;
        break;
    case ResizeAction::Maximize:
        // A hidden window only takes the state; showing it (a cut) makes it visible.
        m_state = WindowState::Maximized;
        if (m_showing || (IsWindowVisible(m_hwnd) && !IsZoomed(m_hwnd))) {
            m_applyingState = true;
            ShowWindow(m_hwnd, SW_MAXIMIZE);
            m_applyingState = false;
        }
        mMaximized = true;
        break;
    }
}

void frmMain::ShowCaptureWindow() {
    if (!IsWindowVisible(m_hwnd)) {
        // Shown in its current state, which raises the resize handling: it maximises.
        m_showing = true;
        Form_Resize();
        m_showing = false;
    }
    SetForegroundWindow(m_hwnd);
}

void frmMain::EndCut() {
    SetWindowState(WindowState::Minimized);
}

// ---------------------------------------------------------------------------------------------
// Tray

void frmMain::MakeTray() {
    mTrayMenu.reset(CreatePopupMenu());
    for (const auto& entry : kTrayMenu) {
        const std::string text(entry.text);
        AppendMenuA(mTrayMenu.get(), entry.flags, entry.id, text.c_str());
    }
    SetMenuDefaultItem(mTrayMenu.get(), kTrayMenuDefaultPosition, TRUE);
    mTrayMade = true;
    mMaximized = false;
    mSysTray::SetMainWindow(this);
    m_iconEvent = std::make_unique<cSysTray>(m_hwnd, m_iconEvents);
    m_iconEvent->TrayIcon(m_iconPicture);
    m_iconEvent->FormhWnd(m_hwnd);
    m_iconEvent->InTray(true);
}

void frmMain::IconEvent_MouseDown(std::int16_t Button, std::uint32_t) {
    if (!mMain::TrayMode) {
        return;
    }
    if (Button == 1) {
        // A left press may be the first half of a double click, whose cut the menu's modal
        // loop would swallow: open the menu only once the double-click time has passed.
        SetTimer(m_hwnd, kTrayClickTimer, GetDoubleClickTime(), nullptr);
        return;
    }
    ShowTrayMenu();
}

void frmMain::ShowTrayMenu() {
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(m_hwnd);
    TrackPopupMenu(mTrayMenu.get(), TPM_CENTERALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                   m_hwnd, nullptr);
    PostMessageA(m_hwnd, WM_NULL, 0, 0);
}

void frmMain::IconEvent_MenuClick(std::int16_t Index) {
    if (!mMain::TrayMode) {
        return;
    }
    if (TrayCommandFor(Index).kind == TrayCommandKind::StartCut) {
        // The tray menu has only just closed: let the windows under it repaint, or the grab
        // freezes a ghost of the menu into the picture.
        Sleep(kMenuSettleMs);
    }
    MenuClick(Index);
}

void frmMain::IconEvent_MouseDblClick(std::int16_t, std::uint32_t) {
    if (!mMain::TrayMode || m_exitPending || m_unloaded) {
        return;
    }
    KillTimer(m_hwnd, kTrayClickTimer);
    try {
        std::int16_t closingOnly = 99;
        MenuClick(closingOnly);
    } catch (...) {
    }
    GrabScreen();
    ShowCaptureWindow();
}

void frmMain::MenuClick(std::int16_t& Index) {
    if (m_exitPending || m_unloaded) {
        return;
    }
    const TrayCommand command = TrayCommandFor(Index);
    switch (command.kind) {
    case TrayCommandKind::OpenHomePage:
        mWebLink::OpenWebLink(m_hwnd, kHomePageAddress);
        break;
    case TrayCommandKind::OpenHelp:
        mWebLink::OpenHelpPage(m_hwnd);
        break;
    case TrayCommandKind::StartCut:
        StartCut(command.cutLimit);
        break;
    case TrayCommandKind::Exit:
        // Unloading inside a nested dispatch would pull the tray object and the window out
        // from under the handlers still running; it happens once the outermost one returns.
        m_exitPending = true;
        if (m_dispatchDepth == 0) {
            Unload();
        }
        return;
    case TrayCommandKind::None:
        break;
    }
    Shape1Changes([&](SelectionFrame& shape) { shape.SetSize(mCutState); });
}

void frmMain::BeginDispatch() noexcept {
    ++m_dispatchDepth;
}

void frmMain::EndDispatch() noexcept {
    if (--m_dispatchDepth == 0 && m_exitPending) {
        Unload();
    }
}

void frmMain::Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    m_exitPending = false;
    Form_Unload();
    if (m_endsProcess) {
        PostQuitMessage(0);
    }
}

void frmMain::Form_Unload() {
    if (m_hwnd != nullptr) {
        KillTimer(m_hwnd, kTrayClickTimer);
        ShowWindow(m_hwnd, SW_HIDE);
    }
    m_iconEvent.reset(); // hotkey, icon, window procedure, atom, in that order
    mSysTray::SetMainWindow(nullptr);
    mTrayMenu.reset();
}

// ---------------------------------------------------------------------------------------------
// The cut

void frmMain::StartCut(std::int32_t limit) {
    mCutState = limit;
    ShowWindow(m_picture1, SW_HIDE);
    Shape1Changes([&](SelectionFrame& shape) { shape.Hide(); });
    GrabScreen();
    ShowCaptureWindow();
    Shape1Changes([&](SelectionFrame& shape) { shape.SetSize(limit); });
}

void frmMain::GrabScreen() {
    const int width = ScreenWidth();
    const int height = ScreenHeight();
    if (!m_frozen || m_frozen->width() != width || m_frozen->height() != height) {
        auto frozen = std::make_unique<Surface>(width, height);
        if (!frozen->valid()) {
            return; // keep showing the previous image
        }
        const COLORREF background = GetSysColor(COLOR_WINDOW); // shown only before any grab
        frozen->Fill(static_cast<std::uint32_t>(GetRValue(background)) << 16 |
                     static_cast<std::uint32_t>(GetGValue(background)) << 8 |
                     GetBValue(background));
        m_frozen = std::move(frozen);
    }
    const win::UniqueDC display(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    if (!display) {
        return;
    }
    BitBlt(m_frozen->dc(), 0, 0, width, height, display.get(), 0, 0, SRCCOPY);
    GdiFlush();
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void frmMain::Form_MouseDown(int, int, int x, int y) {
    if (m_state != WindowState::Maximized) {
        return;
    }
    Shape1Changes([&](SelectionFrame& shape) { shape.Press(x, y, mCutState); });
}

void frmMain::Form_MouseMove(int, int, int x, int y) {
    if (m_state != WindowState::Maximized) {
        return;
    }
    Shape1Changes([&](SelectionFrame& shape) { shape.Move(x, y, mCutState); });
}

void frmMain::Form_MouseUp(int, int, int x, int y) {
    if (m_state != WindowState::Maximized) {
        return;
    }
    // Picture1 is placed, shown and painted empty, then pending messages run: queued moves
    // may still move the frame, and the copy below reads its position after them.
    const Rect placed = m_shape1.rect();
    auto picture = std::make_shared<Surface>(placed.width, placed.height);
    picture->Fill(0);
    m_picture1Image = picture;
    MoveWindow(m_picture1, placed.left, placed.top, std::max(placed.width, 0),
               std::max(placed.height, 0), TRUE);
    ShowWindow(m_picture1, SW_SHOW);
    DoEvents();
    if (m_unloaded) {
        return;
    }

    const Rect source = m_shape1.rect();
    if (picture->valid() && m_frozen) {
        GdiFlush();
        CopyRegion(m_frozen->bits(), m_frozen->width(), m_frozen->height(), source.left, source.top,
                   picture->width(), picture->height(), picture->bits());
    }
    Shape1Changes([&](SelectionFrame& shape) { shape.Grow(); });
    InvalidateRect(m_picture1, nullptr, FALSE);
    UpdateWindow(m_picture1);

    // Image 1 of ImageList1 becomes this selection, opaque, at its own size.
    auto list = std::make_shared<win::UniqueImageList>();
    if (picture->valid()) {
        list->reset(ImageList_Create(picture->width(), picture->height(), ILC_COLOR32, 1, 1));
        const win::UniqueBitmap bitmap = MakeOpaqueBitmap(*picture);
        if (*list && bitmap) {
            ImageList_Add(list->get(), bitmap.get(), nullptr);
        }
    }
    m_imageList1 = list;

    POINT at{x, y};
    ClientToScreen(m_hwnd, &at);
    UINT chosen = 0;
    if (m_chooser != nullptr) {
        chosen = m_chooser(m_mnuPopup.get(), at.x, at.y);
    } else {
        chosen = static_cast<UINT>(TrackPopupMenu(
            m_mnuPopup.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
            at.y, 0, m_hwnd, nullptr));
    }
    RunSelectionMenuItem(chosen);
}

void frmMain::RunSelectionMenuItem(UINT id) {
    if (m_unloaded) {
        return;
    }
    switch (id) {
    case kMenuCopyToClipboard:
        mnuPopupCopyToClipboard_Click();
        break;
    case kMenuSaveBitmap:
        mnuPopupSaveBitmap_Click();
        break;
    case kMenuSaveIcon:
        mnuPopupSaveIcon_Click();
        break;
    case kMenuSaveCursor:
        mnuPopupSaveCursor_Click();
        break;
    case kMenuWallpaperMode + 1:
    case kMenuWallpaperMode + 2:
    case kMenuWallpaperMode + 3:
        mnuPopupSetAsWallpaperMode_Click(static_cast<std::int16_t>(id - kMenuWallpaperMode));
        break;
    case kMenuReselect:
        mnuPopupReselect_Click();
        break;
    case kMenuAbort:
        mnuPopupAbort_Click();
        break;
    default:
        break; // dismissed: the selection stays shown
    }
}

void frmMain::mnuPopupReselect_Click() {
    ShowWindow(m_picture1, SW_HIDE);
    Shape1Changes([&](SelectionFrame& shape) { shape.Hide(); });
}

void frmMain::mnuPopupAbort_Click() {
    EndCut();
}

// ---------------------------------------------------------------------------------------------
// Outputs

void frmMain::ShowError(const std::string& text) {
    MessageBoxA(IsWindowVisible(m_hwnd) ? m_hwnd : nullptr, text.c_str(), kTitle,
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void frmMain::AdvanceNumber() {
    mNumber = NextNumber(mNumber);
    const LONG status = settings::SaveSetting(settings::kAppName, settings::kSection,
                                              settings::kNumber, std::to_string(mNumber));
    if (status != ERROR_SUCCESS) {
        ShowError("The file was saved, but the next file number could not be stored in the "
                  "registry:\n" +
                  win::SystemMessage(static_cast<DWORD>(status)) + ".");
    }
}

void frmMain::mnuPopupCopyToClipboard_Click() {
    using mCopyPicToClipboard::CopyResult;
    const auto picture = m_picture1Image;
    mCopyPicToClipboard::Outcome outcome{CopyResult::Empty, 0};
    if (picture && picture->valid()) {
        outcome = mCopyPicToClipboard::CopyPicToClipboard(m_hwnd, m_picture1, picture->dc(),
                                                          picture->width(), picture->height());
    }
    EndCut();
    switch (outcome.result) {
    case CopyResult::Copied:
        break;
    case CopyResult::Empty:
        ShowError("The selection is empty: nothing was copied to the clipboard.");
        break;
    case CopyResult::NoContext:
    case CopyResult::NoBitmap:
        ShowError("The selection could not be copied to the clipboard:\n" +
                  win::SystemMessage(outcome.error) + ".");
        break;
    case CopyResult::ClipboardUnavailable:
        ShowError("The selection was not copied: the clipboard is in use by another program.\n" +
                  win::SystemMessage(outcome.error) + ".");
        break;
    }
}

std::optional<std::string> frmMain::AskFileName(FileKind kind) {
    const auto chosen = ShowSaveDialog(m_picture1, DefaultName(kind, mNumber));
    if (chosen.outcome == SaveDialogResult::Outcome::Failed) {
        ShowError(chosen.Message());
    }
    if (chosen.outcome != SaveDialogResult::Outcome::Chosen) {
        return std::nullopt;
    }
    return ForceExtension(chosen.path, ExtensionOf(kind));
}

bool frmMain::SaveTo(const std::string& path, const Image& image, FileKind kind) {
    const SaveResult saved = SavePicture(path, image, kind);
    if (!saved.ok) {
        ShowError(saved.message);
    }
    return saved.ok;
}

void frmMain::mnuPopupSaveBitmap_Click() {
    const auto picture = m_picture1Image; // this selection, whatever a nested cut does
    const auto named = AskFileName(FileKind::Bitmap);
    if (!named) {
        return;
    }
    const std::string& path = *named;
    if (!SaveTo(path, picture ? picture->ToImage() : Image{}, FileKind::Bitmap)) {
        return;
    }
    EndCut();
    AdvanceNumber();
}

void frmMain::mnuPopupSaveIcon_Click() {
    SaveIconFile(FileKind::Icon);
}

void frmMain::mnuPopupSaveCursor_Click() {
    SaveIconFile(FileKind::Cursor);
}

void frmMain::SaveIconFile(FileKind kind) {
    const auto list = m_imageList1;
    EndCut();
    DoEvents();
    if (m_unloaded) {
        return;
    }
    const auto named = AskFileName(kind);
    if (!named) {
        return;
    }
    const std::string& path = *named;
    win::UniqueIcon icon;
    if (list && *list && ImageList_GetImageCount(list->get()) > 0) {
        icon.reset(ImageList_GetIcon(list->get(), 0, ILD_NORMAL));
    }
    // An empty selection leaves no image to save; SavePicture says so.
    if (!SaveTo(path, icon ? ImageOfIcon(icon.get()) : Image{}, kind)) {
        return;
    }
    AdvanceNumber();
}

void frmMain::mnuPopupSetAsWallpaperMode_Click(std::int16_t Index) {
    const auto picture = m_picture1Image;
    const auto named = AskFileName(FileKind::Bitmap);
    if (!named) {
        return;
    }
    const std::string& path = *named;
    if (!SaveTo(path, picture ? picture->ToImage() : Image{}, FileKind::Bitmap)) {
        return;
    }
    const auto wallpaper = mChangeWallpaper::ChangeWallpaper(path, Index);
    EndCut();
    AdvanceNumber();
    if (!wallpaper.accepted) {
        ShowError(wallpaper.Message(path));
    }
}

// ---------------------------------------------------------------------------------------------
// Messages and painting

void frmMain::DoEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // leave it for the main loop
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void frmMain::InvalidateFrame(const Rect& r) {
    // Only the frame's outline changes; the frozen image underneath stays as it is.
    const RECT edges[] = {
        {r.left - 1, r.top - 1, r.left + r.width + 1, r.top + 1},
        {r.left - 1, r.top + r.height - 1, r.left + r.width + 1, r.top + r.height + 1},
        {r.left - 1, r.top - 1, r.left + 1, r.top + r.height + 1},
        {r.left + r.width - 1, r.top - 1, r.left + r.width + 1, r.top + r.height + 1},
    };
    for (const auto& edge : edges) {
        InvalidateRect(m_hwnd, &edge, FALSE);
    }
}

void frmMain::Shape1Changes(const std::function<void(SelectionFrame&)>& change) {
    const SelectionFrame before = m_shape1;
    change(m_shape1);
    const bool changed = before.visible() != m_shape1.visible() ||
                         before.rect() != m_shape1.rect() || before.style() != m_shape1.style();
    if (!changed) {
        return;
    }
    if (before.visible()) {
        InvalidateFrame(before.rect());
    }
    if (m_shape1.visible()) {
        InvalidateFrame(m_shape1.rect());
    }
}

void frmMain::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    const RECT& area = ps.rcPaint;
    if (m_frozen) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
               m_frozen->dc(), area.left, area.top, SRCCOPY);
    } else {
        FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    }
    if (m_shape1.visible()) {
        // Drawn over the frozen image, never into it; inverting keeps it visible anywhere.
        const Rect& r = m_shape1.rect();
        const win::UniqueGdiObject pen(
            CreatePen(m_shape1.style() == LineStyle::Dotted ? PS_DOT : PS_SOLID, 1, RGB(0, 0, 0)));
        const win::Selection usePen(dc, pen.get());
        const win::Selection useBrush(dc, GetStockObject(NULL_BRUSH));
        const int oldRop = SetROP2(dc, R2_NOT);
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        Rectangle(dc, r.left, r.top, r.left + r.width, r.top + r.height);
        SetBkMode(dc, oldMode);
        SetROP2(dc, oldRop);
    }
    EndPaint(m_hwnd, &ps);
}

void frmMain::PaintPicture1(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    const auto picture = m_picture1Image;
    if (picture && picture->valid()) {
        BitBlt(dc, 0, 0, picture->width(), picture->height(), picture->dc(), 0, 0, SRCCOPY);
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK frmMain::WndProc(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->m_hwnd = window;
    }
    auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    form->BeginDispatch();
    LRESULT result = 0;
    try {
        result = form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // A failing handler step is skipped; nothing crosses into the system.
        result = 0;
    }
    form->EndDispatch();
    return result;
}

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto mouse = [&](int button, auto handler) {
        (this->*handler)(button, static_cast<int>(wParam & (MK_SHIFT | MK_CONTROL)),
                         GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return LRESULT{0};
    };
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        return mouse(1, &frmMain::Form_MouseDown);
    case WM_RBUTTONDOWN:
        return mouse(2, &frmMain::Form_MouseDown);
    case WM_MBUTTONDOWN:
        return mouse(4, &frmMain::Form_MouseDown);
    case WM_MOUSEMOVE:
        return mouse(0, &frmMain::Form_MouseMove);
    case WM_LBUTTONUP:
        return mouse(1, &frmMain::Form_MouseUp);
    case WM_RBUTTONUP:
        return mouse(2, &frmMain::Form_MouseUp);
    case WM_MBUTTONUP:
        return mouse(4, &frmMain::Form_MouseUp);
    case WM_SIZE:
        if (!m_applyingState) {
            m_state = wParam == SIZE_MINIMIZED   ? WindowState::Minimized
                      : wParam == SIZE_MAXIMIZED ? WindowState::Maximized
                                                 : WindowState::Normal;
            Form_Resize();
        }
        return 0;
    case WM_GETMINMAXINFO: {
        // Maximised means the whole primary screen, taskbar included.
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxPosition = {0, 0};
        info->ptMaxSize = {ScreenWidth(), ScreenHeight()};
        info->ptMaxTrackSize = info->ptMaxSize;
        return 0;
    }
    case WM_TIMER:
        if (wParam == kTrayClickTimer) {
            KillTimer(m_hwnd, kTrayClickTimer);
            if (!m_unloaded) {
                ShowTrayMenu();
            }
            return 0;
        }
        break;
    case WM_CLOSE:
    case WM_ENDSESSION:
        if (message == WM_CLOSE || wParam != 0) {
            std::int16_t exit = 6;
            MenuClick(exit);
        }
        return 0;
    default:
        if (message == m_taskbarCreated && m_taskbarCreated != 0 && m_iconEvent) {
            m_iconEvent->TaskbarCreated();
            return 0;
        }
        break;
    }
    return DefWindowProcA(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK frmMain::PictureProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    try {
        if (form != nullptr && message == WM_PAINT) {
            form->PaintPicture1(window);
            return 0;
        }
        if (message == WM_ERASEBKGND) {
            return 1;
        }
    } catch (...) {
        return 0;
    }
    // No mouse handling of its own: clicks on the picture do nothing.
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace snarvik
