#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "shell/mCreateShortcut.h"

#include "base/atomic_file.h"
#include "base/com.h"
#include "base/win32.h"

#include <memory>
#include <vector>

namespace snarvik::mCreateShortcut {

namespace {

using Clock = std::chrono::steady_clock;

struct IdListFree {
    void operator()(ITEMIDLIST* list) const noexcept { ILFree(list); }
};

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        return folder + name;
    }
    return folder + "\\" + name;
}

class Messages {
public:
    Messages(HWND owner, const MessageFunction& show) : m_owner(owner), m_show(show) {}

    void Show(const std::string& text, const std::string& caption, UINT type) const {
        if (m_show) {
            m_show(m_owner, text, caption, type);
        } else {
            MessageBoxW(m_owner, win::Wide(text).c_str(), win::Wide(caption).c_str(), type);
        }
    }

    // Our own failures: English, caption "Shortcut", stop icon.
    void Error(const std::string& text) const { Show(text, "Shortcut", MB_OK | MB_ICONSTOP); }

    void FolderMissing(const std::string& folder) const {
        Show("Le r\u00e9pertoire '" + folder + "' est introuvable.",
             "Cr\u00e9ation d'un raccrourci", MB_OK | MB_ICONSTOP);
    }

private:
    HWND m_owner;
    const MessageFunction& m_show;
};

// Like a plain directory listing: a visible, non-system file.
bool VisibleFileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win::FilePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes &
            (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

// The whole file, or empty (a missing, unreadable or empty file).
std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    win::UniqueFile file(CreateFileW(win::FilePath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || GetFileSizeEx(file.get(), &size) == FALSE || size.QuadPart > (1 << 20)) {
        return {}; // a shell link is a few hundred bytes
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD done = 0;
    if (!bytes.empty() && ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                   &done, nullptr) == FALSE) {
        return {};
    }
    bytes.resize(done); // shorter when it shrank meanwhile; the next poll sees it again
    return bytes;
}

// Handles the thread's messages for the given time, so that the windows of a thread that waits
// stay responsive; a cut or Exit may run inside. False when the program is quitting meanwhile:
// the quit message is posted again for the loop it belongs to.
bool HandleMessagesFor(std::chrono::milliseconds time, const std::function<bool()>& quitting) {
    const auto until = Clock::now() + time;
    for (;;) {
        if (quitting && quitting()) {
            return false;
        }
        const auto now = Clock::now();
        if (now >= until) {
            return true;
        }
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

// The shortcut's bytes from the shell's recent-documents shortcut to the target; none when
// that route cannot serve: a path outside the ANSI code page (the shell reads the request as
// ANSI, and finds no Recent folder named outside it), no usable shortcut in time, or the
// program quitting during the wait (then `quit` is set).
std::optional<std::vector<std::uint8_t>> ThroughRecentDocuments(HWND owner,
                                                                const ShortcutRequest& request,
                                                                const WaitOptions& options,
                                                                bool& quit) {
    const std::string recent = GetSpecialFolderPath(owner, kRecentFolder);
    const std::optional<std::string> target = ToAnsi(request.TargetPath);
    if (recent.empty() || !target || !ToAnsi(recent) || !ToAnsi(request.WorkingDir)) {
        return std::nullopt;
    }
    const std::string shellLink = JoinPath(recent, FileNameOfPath(request.TargetPath) + ".lnk");
    SHAddToRecentDocs(SHARD_PATHA, target->c_str()); // answers nothing

    // It appears, and the shell may still be writing it: wait until it can be copied.
    const auto deadline = Clock::now() + options.linkWait;
    for (;;) {
        if (VisibleFileExists(shellLink)) {
            Result<std::vector<std::uint8_t>> built =
                BuildShortcut(ReadWholeFile(shellLink), request, ToAnsi);
            if (built.ok()) {
                DeleteFileW(win::FilePath(shellLink).c_str());
                return std::move(built.value());
            }
        }
        if (Clock::now() >= deadline) {
            return std::nullopt;
        }
        if (!HandleMessagesFor(options.pollInterval, options.quitting)) {
            quit = true;
            return std::nullopt;
        }
    }
}

// The shortcut's bytes as the shell's own link object makes them; the system's error if not.
std::vector<std::uint8_t> ThroughLinkObject(const ShortcutRequest& request, HRESULT& result) {
    win::ComPtr<IShellLinkW> link;
    result = win::CreateInstance(CLSID_ShellLink, IID_IShellLinkW, link.put_void());
    win::ComPtr<IPersistStream> persist;
    if (SUCCEEDED(result)) {
        link->SetPath(win::Wide(request.TargetPath).c_str());
        link->SetArguments(win::Wide(request.Arguments).c_str());
        link->SetWorkingDirectory(win::Wide(request.WorkingDir).c_str());
        if (!request.IconFile.empty() || request.IconIndex > 0) {
            const std::string& icon =
                request.IconFile.empty() ? request.TargetPath : request.IconFile;
            link->SetIconLocation(win::Wide(icon).c_str(), request.IconIndex);
        }
        link->SetShowCmd(request.ShowCommand);
        result = link->QueryInterface(IID_IPersistStream, persist.put_void());
    }
    win::ComPtr<IStream> stream;
    if (SUCCEEDED(result)) {
        result = win::CreateMemoryStream(stream.put());
    }
    if (SUCCEEDED(result) && SUCCEEDED(result = persist->Save(stream.get(), TRUE))) {
        return win::BytesOf(stream.get(), result);
    }
    return {};
}

} // namespace

std::optional<std::string> ToAnsi(const std::string& utf8) {
    const std::wstring wide = win::Wide(utf8);
    if (wide.empty()) {
        return std::string{};
    }
    const int length = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    std::string ansi(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(), length,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, ansi.data(),
                        static_cast<int>(ansi.size()), nullptr, &lossy);
    std::wstring back(wide.size(), L'\0');
    const int backLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(),
                                               static_cast<int>(ansi.size()), back.data(), length);
    if (lossy != FALSE || backLength != length || back != wide) {
        return std::nullopt;
    }
    return ansi;
}

std::string GetSpecialFolderPath(HWND owner, int FolderId) {
    ITEMIDLIST* list = nullptr;
    if (SHGetSpecialFolderLocation(owner, FolderId, &list) != S_OK) {
        return {};
    }
    const std::unique_ptr<ITEMIDLIST, IdListFree> owned(list);
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetPathFromIDListW(list, buffer) == FALSE) {
        return {};
    }
    return win::Utf8(buffer);
}

bool CreateShortcut(HWND owner, const ShortcutFolder& Folder, const std::string& LinkName,
                    const std::string& TargetPath, const std::string& Arguments,
                    const std::string& WorkingDir, int IconIndex, const std::string& IconFile,
                    int ShowCommand, const WaitOptions& options) {
    const Messages messages(owner, options.message);
    const ShortcutRequest request{TargetPath, Arguments, WorkingDir,
                                  IconIndex,  IconFile,  ShowCommand};
    if (const Failed invalid = ValidateShortcut(request)) {
        messages.Error(invalid->Message());
        return false;
    }

    std::string folder;
    const Result<std::optional<int>> id = FolderIdOf(Folder);
    if (!id.ok()) {
        messages.Error(id.failure()->Message());
        return false;
    }
    if (const std::optional<int> special = id.value()) {
        folder = GetSpecialFolderPath(owner, *special);
        if (folder.empty()) {
            messages.Error("The special folder " + std::to_string(*special) +
                           " could not be found.");
            return false;
        }
    } else {
        folder = std::get<std::string>(Folder);
        if (GetFileAttributesW(win::FilePath(folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
            messages.FolderMissing(folder);
            return false;
        }
    }

    bool quit = false;
    auto bytes = ThroughRecentDocuments(owner, request, options, quit);
    if (quit) {
        return false;
    }
    HRESULT made = S_OK;
    if (!bytes) {
        bytes = ThroughLinkObject(request, made);
    }
    const std::string destination = JoinPath(folder, LinkName + ".lnk");
    if (bytes->empty()) {
        messages.Error(Failure{"The shortcut \"" + destination + "\" could not be made",
                               win::SystemMessage(static_cast<DWORD>(made))}
                           .Message());
        return false;
    }
    if (const Failed written = win::WriteFileAtomically(destination, *bytes)) {
        messages.Error(written->Message());
        return false;
    }
    return true;
}

} // namespace snarvik::mCreateShortcut
