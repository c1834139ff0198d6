// The dashboard's geometry, texts and behaviour, laid out with the fixed-
// advance measurer so every frame is exact.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "dashboard/ContentView.hpp"
#include "dashboard/DashboardViews.hpp"
#include "foundation/CurrentClock.hpp"
#include "tests/CaseName.hpp"
#include "tests/support/ViewFinding.hpp"
#include "toolkit/runtime/Runtime.hpp"

using namespace ui;
using dashboard::ContentView;
using dashboard::DashboardSections;
using ui::testing::allOfKind;
using ui::testing::findText;
using ui::testing::indexOf;

namespace {

class Dashboard : public ::testing::Test {
protected:
    FixedAdvanceMeasurer measurer;
    // 2026-12-08 12:00 UTC, far from midnight.
    foundation::FixedClock clock{1796731200000.0};
    double now = 0;

    void SetUp() override { foundation::setCurrentClock(&clock); }
    void TearDown() override { foundation::setCurrentClock(nullptr); }

    std::unique_ptr<Runtime> open(View root, Size size = {390, 844}) {
        auto r = std::make_unique<Runtime>(std::move(root), measurer, Viewport{size, 3, {}});
        r->tree();
        return r;
    }
};

TEST_F(Dashboard, SectionsStackTwentyFourApartInsideTwentyPointMargins) {
    auto runtime = open(ContentView());
    const auto& tree = runtime->tree();
    // The section stack is the VStack directly inside the scroll view.
    const LaidOutView* scroll = allOfKind(tree, EntryKind::scrollView).at(0);
    const LaidOutView* stack = nullptr;
    for (const auto& v : tree.views) {
        if (v.kind == EntryKind::vStack && v.parent == indexOf(tree, scroll)) stack = &v;
    }
    ASSERT_NE(stack, nullptr);
    EXPECT_DOUBLE_EQ(stack->frame.x, 20);
    EXPECT_DOUBLE_EQ(stack->frame.y, 20);
    EXPECT_DOUBLE_EQ(stack->frame.width, 350);

    std::vector<Rect> sections;
    int stackIndex = indexOf(tree, stack);
    for (const auto& v : tree.views) {
        if (v.parent == stackIndex && v.kind != EntryKind::roundedRectangle && v.kind != EntryKind::rectangle) {
            sections.push_back(v.outerFrame);
        }
    }
    ASSERT_EQ(sections.size(), 5u);
    for (std::size_t i = 1; i < sections.size(); ++i) {
        EXPECT_NEAR(sections[i].y - sections[i - 1].maxY(), 24, 1e-9) << "gap before section " << i;
    }
    // Order: header, capsules, grid, today, imaging.
    EXPECT_LT(findText(tree, "Norvel Health")->frame.y, findText(tree, "CLINIC")->frame.y);
    EXPECT_LT(findText(tree, "CLINIC")->frame.y, findText(tree, "Blood Presssure")->frame.y);
    EXPECT_LT(findText(tree, "Blood Presssure")->frame.y, findText(tree, "Today")->frame.y);
    EXPECT_LT(findText(tree, "Today")->frame.y, findText(tree, "Imaging")->frame.y);
}

TEST_F(Dashboard, HeaderTextsAndTheFallbackPatientLine) {
    auto runtime = open(ContentView());
    const auto& tree = runtime->tree();
    for (const char* text : {"Norvel Health", "CTF patient companion", "Demo chart for Patient: John Doe",
                             "All information is fictional and not suitable for actual healthcare decisions."}) {
        EXPECT_NE(findText(tree, text), nullptr) << text;
    }
    const LaidOutView* title = findText(tree, "Norvel Health");
    EXPECT_EQ(title->font->pointSize(), 30);
    EXPECT_EQ(title->font->resolvedWeight(), Font::Weight::bold);
    // The badge: a 48-point cyan square at the leading edge.
    const LaidOutView* badge = nullptr;
    for (const auto& v : tree.views) {
        if (v.kind == EntryKind::roundedRectangle && v.frame.width == 48 && v.frame.height == 48) badge = &v;
    }
    ASSERT_NE(badge, nullptr);
    EXPECT_DOUBLE_EQ(badge->frame.x, 20);
    EXPECT_EQ(std::get<Color>(*badge->fill), Color::cyan.opacity(0.18));
}

TEST_F(Dashboard, AnEmptyNameLeavesThePatientLineEndingAfterTheColon) {
    ContentView view;
    view.patient = patient::PatientBootstrap("", "2001-01-01", "Norvel Test");
    auto runtime = open(view);
    EXPECT_NE(findText(runtime->tree(), "Demo chart for Patient: "), nullptr);
}

TEST_F(Dashboard, CapsulesShowUpperCasedCaptionsAndThePatientsValues) {
    auto runtime = open(ContentView());
    const auto& tree = runtime->tree();
    const LaidOutView* clinic = findText(tree, "CLINIC");
    const LaidOutView* age = findText(tree, "AGE");
    const LaidOutView* dob = findText(tree, "DOB");
    ASSERT_TRUE(clinic && age && dob);
    EXPECT_NE(findText(tree, "Norvel Test"), nullptr);
    EXPECT_NE(findText(tree, "25"), nullptr);
    EXPECT_NE(findText(tree, "1/1/2001"), nullptr);
    // Three capsules share the row: equal widths, 12 apart.
    std::vector<const LaidOutView*> pills;
    for (const auto& v : tree.views) {
        if (v.kind == EntryKind::roundedRectangle && v.frame.y < clinic->frame.maxY() &&
            v.fill && std::get<Color>(*v.fill) == Color::white.opacity(0.08)) {
            pills.push_back(&v);
        }
    }
    ASSERT_EQ(pills.size(), 3u);
    EXPECT_NEAR(pills[0]->frame.width, (350 - 24) / 3.0, 1e-6);
    EXPECT_NEAR(pills[1]->frame.x - pills[0]->frame.maxX(), 12, 1e-6);
    EXPECT_NEAR(clinic->frame.x - pills[0]->frame.x, 12, 1e-6);
}

TEST_F(Dashboard, ALabelInMixedCaseIsShownUpperCasedAndTheValueKeepsItsCase) {
    auto runtime = open(dashboard::StatusPill{"Straße", "MiXed"});
    EXPECT_NE(findText(runtime->tree(), "STRASSE"), nullptr);
    EXPECT_NE(findText(runtime->tree(), "MiXed"), nullptr);
}

struct GridCase {
    double width;
    int columns;
};

void PrintTo(const GridCase& c, std::ostream* out) {
    *out << "width " << c.width << ", columns " << c.columns;
}

class GridColumns : public Dashboard, public ::testing::WithParamInterface<GridCase> {};

TEST_P(GridColumns, FollowTheWidthOfferedToTheGrid) {
    auto [width, columns] = GetParam();
    ContentView view;
    auto runtime = open(VStack({DashboardSections::wellnessGrid(view)}).frame(width, 800), {width, 800});
    const auto& tree = runtime->tree();
    std::vector<double> xs;
    for (const char* title : {"Blood Presssure", "Pulse", "Hydration Level"}) {
        xs.push_back(findText(tree, title)->frame.x);
    }
    std::vector<double> distinct = xs;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    EXPECT_EQ(static_cast<int>(distinct.size()), std::min(columns, 3));
    double cardWidth = (width - (columns - 1) * 12) / columns;
    // Card backgrounds are the column's width.
    for (const auto& v : tree.views) {
        if (v.kind == EntryKind::roundedRectangle && v.fill) {
            EXPECT_NEAR(v.frame.width, cardWidth, 1e-6);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dashboard, GridColumns,
                         ::testing::Values(GridCase{350, 2}, GridCase{311, 1}, GridCase{474, 3},
                                           GridCase{635, 3}, GridCase{636, 4}),
                         testsupport::namedBy([](const GridCase& c) {
                             return ::testing::PrintToString(c.width) + "pt";
                         }));

TEST_F(Dashboard, TwoColumnGridAt350HasTheThirdCardAloneTwelveBelow) {
    auto runtime = open(ContentView());
    const auto& tree = runtime->tree();
    std::vector<const LaidOutView*> cards;
    for (const auto& v : tree.views) {
        if (v.kind == EntryKind::roundedRectangle && v.stroke) cards.push_back(&v);
    }
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_DOUBLE_EQ(cards[0]->frame.width, 169);
    EXPECT_DOUBLE_EQ(cards[1]->frame.x - cards[0]->frame.maxX(), 12);
    EXPECT_DOUBLE_EQ(cards[2]->frame.x, cards[0]->frame.x);
    double rowBottom = std::max(cards[0]->frame.maxY(), cards[1]->frame.maxY());
    EXPECT_NEAR(cards[2]->frame.y - rowBottom, 12, 1e-9);
    // Inside a card: symbol 16 in, title 14 below the symbol.
    const LaidOutView* heart = nullptr;
    for (const auto& v : tree.views) {
        if (v.symbol == std::optional<std::string>("heart")) heart = &v;
    }
    ASSERT_NE(heart, nullptr);
    EXPECT_DOUBLE_EQ(heart->frame.x - cards[0]->frame.x, 16);
    EXPECT_DOUBLE_EQ(heart->frame.y - cards[0]->frame.y, 16);
    EXPECT_NEAR(findText(tree, "Blood Presssure")->frame.y - heart->frame.maxY(), 14, 1e-9);
    // Only the symbol takes the tint.
    EXPECT_EQ(std::get<Color>(*heart->foreground), Color::cyan);
    EXPECT_EQ(std::get<Color>(*findText(tree, "120/80")->foreground), Color::white);
}

TEST_F(Dashboard, AppointmentRowsHaveA54PointTimeColumnAndTitles84In) {
    auto runtime = open(ContentView());
    const auto& tree = runtime->tree();
    const LaidOutView* card = nullptr;
    const LaidOutView* today = findText(tree, "Today");
    for (const auto& v : tree.views) {
        if (v.kind == EntryKind::roundedRectangle && v.frame.y > today->frame.y && !card) card = &v;
    }
    ASSERT_NE(card, nullptr);
    for (const char* title : {"Posture scan", "Blood Test review", "Mental health therapy"}) {
        EXPECT_DOUBLE_EQ(findText(tree, title)->frame.x - card->frame.x, 84) << title;
    }
    for (const char* time : {"09:30", "13:15", "16:00"}) {
        const LaidOutView* t = findText(tree, time);
        EXPECT_DOUBLE_EQ(t->frame.x - card->frame.x, 16) << time;
        EXPECT_EQ(t->font->design, Font::Design::monospaced);
        EXPECT_EQ(std::get<Color>(*t->foreground), Color::mint);
    }
    auto dividers = allOfKind(tree, EntryKind::divider);
    ASSERT_EQ(dividers.size(), 2u);
    EXPECT_GT(dividers[0]->frame.y, findText(tree, "Posture scan")->frame.y);
    EXPECT_LT(dividers[0]->frame.y, findText(tree, "Blood Test review")->frame.y);
    EXPECT_GT(dividers[1]->frame.y, findText(tree, "Blood Test review")->frame.y);
    EXPECT_LT(dividers[1]->frame.y, findText(tree, "Mental health therapy")->frame.y);
    EXPECT_DOUBLE_EQ(dividers[0]->frame.x - card->frame.x, 16);
    EXPECT_DOUBLE_EQ(dividers[0]->frame.width, card->frame.width - 32);
}

TEST_F(Dashboard, OneAppointmentHasNoDividerAndNoneHasNoHeight) {
    ContentView view;
    view.appointments.resize(1, view.appointments.front());
    auto one = open(VStack({DashboardSections::appointmentList(view)}));
    EXPECT_TRUE(allOfKind(one->tree(), EntryKind::divider).empty());
    EXPECT_NE(findText(one->tree(), "09:30"), nullptr);

    view.appointments.clear();
    auto none = open(VStack({DashboardSections::appointmentList(view)}));
    EXPECT_NE(findText(none->tree(), "Today"), nullptr);
    for (const auto& v : none->tree().views) {
        if (v.kind == EntryKind::roundedRectangle) {
            EXPECT_EQ(v.frame.height, 0);
        }
    }
}

TEST_F(Dashboard, TheImagingButtonSitsAtTheTrailingEndWithItsHint) {
    auto runtime = open(ContentView());
    const auto& tree = runtime->tree();
    auto buttons = allOfKind(tree, EntryKind::button);
    ASSERT_EQ(buttons.size(), 1u);
    const LaidOutView* button = buttons[0];
    EXPECT_NEAR(button->frame.maxX(), 20 + 350 - 16, 1e-9);
    EXPECT_EQ(button->accessibilityHint, "Links to bundled imaging asset norvel_chest_xray.jpg");
    EXPECT_EQ(std::get<Color>(*button->fill), Color::pink.opacity(0.62));
    EXPECT_NEAR(button->frame.y, findText(tree, "Chest X-Ray")->frame.y, 1e-9) << "top aligned";
    // The file name is nowhere on screen.
    for (const auto& v : tree.views) {
        if (v.text) {
            EXPECT_EQ(v.text->find("norvel_chest_xray"), std::string::npos) << *v.text;
        }
    }
}

TEST_F(Dashboard, ClickToOpenShowsTheImagingMessageAndOkClosesIt) {
    auto runtime = open(ContentView());
    runtime->key(Key::end, 0);  // the study card sits below the fold
    const LaidOutView* label = findText(runtime->tree(), "Click to Open");
    ASSERT_NE(label, nullptr);
    Point p{label->frame.midX(), label->frame.midY()};
    runtime->pointerDown(p, 0);
    runtime->pointerUp(p, 0.05);
    runtime->advanceTo(1);
    EXPECT_TRUE(runtime->alertPresented());
    const auto& tree = runtime->tree();
    ASSERT_NE(findText(tree, "Imaging File"), nullptr);
    ASSERT_NE(findText(tree, "Linked study asset: norvel_chest_xray.jpg"), nullptr);
    const LaidOutView* ok = findText(tree, "OK");
    ASSERT_NE(ok, nullptr);
    Point okAt{ok->frame.midX(), ok->frame.midY()};
    runtime->pointerDown(okAt, 1);
    runtime->pointerUp(okAt, 1.05);
    EXPECT_FALSE(runtime->alertPresented());
}

TEST_F(Dashboard, TheDiagnosticsSheetListsSevenRowsWithSixDividers) {
    auto runtime = open(ContentView());
    runtime->pointerDown({44, 50}, 0);
    runtime->advanceTo(1.2);
    runtime->pointerUp({44, 50}, 1.3);
    runtime->advanceTo(2);
    EXPECT_TRUE(runtime->sheetPresented());
    const auto& tree = runtime->tree();
    EXPECT_NE(findText(tree, "Norvel Diagnostics"), nullptr);
    EXPECT_NE(findText(tree, "Internal clinic sync status"), nullptr);
    EXPECT_NE(findText(tree, "Done"), nullptr);
    for (const char* label : {"CLINIC ROUTE", "SYNC GATEWAY", "PATIENT CACHE REALM", "SYNC QUEUE",
                              "IMAGING LINK MODE", "MEDICATION CACHE", "LAST GATEWAY CHECK"}) {
        const LaidOutView* v = findText(tree, label);
        ASSERT_NE(v, nullptr) << label;
        EXPECT_FALSE(v->selectable) << label;
    }
    const LaidOutView* realm = findText(tree, "patient-summary-cache-v2");
    ASSERT_NE(realm, nullptr);
    EXPECT_TRUE(realm->selectable);
    int sheetDividers = 0;
    for (const auto& v : tree.views) sheetDividers += v.kind == EntryKind::divider && v.layer.kind == LayerKind::sheet;
    EXPECT_EQ(sheetDividers, 6);
}

struct PressCase {
    const char* name;
    const char* text;  // where to press; empty: the badge
};

void PrintTo(const PressCase& c, std::ostream* out) {
    *out << c.name;
}

class LongPressTargets : public Dashboard, public ::testing::WithParamInterface<PressCase> {};

TEST_P(LongPressTargets, OnlyTheBadgeOpensDiagnostics) {
    auto runtime = open(ContentView());
    const LaidOutView* badge = nullptr;
    for (const auto& v : runtime->tree().views) {
        if (v.longPress) badge = &v;
    }
    ASSERT_NE(badge, nullptr);
    EXPECT_EQ(badge->hitFrame.width, 48);
    // The top-leading corner, outside the rounded shape but inside the
    // badge's rectangle.
    Point p{badge->hitFrame.x + 0.5, badge->hitFrame.y + 0.5};
    std::string where = GetParam().text;
    if (!where.empty()) {
        const LaidOutView* v = findText(runtime->tree(), where);
        ASSERT_NE(v, nullptr);
        p = {v->frame.x + 4, v->frame.midY()};
    }
    runtime->pointerDown(p, 0);
    runtime->advanceTo(2);
    runtime->pointerUp(p, 2);
    EXPECT_EQ(runtime->sheetPresented(), where.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Dashboard, LongPressTargets,
    ::testing::Values(PressCase{"badgeCorner", ""}, PressCase{"title", "Norvel Health"},
                      PressCase{"patientLine", "Demo chart for Patient: John Doe"},
                      PressCase{"disclaimer",
                                "All information is fictional and not suitable for actual healthcare decisions."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dashboard, TwoScreensShareThePatientAndTextsButNotTheirIds) {
    ContentView a, b;
    EXPECT_EQ(a.patient.patientName(), b.patient.patientName());
    ASSERT_EQ(a.appointments.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(a.appointments[i].title, b.appointments[i].title);
        EXPECT_NE(a.appointments[i].id, b.appointments[i].id);
        EXPECT_NE(a.wellnessChecks[i].id, b.wellnessChecks[i].id);
    }
    EXPECT_EQ(a.imagingStudyFileName, "norvel_chest_xray.jpg");
    EXPECT_FALSE(a.isShowingImagingPointer.wrappedValue());
    EXPECT_FALSE(a.isShowingDiagnosticScreen.wrappedValue());
}

}  // namespace
