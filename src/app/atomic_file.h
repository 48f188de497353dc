// Files that are never half-written: the new contents go to a temporary file beside the
// destination, are flushed, take over what the user set on the old file (its attributes and
// access rights), and then take its place in one rename. On any failure the old file stays as
// it was and nothing is left behind.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "app/win32.h"

namespace snarvik::win {

struct WriteResult {
    bool ok = false;
    DWORD error = 0;
    // "Could not write "<path>": <the system's reason>."
    std::string Describe(const std::string& path) const;
};

// A file written in pieces: Commit puts it in place whole; destroyed without a successful
// Commit it leaves nothing behind. A read-only destination is the user's "do not touch": it
// is refused with ERROR_ACCESS_DENIED.
class AtomicFile {
public:
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool Write(std::span<const std::uint8_t> bytes); // false once anything failed
    WriteResult Commit();

private:
    void Discard() noexcept;

    std::wstring m_path;
    std::wstring m_temp;
    UniqueFile m_file;
    DWORD m_error = 0;
};

WriteResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace snarvik::win
