// The bits of COM the shortcut and the PNG encoder need, loaded the first time they are used.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace snarvik::win {

// Owns one reference of a COM object.
template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const noexcept { return m_object; }
    T* operator->() const noexcept { return m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }
    void reset() noexcept {
        if (T* old = std::exchange(m_object, nullptr)) {
            old->Release();
        }
    }
    // For an API that hands a new reference back through a pointer.
    T** put() noexcept {
        reset();
        return &m_object;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* m_object = nullptr;
};

// COM set up on this thread for the life of the object (if it was not already), as the shell's
// calls want it: a single-threaded apartment without the old OLE 1 DDE. Once, for the whole
// life of the UI thread: the shell and the imaging component expect it there.
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
