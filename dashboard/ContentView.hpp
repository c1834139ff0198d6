#pragma once

// The dashboard: the one screen of the app and the root of its window.

#include <string>
#include <tuple>
#include <vector>

#include "patient/PatientBootstrap.hpp"
#include "toolkit/core/View.hpp"

namespace dashboard {

struct WellnessCheck;
struct NorvelAppointment;

struct ContentView {
    // The screen's only run-time state: which presentation is up.
    ui::State<bool> isShowingImagingPointer{false};
    ui::State<bool> isShowingDiagnosticScreen{false};

    // Everything below is fixed once the screen is built.
    patient::PatientBootstrap patient;
    std::string imagingStudyFileName;
    std::vector<WellnessCheck> wellnessChecks;
    std::vector<NorvelAppointment> appointments;

    ContentView();
    ContentView(const ContentView&);
    ContentView& operator=(const ContentView&);
    ~ContentView();

    ui::View body() const;
    auto dynamicProperties() { return std::tie(isShowingImagingPointer, isShowingDiagnosticScreen); }

private:
    friend struct DashboardSections;

    ui::View header() const;
    ui::View statusStrip() const;
    ui::View wellnessGrid() const;
    ui::View appointmentList() const;
    ui::View labSummary() const;
};

}  // namespace dashboard
