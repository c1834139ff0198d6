// The five sections of the dashboard, top to bottom.

#include "dashboard/ContentView.hpp"
#include "dashboard/DashboardViews.hpp"
#include "foundation/CurrentClock.hpp"

namespace dashboard {

using namespace ui;

namespace {
const Shape card() { return RoundedRectangle(8, CornerStyle::continuous); }
}  // namespace

View ContentView::header() const {
    // The badge is also the hidden way into diagnostics: a long press,
    // with no feedback while it is held.
    View badge = ZStack(Alignment::center,
                        {
                            RoundedRectangle(8, CornerStyle::continuous)
                                .fill(Color::cyan.opacity(0.18))
                                .frame(48, 48),
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
                         return VStack(HorizontalAlignment::leading, 14,
                                       {
                                           Image(check.icon)
                                               .font(Font::title2.weight(Font::Weight::regular))
                                               .foregroundStyle(check.tint),
                                           VStack(HorizontalAlignment::leading, 6,
                                                  {
                                                      Text::verbatim(check.title)
                                                          .font(Font::subheadline.weight(Font::Weight::semibold))
                                                          .foregroundStyle(Color::white.opacity(0.74)),
                                                      Text::verbatim(check.value)
                                                          .font(Font::title2.weight(Font::Weight::bold))
                                                          .foregroundStyle(Color::white),
                                                      Text::verbatim(check.detail)
                                                          .font(Font::caption)
                                                          .foregroundStyle(Color::white.opacity(0.56))
                                                          .fixedSize(false, true),
                                                  }),
                                       })
                             .frame(Frame::maxWidth(infinity, Alignment::leading))
                             .padding(16)
                             .background(Color::white.opacity(0.08), card())
                             .overlay(card().stroke(Color::white.opacity(0.12), 1));
                     })});
}

View ContentView::appointmentList() const {
    const auto& list = appointments;
    return VStack(HorizontalAlignment::leading, 12,
                  {
                      SectionHeader{"Today", "calendar"},
                      VStack(HorizontalAlignment::center, 0,
                             {ForEach(list,
                                      [&list](const NorvelAppointment& appointment) {
                                          View row =
                                              HStack(VerticalAlignment::center, 14,
                                                     {
                                                         Text::verbatim(appointment.time)
                                                             .font(Font::system(Font::TextStyle::subheadline,
                                                                                Font::Design::monospaced,
                                                                                Font::Weight::semibold))
                                                             .foregroundStyle(Color::mint)
                                                             .frame(Frame::width(54, Alignment::leading)),
                                                         VStack(HorizontalAlignment::leading, 4,
                                                                {
                                                                    Text::verbatim(appointment.title)
                                                                        .font(Font::body.weight(Font::Weight::semibold))
                                                                        .foregroundStyle(Color::white),
                                                                    Text::verbatim(appointment.location)
                                                                        .font(Font::caption)
                                                                        .foregroundStyle(Color::white.opacity(0.58)),
                                                                }),
                                                         Spacer(),
                                                     })
                                                  .padding(Edges::vertical, 12);
                                          if (!dividerFollows(appointment, list)) return row;
                                          return View(Group({row, Divider().overlay(Color::white.opacity(0.12))}));
                                      })})
                          .padding(Edges::horizontal, 16)
                          .background(Color::white.opacity(0.07), card()),
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
                          .background(Color::white.opacity(0.07), card()),
                  });
}

}  // namespace dashboard
