#pragma once

// What the dashboard keeps to itself: its sample records and the small
// views its sections are made of. Only the dashboard's sources and its
// tests include this header.

#include <functional>
#include <string>

#include "dashboard/ContentView.hpp"
#include "diagnostics/DividerRule.hpp"
#include "foundation/UUID.hpp"
#include "toolkit/core/View.hpp"

namespace dashboard {

// One card of the wellness grid.
struct WellnessCheck {
    foundation::UUID id;
    std::string title;
    std::string value;
    std::string detail;
    ui::Color tint;
    std::string icon;

    WellnessCheck(std::string title, std::string value, std::string detail, ui::Color tint,
                  std::string icon);
};

// One row of today's appointments. `time` is shown as written, never parsed.
struct NorvelAppointment {
    foundation::UUID id;
    std::string time;
    std::string title;
    std::string location;

    NorvelAppointment(std::string time, std::string title, std::string location);
};

// A capsule with an upper-cased caption above a value.
struct StatusPill {
    std::string label;
    std::string value;
    ui::View body() const;
};

// A section heading: a mint symbol, then the title.
struct SectionHeader {
    std::string title;
    std::string icon;
    ui::View body() const;
};

// The imaging study with its "Click to Open" button. The file name only
// goes into the button's accessibility hint; nothing opens the file.
struct ImagingStudyRow {
    std::string name;
    std::string fileName;
    std::string note;
    std::function<void()> action;
    ui::View body() const;
};

// The background of the dashboard, top-leading to bottom-trailing.
ui::LinearGradient dashboardGradient();

using diagnostics::dividerFollows;

// Lets tests build one section at a time.
struct DashboardSections {
    static ui::View header(const ContentView& v) { return v.header(); }
    static ui::View statusStrip(const ContentView& v) { return v.statusStrip(); }
    static ui::View wellnessGrid(const ContentView& v) { return v.wellnessGrid(); }
    static ui::View appointmentList(const ContentView& v) { return v.appointmentList(); }
    static ui::View labSummary(const ContentView& v) { return v.labSummary(); }
};

}  // namespace dashboard
