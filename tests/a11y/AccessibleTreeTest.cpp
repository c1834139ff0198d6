// Which objects two frames' snapshots add, remove, rename or change the
// state of: what the bridge announces, and nothing else.

#include <gtest/gtest.h>

#include <ostream>

#include "toolkit/a11y/AccessibleTree.hpp"

using namespace ui::a11y;

namespace {

AccessibleNode node(std::string id, std::string name, States states = kVisible | kShowing) {
    AccessibleNode n;
    n.id = std::move(id);
    n.parent = n.id.empty() ? -1 : 0;
    n.name = std::move(name);
    n.states = states;
    return n;
}

const AccessibleSnapshot kBefore{{node("", "Window"), node("/a", "Heading"), node("/b", "Open")}};

struct DiffCase {
    const char* name;
    AccessibleSnapshot after;
    std::vector<std::string> added, removed, renamed, stateChanged;
};

// Shown by name in test listings, never as raw bytes.
void PrintTo(const DiffCase& c, std::ostream* os) {
    *os << c.name;
}

class SnapshotDiffTest : public ::testing::TestWithParam<DiffCase> {};

TEST_P(SnapshotDiffTest, NamesExactlyWhatChanged) {
    const DiffCase& c = GetParam();
    SnapshotDiff d = diff(kBefore, c.after);
    EXPECT_EQ(d.added, c.added);
    EXPECT_EQ(d.removed, c.removed);
    EXPECT_EQ(d.renamed, c.renamed);
    std::vector<std::string> changed;
    for (const auto& s : d.stateChanges) changed.push_back(s.id);
    EXPECT_EQ(changed, c.stateChanged);
}

AccessibleSnapshot moved() {
    AccessibleSnapshot s = kBefore;
    for (auto& n : s.nodes) n.extents.y += 40;  // scrolled: nothing to announce
    s.nodes[2].description = "A hint";
    return s;
}

AccessibleSnapshot withAlert() {
    AccessibleSnapshot s = kBefore;
    s.nodes[1].states = kVisible;
    s.nodes[2].states = kVisible;
    s.nodes.push_back(node("alert", "Title"));
    s.nodes.push_back(node("alert/ok", "OK"));
    return s;
}

AccessibleSnapshot renamed() {
    AccessibleSnapshot s = kBefore;
    s.nodes[1].name = "Heading 2";
    return s;
}

AccessibleSnapshot replaced() {
    AccessibleSnapshot s = kBefore;
    s.nodes[2] = node("/c", "Open");  // same text, another place: another object
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Diff, SnapshotDiffTest,
    ::testing::Values(
        DiffCase{"Unchanged", kBefore, {}, {}, {}, {}},
        DiffCase{"MovedOrRedescribedOnly", moved(), {}, {}, {}, {}},
        DiffCase{"AlertCameOver", withAlert(), {"alert", "alert/ok"}, {}, {}, {"/a", "/b"}},
        DiffCase{"TextChanged", renamed(), {}, {}, {"/a"}, {}},
        DiffCase{"ViewReplaced", replaced(), {"/c"}, {"/b"}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SnapshotDiff, AGoneAlertIsRemovedAndWhatItCoveredComesBack) {
    SnapshotDiff d = diff(withAlert(), kBefore);
    EXPECT_EQ(d.removed, (std::vector<std::string>{"alert", "alert/ok"}));
    ASSERT_EQ(d.stateChanges.size(), 2u);
    EXPECT_EQ(d.stateChanges[0].turnedOn, kShowing);
    EXPECT_EQ(d.stateChanges[0].turnedOff, 0u);
}

// What a screen reader hears, in order, written compactly: "activate:id",
// "deactivate:id", "+showing:id" or "-focused:id" (the frame's id is "").
std::vector<std::string> heard(const SnapshotDiff& d) {
    std::vector<std::string> out;
    auto name = [](AccessibleState bit) {
        switch (bit) {
            case kShowing:
                return "showing";
            case kVisible:
                return "visible";
            case kEnabled:
                return "enabled";
            case kSensitive:
                return "sensitive";
            case kFocusable:
                return "focusable";
            case kFocused:
                return "focused";
            case kActive:
                return "active";
        }
        return "?";
    };
    for (const auto* list : {&d.deactivations, &d.announcements}) {
        if (list == &d.announcements) out.push_back("|");  // objects come and go here
        for (const auto& a : *list) {
            switch (a.kind) {
                case Announcement::Kind::deactivate:
                    out.push_back("deactivate:" + a.id);
                    break;
                case Announcement::Kind::activate:
                    out.push_back("activate:" + a.id);
                    break;
                case Announcement::Kind::state:
                    out.push_back((a.on ? "+" : "-") + std::string(name(a.state)) + ":" + a.id);
                    break;
            }
        }
    }
    return out;
}

constexpr States kLive = kVisible | kShowing | kEnabled | kSensitive;

AccessibleSnapshot screen(bool windowActive, bool buttonFocused) {
    AccessibleSnapshot s{{node("", "Window", kLive), node("/b", "Open", kLive | kFocusable)}};
    s.nodes[0].role = Role::frame;
    if (windowActive) s.nodes[0].states |= kActive;
    if (buttonFocused) s.nodes[1].states |= kFocused;
    return s;
}

AccessibleSnapshot alertOver(bool windowActive) {
    AccessibleSnapshot s = screen(false, false);
    s.nodes[1].states = kVisible;
    s.nodes.push_back(node("alert", "Title", kLive | (windowActive ? kActive : 0u)));
    s.nodes.back().role = Role::alert;
    s.nodes.push_back(node("alert/ok", "OK", kLive | kFocusable | kFocused));
    s.nodes.back().parent = 2;
    return s;
}

using Heard = std::vector<std::string>;

// A window's activation goes out before the focus inside it, and a
// control's other state changes before its focus: a screen reader drops a
// focus event for a window that is not (yet) the active one.
TEST(Announcements, AnAlertIsActivatedBeforeItsButtonTakesFocus) {
    EXPECT_EQ(heard(diff(screen(true, true), alertOver(true))),
              (Heard{"deactivate:", "|", "activate:alert", "-showing:/b", "-enabled:/b",
                     "-sensitive:/b", "-focusable:/b", "-focused:/b", "+focused:alert/ok"}));
}

TEST(Announcements, AClosingAlertGoesBeforeTheFrameIsActivatedAndFocusReturns) {
    EXPECT_EQ(heard(diff(alertOver(true), screen(true, true))),
              (Heard{"deactivate:alert", "|", "activate:", "+showing:/b", "+enabled:/b",
                     "+sensitive:/b", "+focusable:/b", "+focused:/b"}));
}

TEST(Announcements, TheKeyboardComingAndGoingActivatesAndDeactivatesTheFrameAlone) {
    EXPECT_EQ(heard(diff(screen(false, true), screen(true, true))), (Heard{"|", "activate:"}));
    EXPECT_EQ(heard(diff(screen(true, true), screen(false, true))), (Heard{"deactivate:", "|"}));
    // Without the keyboard an alert comes and goes unactivated.
    EXPECT_EQ(heard(diff(screen(false, false), alertOver(false)))[1], "-showing:/b");
}

}  // namespace
