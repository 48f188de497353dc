#include <windows.h>
#include <shlobj.h>

#include "shell/mCreateShortcut.h"

#include "app/win32.h"

#include <memory>
#include <vector>

namespace snarvik::mCreateShortcut {

namespace {

using Clock = std::chrono::steady_clock;

struct IdListFree {
    void operator()(ITEMIDLIST* list) const noexcept { CoTaskMemFree(list); }
};

constexpr int kRecentFolder = 8; // CSIDL_RECENT

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        return folder + name;
    }
    return folder + "\\" + name;
}

class Messages {
public:
    Messages(HWND owner, const MessageFunction& show) : m_owner(owner), m_show(show) {}

    int Show(const std::wstring& text, const std::wstring& caption, UINT type) const {
        if (m_show) {
            return m_show(m_owner, text, caption, type);
        }
        return MessageBoxW(m_owner, text.c_str(), caption.c_str(), type);
    }

    // Our own failures: English, caption "Shortcut", stop icon.
    void Error(const std::string& text) const {
        Show(Widen(text), L"Shortcut", MB_OK | MB_ICONSTOP);
    }

    void FolderMissing(const std::string& folder) const {
        Show(L"Le r\u00e9pertoire '" + Widen(folder) + L"' est introuvable.",
             L"Cr\u00e9ation d'un raccrourci", MB_OK | MB_ICONSTOP);
    }

    bool WaitLonger() const {
        return Show(L"Attendre encore la cr\u00e9ation du raccourci ?", L"Raccourci",
                    MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1) == IDOK;
    }

private:
    HWND m_owner;
    const MessageFunction& m_show;
};

// Like a plain directory listing: a visible, non-system file.
bool VisibleFileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes &
            (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

// The whole file, or empty with the system's error (0 for an empty file).
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, DWORD& error) {
    error = 0;
    win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return {};
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) == FALSE) {
        error = GetLastError();
        return {};
    }
    if (size.QuadPart > (1 << 20)) { // a shell link is a few hundred bytes
        error = ERROR_FILE_TOO_LARGE;
        return {};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD done = 0;
    if (!bytes.empty() && ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                   &done, nullptr) == FALSE) {
        error = GetLastError();
        return {};
    }
    bytes.resize(done); // shorter when it shrank meanwhile; the next poll sees it again
    return bytes;
}

} // namespace

std::string GetSpecialFolderPath(HWND owner, int FolderId) {
    ITEMIDLIST* list = nullptr;
    if (SHGetSpecialFolderLocation(owner, FolderId, &list) != S_OK) {
        return {};
    }
    const std::unique_ptr<ITEMIDLIST, IdListFree> owned(list);
    char buffer[MAX_PATH] = {};
    if (SHGetPathFromIDListA(list, buffer) == FALSE) {
        return {};
    }
    return buffer;
}

bool CreateShortcut(HWND owner, const ShortcutFolder& Folder, const std::string& LinkName,
                    const std::string& TargetPath, const std::string& Arguments,
                    const std::string& WorkingDir, int IconIndex, const std::string& IconFile,
                    int ShowCommand, const WaitOptions& options) {
    const Messages messages(owner, options.message);
    const ShortcutRequest request{TargetPath, Arguments, WorkingDir,
                                  IconIndex,  IconFile,  ShowCommand};
    if (auto error = ValidateShortcut(request)) {
        messages.Error(*error);
        return false;
    }

    std::string folder;
    const FolderId id = FolderIdOf(Folder);
    if (!id.error.empty()) {
        messages.Error(id.error);
        return false;
    }
    if (id.id) {
        folder = GetSpecialFolderPath(owner, *id.id);
        if (folder.empty()) {
            messages.Error("The special folder " + std::to_string(*id.id) + " could not be found.");
            return false;
        }
    } else {
        folder = std::get<std::string>(Folder);
        if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
            messages.FolderMissing(folder);
            return false;
        }
    }

    const std::string recent = GetSpecialFolderPath(owner, kRecentFolder);
    if (recent.empty()) {
        // Without a Recent folder the shell cannot make its shortcut for us.
        messages.Error("Error when creating the shortcut.");
        return false;
    }
    const std::string shellLink = JoinPath(recent, FileNameOfPath(TargetPath) + ".lnk");

    // Returns nothing: a refusal shows as a shortcut that never appears.
    SHAddToRecentDocs(SHARD_PATHA, TargetPath.c_str());

    auto start = Clock::now();
    while (!VisibleFileExists(shellLink)) {
        if (Clock::now() - start > options.promptAfter) {
            if (!messages.WaitLonger()) {
                return false;
            }
            start = Clock::now();
            continue;
        }
        Sleep(static_cast<DWORD>(options.pollInterval.count()));
    }

    // The shell may still be writing it: wait until it is complete enough to copy.
    const auto deadline = Clock::now() + options.contentLimit;
    ShortcutBytes built;
    DWORD readError = 0;
    for (;;) {
        const auto bytes = ReadWholeFile(shellLink, readError);
        if (!bytes.empty()) {
            built = BuildShortcut(bytes, request);
            if (built.error.empty()) {
                break;
            }
        }
        if (Clock::now() >= deadline) {
            if (readError != 0) {
                messages.Error("Could not read the shell's shortcut \"" + shellLink + "\":\n" +
                               win::SystemMessage(readError) + ".");
            } else if (bytes.empty()) {
                messages.Error("The shell's shortcut \"" + shellLink + "\" stayed empty.");
            } else {
                messages.Error("The shell's shortcut \"" + shellLink +
                               "\" cannot be copied: " + built.error + ".");
            }
            return false;
        }
        Sleep(static_cast<DWORD>(options.pollInterval.count()));
    }

    const std::string destination = JoinPath(folder, LinkName + ".lnk");
    const win::WriteResult written = win::WriteFileAtomically(destination, built.bytes);
    if (!written.ok) {
        messages.Error(written.Describe(destination));
        return false;
    }
    if (DeleteFileA(shellLink.c_str()) == FALSE) {
        const DWORD error = GetLastError();
        messages.Error("The shortcut \"" + destination +
                       "\" was created, but the shell's shortcut \"" + shellLink +
                       "\" could not be removed from the Recent folder:\n" +
                       win::SystemMessage(error) + ".");
    }
    return true;
}

} // namespace snarvik::mCreateShortcut
