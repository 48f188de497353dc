// Files that are never half-written: the new contents go to a hidden temporary file beside the
// destination, are flushed, and then take its place in one step: ReplaceFileW for a file that
// is there (it keeps what the user set on the old one: attributes, access rights, creation
// time, streams), a rename for a new one. A crash, a kill or a logoff before that leaves the
// old file as it was and a hidden temporary file, which the next write into that folder
// removes. On any failure the old file stays as it was and nothing of ours is left.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "base/failure.h"
#include "base/win32.h"

namespace snarvik::win {

// A file written in pieces: Commit puts it in place whole; destroyed without a successful
// Commit it leaves nothing behind. A read-only destination is the user's "do not touch": it
// is refused with ERROR_ACCESS_DENIED. While another program holds the destination open
// without letting it be deleted, Commit tries again for about a second, then reports the
// holder's error.
class AtomicFile {
public:
    // What becomes of a file already at the destination: replaced, or kept, the write then
    // failing with ERROR_FILE_EXISTS.
    enum class Existing { Replace, Keep };

    explicit AtomicFile(const std::string& path, Existing existing = Existing::Replace);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool Write(std::span<const std::uint8_t> bytes); // false once anything failed
    // "Could not write "<path>"" and the system's reason, when anything failed.
    Failed Commit();

private:
    void Discard() noexcept;

    std::string m_shown; // the path as the user gave it
    std::wstring m_path;
    std::wstring m_temp;
    UniqueFile m_file;
    DWORD m_error = 0;
    Existing m_existing;
};

Failed WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace snarvik::win
