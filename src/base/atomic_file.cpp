#include <windows.h>

#include "base/atomic_file.h"

#include <algorithm>
#include <vector>

namespace snarvik::win {

namespace {

// Gives the new file what the user set on the old one: its attributes and its access rights.
DWORD CarryOver(const std::wstring& from, const std::wstring& to) {
    DWORD needed = 0;
    GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<std::uint8_t> security(needed);
    if (needed != 0 &&
        GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, security.data(), needed,
                         &needed) != FALSE &&
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

// A fresh file with a short name in folder: the rename never crosses volumes, and a path the
// destination fits in fits it too.
UniqueFile CreateFreshFile(const std::wstring& folder, std::wstring& name) {
    static unsigned serial = GetTickCount();
    UniqueFile file;
    for (int attempt = 0; !file && attempt < 100; ++attempt) {
        wchar_t leaf[16];
        wsprintfW(leaf, L"\\~snv%04x.tmp", ++serial & 0xFFFFu);
        name = folder + leaf;
        file.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!file) {
        name.clear();
    }
    return file;
}

} // namespace

AtomicFile::AtomicFile(const std::string& path) : m_shown(path), m_path(FilePath(path)) {
    const DWORD existing = GetFileAttributesW(m_path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        m_error = ERROR_ACCESS_DENIED;
        return;
    }
    const auto slash = m_path.find_last_of(L"\\/");
    m_file = CreateFreshFile(slash == std::wstring::npos ? L"." : m_path.substr(0, slash), m_temp);
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
    // A rename takes the old file's place in one step, or fails leaving it as it was.
    if (m_error == 0 && GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        m_error = CarryOver(m_path, m_temp);
    }
    if (m_error == 0 && MoveFileExW(m_temp.c_str(), m_path.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
        // A failed rename is a failure even when the system gives no reason.
        m_error = GetLastError() != 0 ? GetLastError() : ERROR_ACCESS_DENIED;
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
