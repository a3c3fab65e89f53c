#include <gtest/gtest.h>

#include "calendar/Colocacion.h"

namespace {

using namespace quelmar::calendario;

TEST(Colocacion, OuterFrameTouchesTopAndRightEdgeOfAnyScreen) {
    struct Case {
        QRect screen;
        int outerWidth;
        QPoint expected;
    };
    const Case cases[] = {
        {{0, 0, 640, 480}, 220, {420, 0}},
        {{0, 0, 1024, 768}, 222, {802, 0}},
        {{0, 0, 1920, 1080}, 230, {1690, 0}},
        {{0, 0, 3840, 2160}, 220, {3620, 0}},
        // A second monitor to the right of the first, and one above it.
        {{1920, 0, 1280, 1024}, 222, {2978, 0}},
        {{0, -900, 1600, 900}, 222, {1378, -900}},
        // Narrower than the window: the right edge still lies on the screen's right edge.
        {{0, 0, 200, 150}, 222, {-22, 0}},
    };
    for (const Case& c : cases) {
        const QPoint at = EsquinaSuperiorDerecha(c.screen, c.outerWidth);
        EXPECT_EQ(at, c.expected) << "screen width " << c.screen.width();
        EXPECT_EQ(at.x() + c.outerWidth, c.screen.x() + c.screen.width());
    }
}

TEST(Colocacion, OnlyWaylandRefusesSelfPlacement) {
    EXPECT_FALSE(PuedeColocarseSola(QStringLiteral("wayland")));
    EXPECT_FALSE(PuedeColocarseSola(QStringLiteral("wayland-egl")));
    EXPECT_TRUE(PuedeColocarseSola(QStringLiteral("xcb")));
    EXPECT_TRUE(PuedeColocarseSola(QStringLiteral("offscreen")));
}

}  // namespace
