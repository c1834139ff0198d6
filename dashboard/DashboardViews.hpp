#pragma once

// What the dashboard keeps to itself: its sample records and the small
// views its sections are made of. Only the dashboard's sources and its
// tests include this header.

#include <functional>
#include <string>

#include "dashboard/ContentView.hpp"
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

// The wellness card and the appointment row hold no state, so the sections
// build them in place from their bodies: the runtime then has no component
// of theirs to resolve on every pass.

// One card of the wellness grid: the tinted symbol above the title, the
// value and a short note.
struct WellnessCard {
    WellnessCheck check;
    ui::View body() const;
};

// One row of today's appointments: the time in a fixed 54-point column, so
// the titles of all rows line up, then the title above the location.
struct AppointmentRow {
    NorvelAppointment appointment;
    ui::View body() const;
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

// Lets tests build one section at a time.
struct DashboardSections {
    static ui::View header(const ContentView& v) { return v.header(); }
    static ui::View statusStrip(const ContentView& v) { return v.statusStrip(); }
    static ui::View wellnessGrid(const ContentView& v) { return v.wellnessGrid(); }
    static ui::View appointmentList(const ContentView& v) { return v.appointmentList(); }
    static ui::View labSummary(const ContentView& v) { return v.labSummary(); }
};

}  // namespace dashboard
