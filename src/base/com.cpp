#include <windows.h>

#include "base/com.h"

#include "base/win32.h"

namespace snarvik::win {

namespace {
constexpr const wchar_t* kOle = L"ole32.dll";
} // namespace

ComApartment::ComApartment() {
    auto* initialise = SNARVIK_LATER(kOle, CoInitializeEx);
    m_initialised = initialise
                        ? initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
                        : E_FAIL;
}

ComApartment::~ComApartment() {
    if (SUCCEEDED(m_initialised)) {
        SNARVIK_LATER(kOle, CoUninitialize)();
    }
}

HRESULT CreateInstance(REFCLSID type, REFIID interfaceId, void** object) {
    auto* create = SNARVIK_LATER(kOle, CoCreateInstance);
    return create ? create(type, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object)
                  : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

HRESULT CreateMemoryStream(IStream** stream) {
    auto* create = SNARVIK_LATER(kOle, CreateStreamOnHGlobal);
    return create ? create(nullptr, TRUE, stream) : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

std::vector<std::uint8_t> BytesOf(IStream* stream, HRESULT& error) {
    auto* memoryOf = SNARVIK_LATER(kOle, GetHGlobalFromStream);
    HGLOBAL memory = nullptr;
    STATSTG facts{};
    error = memoryOf ? memoryOf(stream, &memory) : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    if (FAILED(error) || FAILED(error = stream->Stat(&facts, STATFLAG_NONAME))) {
        return {};
    }
    const auto* data = static_cast<const std::uint8_t*>(GlobalLock(memory));
    std::vector<std::uint8_t> bytes(data, data + facts.cbSize.QuadPart);
    GlobalUnlock(memory);
    return bytes;
}

} // namespace snarvik::win
