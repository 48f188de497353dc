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

WriteResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto slash = path.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    // A fresh name in the destination folder, so the rename below never crosses volumes.
    static unsigned serial = 0;
    std::string temp;
    UniqueFile file;
    for (int attempt = 0; !file && attempt < 100; ++attempt) {
        temp = folder + "\\~snarvik-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++serial) + ".tmp";
        file.reset(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS) {
            return {false, GetLastError()};
        }
    }
    if (!file) {
        return {false, ERROR_FILE_EXISTS};
    }
    auto fail = [&](DWORD error) {
        file.reset();
        DeleteFileA(temp.c_str());
        return WriteResult{false, error};
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 24));
        DWORD written = 0;
        if (WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) == FALSE) {
            return fail(GetLastError());
        }
        if (written == 0) {
            return fail(ERROR_WRITE_FAULT);
        }
        done += written;
    }
    // On disk before it takes the old file's place: a crash leaves one or the other whole.
    if (FlushFileBuffers(file.get()) == FALSE) {
        return fail(GetLastError());
    }
    file.reset();
    if (MoveFileExA(temp.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
        return fail(GetLastError());
    }
    return {true, 0};
}

} // namespace snarvik::win
