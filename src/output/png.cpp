#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include "output/png.h"

#include "base/com.h"

namespace snarvik {

namespace {

// Runs step after step while each succeeds; the first failure's reason stays in result.
class Steps {
public:
    explicit Steps(HRESULT& result) : m_result(result) { m_result = S_OK; }
    template <typename Step> Steps& then(Step step) {
        if (SUCCEEDED(m_result)) {
            m_result = step();
        }
        return *this;
    }

private:
    HRESULT& m_result;
};

HRESULT WriteRows(IWICBitmapFrameEncode* frame, const WICPixelFormatGUID& format,
                  const Image& image) {
    const auto height = static_cast<UINT>(image.height());
    if (format == GUID_WICPixelFormat32bppBGR) {
        auto* pixels = reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(image.row(0)));
        return frame->WritePixels(height, static_cast<UINT>(image.width()) * 4,
                                  static_cast<UINT>(image.pixels().size() * 4), pixels);
    }
    if (format != GUID_WICPixelFormat24bppBGR) {
        return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    }
    // Rows of B, G, R, each padded to four bytes.
    const UINT stride = (static_cast<UINT>(image.width()) * 3 + 3) & ~3u;
    std::vector<BYTE> rows(static_cast<std::size_t>(stride) * height);
    for (int y = 0; y < image.height(); ++y) {
        BYTE* out = rows.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < image.width(); ++x, out += 3) {
            const std::uint32_t pixel = image.at(x, y);
            out[0] = static_cast<BYTE>(pixel);
            out[1] = static_cast<BYTE>(pixel >> 8);
            out[2] = static_cast<BYTE>(pixel >> 16);
        }
    }
    return frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data());
}

} // namespace

std::vector<std::uint8_t> EncodePng(const Image& image, HRESULT& error) {
    if (image.empty()) {
        error = E_INVALIDARG;
        return {};
    }
    win::ComPtr<IWICImagingFactory> factory;
    win::ComPtr<IStream> stream;
    win::ComPtr<IWICBitmapEncoder> encoder;
    win::ComPtr<IWICBitmapFrameEncode> frame;
    win::ComPtr<IPropertyBag2> options;
    // Our pixels are 32-bit BGR already; an encoder that wants 24-bit rows gets them.
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    Steps(error)
        .then([&] {
            return win::CreateInstance(CLSID_WICImagingFactory, IID_IWICImagingFactory,
                                       factory.put_void());
        })
        .then([&] { return win::CreateMemoryStream(stream.put()); })
        .then(
            [&] { return factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()); })
        .then([&] { return encoder->Initialize(stream.get(), WICBitmapEncoderNoCache); })
        .then([&] { return encoder->CreateNewFrame(frame.put(), options.put()); })
        .then([&] {
            // Screen pictures compress well unfiltered, and trying every filter per row costs
            // several times the rest.
            PROPBAG2 option{};
            option.pstrName = const_cast<LPOLESTR>(L"FilterOption");
            VARIANT value{};
            value.vt = VT_UI1;
            value.bVal = WICPngFilterNone;
            options->Write(1, &option, &value);
            return frame->Initialize(options.get());
        })
        .then([&] {
            return frame->SetSize(static_cast<UINT>(image.width()),
                                  static_cast<UINT>(image.height()));
        })
        .then([&] { return frame->SetPixelFormat(&format); })
        .then([&] {
            if (format == GUID_WICPixelFormat32bppBGR) {
                return S_OK;
            }
            format = GUID_WICPixelFormat24bppBGR; // what every PNG encoder takes
            return frame->SetPixelFormat(&format);
        })
        .then([&] { return WriteRows(frame.get(), format, image); })
        .then([&] { return frame->Commit(); })
        .then([&] { return encoder->Commit(); });
    std::vector<std::uint8_t> bytes;
    if (SUCCEEDED(error)) {
        bytes = win::BytesOf(stream.get(), error);
    }
    return bytes;
}

} // namespace snarvik
