// A layer of the cut drawn between the frozen screen (with the selection) and the readout
// panel. While it is active it takes the cut's input before the cut does.
#pragma once
#include <windows.h>

namespace snarvik {

class CaptureLayer {
public:
    virtual bool Active() const = 0;
    // Draws its part of `area` of the capture window.
    virtual void Paint(HDC dc, const RECT& area) = 0;
    // A mouse, key, character or wheel message of the capture window; true when it took it.
    virtual bool Input(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~CaptureLayer() = default;
};

} // namespace snarvik
