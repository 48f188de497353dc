// Scratch folders and sample pictures for the Win32 tests.
#pragma once
#include <windows.h>

#include "capture/image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace snarvik::testing_support {

// A fresh folder under the temp folder, removed with its files afterwards.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, base);
        for (unsigned n = GetTickCount(); path_.empty(); ++n) {
            std::string candidate = std::string(base) + "snvout" + std::to_string(n);
            if (CreateDirectoryA(candidate.c_str(), nullptr) != FALSE) {
                path_ = candidate;
            } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
                break;
            }
        }
    }
    ~TempFolder() {
        for (const std::string& name : Files()) {
            const std::string file = path_ + "\\" + name;
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        }
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        } while (FindNextFileA(search, &found) != FALSE);
        FindClose(search);
        return names;
    }

private:
    std::string path_;
};

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    std::uint8_t chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE && got != 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    CloseHandle(file);
    return bytes;
}

inline bool WriteAll(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE && written == text.size();
}

// Every pixel different from its neighbours; alpha left at zero as a screen grab has it.
inline Image Pattern(int width, int height) {
    Image image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto r = static_cast<std::uint32_t>(x * 5 + y * 11) & 0xFFU;
            const auto g = static_cast<std::uint32_t>(x * 17 + 40) & 0xFFU;
            const auto b = static_cast<std::uint32_t>(y * 23 + x * 3 + 9) & 0xFFU;
            image.pixels.push_back(r << 16 | g << 8 | b);
        }
    }
    return image;
}

} // namespace snarvik::testing_support
