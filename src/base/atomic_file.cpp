#include <windows.h>

#include "base/atomic_file.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace snarvik::win {

namespace {

// Gives the new file what the user set on the old one: its attributes and its access rights.
DWORD CarryOver(const std::wstring& from, const std::wstring& to) {
    // As a rule the rights fit a small buffer: one call.
    std::vector<std::uint8_t> security(512);
    DWORD needed = 0;
    BOOL read = GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, security.data(),
                                 static_cast<DWORD>(security.size()), &needed);
    if (read == FALSE && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        security.resize(needed);
        read = GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, security.data(), needed,
                                &needed);
    }
    if (read != FALSE &&
        SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, security.data()) == FALSE) {
        return GetLastError();
    }
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        SetFileAttributesW(to.c_str(), attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                     FILE_ATTRIBUTE_ARCHIVE |
                                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)) ==
            FALSE) {
        return GetLastError();
    }
    return 0;
}

// Makes something under a fresh short name in folder (make answers whether it made it):
// beside the destination, so a rename never crosses volumes, and a path the destination fits
// in fits it too. Empty when nothing could be made.
template <typename Make> std::wstring MakeFresh(const std::wstring& folder, Make make) {
    static unsigned serial = GetTickCount();
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t leaf[16];
        wsprintfW(leaf, L"\\~snv%04x.tmp", ++serial & 0xFFFFu);
        std::wstring name = folder + leaf;
        if (make(name)) {
            return name;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    return {};
}

// Whether no other program holds the file in a way that keeps its names from being removed.
bool Deletable(const std::wstring& path) {
    const UniqueFile probe(CreateFileW(path.c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    return static_cast<bool>(probe);
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

} // namespace

AtomicFile::AtomicFile(const std::string& path) : m_shown(path), m_path(FilePath(path)) {
    const DWORD existing = GetFileAttributesW(m_path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        m_error = ERROR_ACCESS_DENIED;
        return;
    }
    m_temp = MakeFresh(FolderOf(m_path), [this](const std::wstring& name) {
        m_file.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(m_file);
    });
    if (!m_file) {
        m_error = GetLastError() != 0 ? GetLastError() : ERROR_FILE_EXISTS;
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() noexcept {
    m_file.reset();
    if (!m_temp.empty()) {
        DeleteFileW(m_temp.c_str());
        m_temp.clear();
    }
}

bool AtomicFile::Write(std::span<const std::uint8_t> bytes) {
    while (m_error == 0 && !bytes.empty()) {
        // Pieces small enough that a full disk is told as such, not as a short write.
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t{1} << 16));
        DWORD written = 0;
        if (WriteFile(m_file.get(), bytes.data(), chunk, &written, nullptr) == FALSE) {
            m_error = GetLastError();
        } else if (written == 0) {
            m_error = ERROR_WRITE_FAULT;
        }
        bytes = bytes.subspan(written);
    }
    return m_error == 0;
}

Failed AtomicFile::Commit() {
    // On disk before it takes the old file's place: a crash leaves one or the other whole.
    if (m_error == 0 && FlushFileBuffers(m_file.get()) == FALSE) {
        m_error = GetLastError();
    }
    m_file.reset();
    std::wstring old;
    if (m_error == 0 && GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        m_error = CarryOver(m_path, m_temp);
        // A second name for the old file, so that the rename does not wait while the system
        // gives back a large file's space: that happens after it, off this thread. Where the
        // volume has no such names, or another program holds the file, the rename does it.
        if (m_error == 0 && Deletable(m_path)) {
            old = MakeFresh(FolderOf(m_path), [this](const std::wstring& name) {
                return CreateHardLinkW(name.c_str(), m_path.c_str(), nullptr) != FALSE;
            });
        }
    }
    // A rename takes the old file's place in one step, or fails leaving it as it was.
    if (m_error == 0 && MoveFileExW(m_temp.c_str(), m_path.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
        // A failed rename is a failure even when the system gives no reason.
        m_error = GetLastError() != 0 ? GetLastError() : ERROR_ACCESS_DENIED;
    }
    if (!old.empty() && m_error != 0) {
        DeleteFileW(old.c_str()); // the old file is still in its place
    } else if (!old.empty()) {
        std::thread([old = std::move(old)] { DeleteFileW(old.c_str()); }).detach();
    }
    if (m_error != 0) {
        Discard();
        return Failure{"Could not write \"" + m_shown + "\"", SystemMessage(m_error)};
    }
    m_temp.clear(); // it is the destination now
    return std::nullopt;
}

Failed WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    AtomicFile file(path);
    file.Write(bytes);
    return file.Commit();
}

} // namespace snarvik::win
