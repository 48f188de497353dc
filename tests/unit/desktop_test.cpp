#include "capture/desktop.h"

#include <gtest/gtest.h>

#include "capture/overlay.h"

namespace snarvik {
namespace {

// Scaling changes no coordinate (they are physical pixels), so it is not part of a layout.
const Monitor kPrimary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
const Monitor kLeftTall{{-2560, -360, 2560, 1440}, {-2560, -360, 2560, 1400}}; // above it too
const Monitor kRight{{1920, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
const Monitor kBelow{{0, 1080, 1920, 1080}, {0, 1080, 1920, 1080}};
const Monitor kAboveMiddle{{320, -1200, 1600, 1200}, {320, -1200, 1600, 1200}};

TEST(Desktop, VirtualScreenAndTheGapsNoMonitorShows) {
    const struct {
        const char* name;
        Desktop desktop;
        Rect all;
        std::vector<Rect> gaps;
    } layouts[] = {
        {"one", {kPrimary}, {0, 0, 1920, 1080}, {}},
        {"two, negative origin",
         {kPrimary, kLeftTall},
         {-2560, -360, 4480, 1440},
         {{0, -360, 1920, 360}}},
        {"L-shaped", {kPrimary, kRight, kBelow}, {0, 0, 3840, 2160}, {{1920, 1080, 1920, 1080}}},
        {"three, one above",
         {kPrimary, kRight, kAboveMiddle},
         {0, -1200, 3840, 2280},
         {{0, -1200, 320, 1200}, {1920, -1200, 1920, 1200}}},
        {"none", {}, {}, {}},
    };
    for (const auto& layout : layouts) {
        EXPECT_EQ(VirtualScreen(layout.desktop), layout.all) << layout.name;
        EXPECT_EQ(Uncovered(layout.desktop), layout.gaps) << layout.name;
    }
}

TEST(Desktop, PointsFindTheirMonitorAndKeysStayOnTheDesktop) {
    const Desktop desktop{kPrimary, kLeftTall, kRight, kBelow};
    const struct {
        Point point;
        std::size_t monitor; // found
        Point onScreen;      // where a key may put the pointer
    } cases[] = {
        {{0, 0}, 0, {0, 0}},
        {{-1, 0}, 1, {-1, 0}},             // across the border to the left
        {{-2560, -360}, 1, {-2560, -360}}, // the virtual screen's corner
        {{1920, 1079}, 2, {1920, 1079}},   // the right monitor
        {{1000, 1080}, 3, {1000, 1080}},   // the one below
        {{10, -200}, 1, {-1, -200}},       // a gap: to the nearest monitor's edge
        {{-3000, 2000}, 1, {-2560, 1079}}, // off every monitor
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MonitorAt(desktop, c.point), &desktop[c.monitor])
            << c.point.x << "," << c.point.y;
        EXPECT_EQ(OnDesktop(desktop, c.point), c.onScreen) << c.point.x << "," << c.point.y;
    }
    EXPECT_EQ(MonitorAt({}, {0, 0}), nullptr);
}

TEST(Desktop, OverlayFlipsAtItsOwnMonitorsEdgeAndDialogsCentreOnIt) {
    const Desktop desktop{kPrimary, kRight};
    // Left of the inner border the panel flips left, though the right monitor continues there.
    const Point pointer{1900, 500};
    const OverlayLayout layout;
    EXPECT_EQ(PlaceOverlay(pointer.x, pointer.y, MonitorAt(desktop, pointer)->bounds, layout).left,
              1900 - layout.gap - layout.width());
    EXPECT_EQ(CentredIn(400, 300, kRight.work), (Rect{2680, 390, 400, 300}));
    EXPECT_EQ(CentredIn(2000, 300, kRight.work), (Rect{1920, 390, 2000, 300})); // too wide
}

} // namespace
} // namespace snarvik
