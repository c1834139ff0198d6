#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tests/CaseName.hpp"
#include "toolkit/render/Path.hpp"

namespace ui {
namespace {

using Verb = PathElement::Verb;

int countVerb(const Path& path, Verb verb) {
    int n = 0;
    for (const PathElement& e : path) n += e.verb == verb ? 1 : 0;
    return n;
}

Point cubicAt(Point p0, const PathElement& curve, double t) {
    double u = 1 - t;
    auto mix = [&](double a, double b, double c, double d) {
        return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
    };
    return {mix(p0.x, curve.points[0].x, curve.points[1].x, curve.points[2].x),
            mix(p0.y, curve.points[0].y, curve.points[1].y, curve.points[2].y)};
}

Point endOf(const PathElement& e) {
    return e.verb == Verb::curveTo ? e.points[2] : e.points[0];
}

TEST(OutlinePath, ContinuousCornerLeavesEachEdgeAtItsReach) {
    ShapeOutline shape{{10, 20, 200, 100}, 8, CornerStyle::continuous, false};
    Path path = outlinePath(shape);
    const double reach = kContinuousCornerExtent * 8;

    ASSERT_EQ(path.front().verb, Verb::moveTo);
    EXPECT_DOUBLE_EQ(path.front().points[0].x, 10 + reach);
    EXPECT_DOUBLE_EQ(path.front().points[0].y, 20);
    ASSERT_EQ(path[1].verb, Verb::lineTo);
    EXPECT_DOUBLE_EQ(path[1].points[0].x, 210 - reach);
    EXPECT_DOUBLE_EQ(path[1].points[0].y, 20);
    // The top-trailing corner's three curves end on the trailing edge,
    // `reach` below the top.
    ASSERT_EQ(path[4].verb, Verb::curveTo);
    EXPECT_DOUBLE_EQ(path[4].points[2].x, 210);
    EXPECT_DOUBLE_EQ(path[4].points[2].y, 20 + reach);
    EXPECT_EQ(countVerb(path, Verb::curveTo), 12);
    EXPECT_EQ(path.back().verb, Verb::close);
}

TEST(OutlinePath, ContinuousCornerTurnsGentlyWhereItsPiecesMeet) {
    // Where a straight edge meets a corner curve the directions agree
    // exactly. Between the corner's own curves the published control points
    // leave a bend of about 2.5 degrees, invisible at any corner size we
    // draw; more than 3 degrees would mean a wrong or misplaced point.
    Path path = outlinePath({{0, 0, 300, 300}, 40, CornerStyle::continuous, false});
    struct Piece {
        Point startTangent, endTangent;
    };
    std::vector<Piece> pieces;
    Point current = path.front().points[0];
    for (const PathElement& e : path) {
        if (e.verb == Verb::lineTo) {
            Point d{e.points[0].x - current.x, e.points[0].y - current.y};
            pieces.push_back({d, d});
        } else if (e.verb == Verb::curveTo) {
            pieces.push_back({{e.points[0].x - current.x, e.points[0].y - current.y},
                              {e.points[2].x - e.points[1].x, e.points[2].y - e.points[1].y}});
        } else {
            continue;
        }
        current = endOf(e);
    }
    ASSERT_EQ(pieces.size(), 16u);  // 4 edges, 12 curves
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        Point a = pieces[i].endTangent, b = pieces[i + 1].startTangent;
        double lengths = std::hypot(a.x, a.y) * std::hypot(b.x, b.y);
        ASSERT_GT(lengths, 0) << "piece " << i;
        bool edgeJoint = (i % 4 == 0) || (i % 4 == 3);  // edge, curve, curve, curve, edge...
        double sine = std::abs(a.x * b.y - a.y * b.x) / lengths;
        EXPECT_LT(sine, edgeJoint ? 1e-9 : std::sin(3 * std::numbers::pi / 180))
            << "kink after piece " << i;
        EXPECT_GT(a.x * b.x + a.y * b.y, 0) << "direction reverses after piece " << i;
    }
}

TEST(OutlinePath, CircularCornersAreQuarterCircles) {
    const double r = 12;
    ShapeOutline shape{{0, 0, 100, 50}, r, CornerStyle::circular, false};
    Path path = outlinePath(shape);
    EXPECT_EQ(countVerb(path, Verb::curveTo), 4);
    EXPECT_DOUBLE_EQ(path.front().points[0].x, r);

    // The top-trailing corner is centred at (100 - r, r).
    ASSERT_EQ(path[2].verb, Verb::curveTo);
    for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
        Point p = cubicAt(endOf(path[1]), path[2], t);
        EXPECT_NEAR(std::hypot(p.x - (100 - r), p.y - r), r, r * 3e-4) << "t=" << t;
    }
}

struct ClampCase {
    double width, height, radius;
    CornerStyle style;
    double expected;
};

class CornerClamp : public testing::TestWithParam<ClampCase> {};

TEST_P(CornerClamp, RadiusFitsTheShorterSide) {
    const ClampCase& c = GetParam();
    ShapeOutline shape{{0, 0, c.width, c.height}, c.radius, c.style, false};
    EXPECT_NEAR(effectiveCornerRadius(shape), c.expected, 1e-9);
    // Whatever the radius asked for, the outline stays inside the rectangle
    // and the straight edges never run backwards.
    Path path = outlinePath(shape);
    for (const PathElement& e : path) {
        for (const Point& p : e.points) {
            if (e.verb == Verb::close) break;
            EXPECT_GE(p.x, -1e-9);
            EXPECT_LE(p.x, c.width + 1e-9);
            EXPECT_GE(p.y, -1e-9);
            EXPECT_LE(p.y, c.height + 1e-9);
        }
    }
    EXPECT_LE(path[0].points[0].x, c.width / 2 + 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CornerClamp,
    testing::Values(ClampCase{200, 100, 8, CornerStyle::continuous, 8},
                    ClampCase{200, 20, 8, CornerStyle::continuous, 10 / kContinuousCornerExtent},
                    ClampCase{200, 20, 8, CornerStyle::circular, 8},
                    ClampCase{200, 20, 30, CornerStyle::circular, 10},
                    ClampCase{40, 40, 100, CornerStyle::continuous, 20 / kContinuousCornerExtent},
                    ClampCase{40, 40, -3, CornerStyle::circular, 0},
                    ClampCase{0, 40, 8, CornerStyle::continuous, 0}),
    testsupport::namedBy([](const ClampCase& c) {
        return std::string(c.style == CornerStyle::continuous ? "continuous " : "circular ") +
               ::testing::PrintToString(c.width) + "x" + ::testing::PrintToString(c.height) + " r" +
               ::testing::PrintToString(c.radius);
    }));

TEST(OutlinePath, TopCornersOnlyLeavesTheBottomSquare) {
    ShapeOutline shape{{0, 0, 390, 700}, 10, CornerStyle::continuous, true};
    Path path = outlinePath(shape);
    EXPECT_EQ(countVerb(path, Verb::curveTo), 6);
    auto hasVertex = [&](Point p) {
        for (const PathElement& e : path) {
            if (e.verb == Verb::lineTo && e.points[0] == p) return true;
        }
        return false;
    };
    EXPECT_TRUE(hasVertex({390, 700}));
    EXPECT_TRUE(hasVertex({0, 700}));
    EXPECT_FALSE(hasVertex({390, 0}));
    EXPECT_FALSE(hasVertex({0, 0}));
}

}  // namespace
}  // namespace ui
