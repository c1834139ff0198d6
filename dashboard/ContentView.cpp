#include "dashboard/ContentView.hpp"

#include "dashboard/DashboardViews.hpp"
#include "diagnostics/DiagnosticScreen.hpp"
#include "theme/Surfaces.hpp"

namespace dashboard {

using namespace ui;

WellnessCheck::WellnessCheck(std::string title, std::string value, std::string detail, Color tint,
                             std::string icon)
    : id(),
      title(std::move(title)),
      value(std::move(value)),
      detail(std::move(detail)),
      tint(tint),
      icon(std::move(icon)) {}

NorvelAppointment::NorvelAppointment(std::string time, std::string title, std::string location)
    : id(),
      time(std::move(time)),
      title(std::move(title)),
      location(std::move(location)) {}

ContentView::ContentView()
    : patient(patient::PatientBootstrap::current()),
      imagingStudyFileName("norvel_chest_xray.jpg"),
      wellnessChecks{
          {"Blood Presssure", "120/80", "Right on target", Color::cyan, "heart"},
          {"Pulse", "72", "Still ticking", Color::orange, "heart.text.square.fill"},
          {"Hydration Level", "2.4 L", "Water target met", Color::blue, "drop.fill"},
      },
      appointments{
          {"09:30", "Posture scan", "Room CTF-1"},
          {"13:15", "Blood Test review", "Room CTF-2"},
          {"16:00", "Mental health therapy", "Virtual"},
      } {}

ContentView::ContentView(const ContentView&) = default;
ContentView& ContentView::operator=(const ContentView&) = default;
ContentView::~ContentView() = default;

View ContentView::body() const {
    return ScrollView(VStack(HorizontalAlignment::leading, 24,
                             {
                                 header(),
                                 statusStrip(),
                                 wellnessGrid(),
                                 appointmentList(),
                                 labSummary(),
                             })
                          .padding(20))
        .background(theme::dashboardGradient(), Edges::all)
        .alert("Imaging File", isShowingImagingPointer.binding(),
               {Button("OK", ButtonRole::cancel, [] {})},
               Text("Linked study asset: %@", imagingStudyFileName))
        .sheet(isShowingDiagnosticScreen.binding(), nullptr,
               [] { return View(diagnostics::DiagnosticScreen()); });
}

}  // namespace dashboard
