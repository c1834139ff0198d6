// The five sections of the dashboard, top to bottom.

#include "dashboard/ContentView.hpp"
#include "dashboard/DashboardViews.hpp"
#include "foundation/CurrentClock.hpp"
#include "theme/DividedRows.hpp"
#include "theme/Surfaces.hpp"

namespace dashboard {

using namespace ui;

View ContentView::header() const {
    // The badge is also the hidden way into diagnostics: a long press,
    // with no feedback while it is held.
    View badge = ZStack(Alignment::center,
                        {
                            theme::cardShape().fill(Color::cyan.opacity(0.18)).frame(48, 48),
                            Image("cross.case.fill").font(Font::title2).foregroundStyle(Color::cyan),
                        })
                     .contentShape(Rectangle())
                     .onLongPressGesture(1.2, 10, [shown = isShowingDiagnosticScreen] { shown = true; });

    return VStack(HorizontalAlignment::leading, 12,
                  {
                      HStack(VerticalAlignment::center, 12,
                             {
                                 badge,
                                 VStack(HorizontalAlignment::leading, 4,
                                        {
                                            Text("Norvel Health")
                                                .font(Font::system(30, Font::Weight::bold))
                                                .foregroundStyle(Color::white),
                                            Text("CTF patient companion")
                                                .font(Font::subheadline)
                                                .foregroundStyle(Color::white.opacity(0.66)),
                                        }),
                             }),
                      Text("Demo chart for Patient: %@", patient.patientName())
                          .font(Font::headline)
                          .foregroundStyle(Color::white.opacity(0.86)),
                      Text("All information is fictional and not suitable for actual healthcare decisions.")
                          .font(Font::subheadline)
                          .foregroundStyle(Color::white.opacity(0.62))
                          .fixedSize(false, true),
                  });
}

View ContentView::statusStrip() const {
    // Age and date are derived afresh on every build: the age follows the
    // day the strip is drawn.
    const auto& clock = foundation::currentClock();
    return HStack(VerticalAlignment::center, 12,
                  {
                      StatusPill{"Clinic", patient.clinic()},
                      StatusPill{"Age", patient.ageText(clock)},
                      StatusPill{"DOB", patient.displayDateOfBirth()},
                  });
}

View ContentView::wellnessGrid() const {
    return LazyVGrid(GridItem::adaptive(150, infinity, 12), HorizontalAlignment::center, 12,
                     {ForEach(wellnessChecks, [](const WellnessCheck& check) {
                         return WellnessCard{check}.body();
                     })});
}

View ContentView::appointmentList() const {
    return VStack(HorizontalAlignment::leading, 12,
                  {
                      SectionHeader{"Today", "calendar"},
                      VStack(HorizontalAlignment::center, 0,
                             {theme::dividedRows(appointments,
                                                 [](const NorvelAppointment& appointment) {
                                                     return AppointmentRow{appointment}.body();
                                                 })})
                          .padding(Edges::horizontal, 16)
                          .background(Color::white.opacity(0.07), theme::cardShape()),
                  });
}

View ContentView::labSummary() const {
    return VStack(HorizontalAlignment::leading, 12,
                  {
                      SectionHeader{"Imaging", "plus.magnifyingglass"},
                      VStack(HorizontalAlignment::leading, 10,
                             {
                                 ImagingStudyRow{"Chest X-Ray", imagingStudyFileName,
                                                 "Schedule a review session with your doctor",
                                                 [shown = isShowingImagingPointer] { shown = true; }},
                             })
                          .padding(16)
                          .background(Color::white.opacity(0.07), theme::cardShape()),
                  });
}

}  // namespace dashboard
