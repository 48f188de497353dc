#include <windows.h>

#include "base/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <cwctype>

namespace snarvik::win {

namespace {

// Our temporary files are known by two marks together, their name and the hidden attribute,
// so that no file of the user's is ever taken for one: "~snv", the writer's process id in
// eight hex digits, a serial digit, ".tmp". 17 characters: FilePath leaves room for them
// beside any destination.
constexpr std::size_t kTempNameLength = 17;

std::wstring TempName(unsigned serial) {
    wchar_t name[kTempNameLength + 1];
    wsprintfW(name, L"~snv%08lx%x.tmp", GetCurrentProcessId(), serial & 0xFu);
    return name;
}

// The process that wrote a file of that name, if the name is one of ours.
bool WriterOf(const wchar_t* name, DWORD& process) {
    if (std::wcslen(name) != kTempNameLength || std::wcsncmp(name, L"~snv", 4) != 0 ||
        std::wcscmp(name + 13, L".tmp") != 0 ||
        !std::all_of(name + 4, name + 13, [](wchar_t c) { return std::iswxdigit(c) != 0; })) {
        return false;
    }
    process = std::wcstoul(std::wstring(name + 4, 8).c_str(), nullptr, 16);
    return true;
}

// Whether the writer may still be about to put its file in place: between closing the file
// and putting it in place nothing else keeps the file from being deleted.
bool StillWriting(DWORD process) {
    if (process == GetCurrentProcessId()) {
        return true; // perhaps on another thread
    }
    const UniqueHandle writer(OpenProcess(SYNCHRONIZE, FALSE, process));
    if (!writer) {
        return GetLastError() != ERROR_INVALID_PARAMETER; // there is no such process
    }
    return WaitForSingleObject(writer.get(), 0) == WAIT_TIMEOUT;
}

// Removes what writers killed before they were done left in folder. A file its writer still
// holds open cannot be deleted, and stays.
void RemoveLeftovers(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const UniqueFind search(FindFirstFileExW((folder + L"\\~snv*.tmp").c_str(), FindExInfoBasic,
                                             &found, FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        return;
    }
    do {
        DWORD writer = 0;
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY)) ==
                FILE_ATTRIBUTE_HIDDEN &&
            WriterOf(found.cFileName, writer) && !StillWriting(writer)) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        }
    } while (FindNextFileW(search.get(), &found) != FALSE);
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

// What keeps another program's hold on a file from letting it be replaced.
bool Held(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// The error another program's hold on path gives, or ERROR_FILE_NOT_FOUND, or 0. Asked
// before ReplaceFileW: it names the holder's error where ReplaceFileW gives its own, and
// ReplaceFileW under Wine leaves a stray file behind each time it meets a held file.
DWORD HoldOn(const std::wstring& path) {
    const UniqueFile probe(CreateFileW(path.c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    return probe ? 0 : GetLastError();
}

// One attempt at putting temp in path's place; 0 when done, else the reason.
DWORD TryPutInPlace(const std::wstring& temp, const std::wstring& path, bool replace) {
    const DWORD hold = HoldOn(path);
    if (Held(hold)) {
        return hold;
    }
    const bool there = hold != ERROR_FILE_NOT_FOUND;
    if (there && !replace) {
        return ERROR_FILE_EXISTS;
    }
    // Visible once in place: ReplaceFileW under Wine gives it the new file's own attributes.
    if (SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_ARCHIVE) == FALSE) {
        return GetLastError();
    }
    const auto move = [&]() -> DWORD {
        // Never over a file: one that appeared meanwhile is replaced as one that was there.
        return MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE
                   ? 0
                   : GetLastError();
    };
    const auto replaceOld = [&]() -> DWORD {
        return ReplaceFileW(path.c_str(), temp.c_str(), nullptr,
                            REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                            nullptr, nullptr) != FALSE
                   ? 0
                   : GetLastError();
    };
    DWORD error = there ? replaceOld() : move();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        error = replace ? replaceOld() : ERROR_FILE_EXISTS;
    } else if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) &&
               GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // The old file is gone: taken away meanwhile, or by ReplaceFileW itself, which may
        // fail so (documented) with the new file still under its temporary name.
        error = move();
    }
    if (error != 0) {
        SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_HIDDEN); // still known as ours
    }
    return error;
}

// Most holders (a viewer, a virus scanner, the indexer) let go within moments: short waits
// first, about a second in all.
constexpr DWORD kWaits[] = {10, 20, 40, 80, 150, 250, 250, 250};

DWORD PutInPlace(const std::wstring& temp, const std::wstring& path, bool replace) {
    DWORD error = TryPutInPlace(temp, path, replace);
    for (const DWORD wait : kWaits) {
        if (!Held(error)) {
            break;
        }
        Sleep(wait);
        error = TryPutInPlace(temp, path, replace);
    }
    if (error == ERROR_UNABLE_TO_REMOVE_REPLACED) {
        const DWORD hold = HoldOn(path); // the holder's reason says more
        error = hold != 0 ? hold : error;
    }
    return error;
}

} // namespace

AtomicFile::AtomicFile(const std::string& path, Existing existing)
    : m_shown(path), m_path(FilePath(path)), m_existing(existing) {
    const DWORD attributes = GetFileAttributesW(m_path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        m_error = ERROR_ACCESS_DENIED;
        return;
    }
    const std::wstring folder = FolderOf(m_path);
    RemoveLeftovers(folder);
    // Beside the destination, so that putting it in place never crosses volumes.
    static std::atomic<unsigned> serial = 0;
    m_error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 16 && m_error == ERROR_FILE_EXISTS; ++attempt) {
        std::wstring name = folder + L"\\" + TempName(serial++);
        m_file.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (m_file) {
            m_temp = std::move(name);
            m_error = 0;
        } else {
            m_error = GetLastError() == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : GetLastError();
        }
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
    m_file.reset(); // ReplaceFileW opens it itself, sharing nothing
    if (m_error == 0) {
        m_error = PutInPlace(m_temp, m_path, m_existing == Existing::Replace);
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
