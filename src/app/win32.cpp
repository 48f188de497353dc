#include <windows.h>

#include "app/win32.h"

#include <algorithm>
#include <vector>

namespace snarvik::win {

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message;
    if (length != 0 && text != nullptr) {
        message.assign(text, length);
        LocalFree(text);
    }
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    if (message.empty()) {
        message = "system error " + std::to_string(code);
    }
    return message;
}

std::string ModuleFolder() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            const auto slash = path.find_last_of("\\/");
            return slash == std::string::npos ? std::string{} : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string WriteResult::Describe(const std::string& path) const {
    return "Could not write \"" + path + "\":\n" + SystemMessage(error) + ".";
}

AtomicFile::AtomicFile(const std::string& path) : m_path(path) {
    const auto slash = path.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    // A fresh name in the destination folder, so the rename never crosses volumes.
    static unsigned serial = 0;
    for (int attempt = 0; !m_file && attempt < 100; ++attempt) {
        m_temp = folder + "\\~snarvik-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++serial) + ".tmp";
        m_file.reset(CreateFileA(m_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!m_file) {
        m_error = GetLastError() != 0 ? GetLastError() : ERROR_FILE_EXISTS;
        m_temp.clear();
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() noexcept {
    m_file.reset();
    if (!m_temp.empty()) {
        DeleteFileA(m_temp.c_str());
        m_temp.clear();
    }
}

bool AtomicFile::Write(std::span<const std::uint8_t> bytes) {
    while (m_error == 0 && !bytes.empty()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t{1} << 24));
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

WriteResult AtomicFile::Commit() {
    // On disk before it takes the old file's place: a crash leaves one or the other whole.
    if (m_error == 0 && FlushFileBuffers(m_file.get()) == FALSE) {
        m_error = GetLastError();
    }
    m_file.reset();
    if (m_error == 0 && MoveFileExA(m_temp.c_str(), m_path.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
        m_error = GetLastError();
    }
    if (m_error != 0) {
        Discard();
        return {false, m_error};
    }
    m_temp.clear(); // it is the destination now
    return {true, 0};
}

WriteResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    AtomicFile file(path);
    file.Write(bytes);
    return file.Commit();
}

} // namespace snarvik::win
