#include "capture/last_region.h"

#include <charconv>
#include <limits>

namespace snarvik {

std::string FormatRegion(const Rect& region) {
    return std::to_string(region.left) + "," + std::to_string(region.top) + "," +
           std::to_string(region.width) + "," + std::to_string(region.height);
}

std::optional<Rect> ParseRegion(std::string_view text) {
    int values[4] = {};
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at == end || *at != ',') {
                return std::nullopt;
            }
            ++at;
        }
        const auto [next, error] = std::from_chars(at, end, values[i]);
        if (error != std::errc{} || next == at) {
            return std::nullopt;
        }
        at = next;
    }
    const Rect region{values[0], values[1], values[2], values[3]};
    // Its right and bottom must be numbers too.
    constexpr long long kMax = std::numeric_limits<int>::max();
    if (at != end || region.width <= 0 || region.height <= 0 ||
        static_cast<long long>(region.left) + region.width > kMax ||
        static_cast<long long>(region.top) + region.height > kMax) {
        return std::nullopt;
    }
    return region;
}

bool WhollyOnDesktop(const Rect& region, const Desktop& desktop) {
    if (region.width <= 0 || region.height <= 0 ||
        Intersect(region, VirtualScreen(desktop)) != region) {
        return false;
    }
    for (const Rect& gap : Uncovered(desktop)) {
        if (Intersect(region, gap).width > 0) {
            return false;
        }
    }
    return true;
}

} // namespace snarvik
