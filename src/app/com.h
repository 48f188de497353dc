// The bits of COM the shortcut and the PNG encoder need, loaded the first time they are used.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace snarvik::win {

template <typename T> struct Released {
    void operator()(T* object) const noexcept { object->Release(); }
};
// Owns one reference of a COM object.
template <typename T> using ComPtr = std::unique_ptr<T, Released<T>>;

// COM set up on this thread for the life of the object (if it was not already).
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_initialised;
};

HRESULT CreateInstance(REFCLSID type, REFIID interfaceId, void** object);
// A stream in memory, growing as it is written.
HRESULT CreateMemoryStream(IStream** stream);
// All a memory stream holds; empty with the reason in error if it cannot be read.
std::vector<std::uint8_t> BytesOf(IStream* stream, HRESULT& error);

} // namespace snarvik::win
