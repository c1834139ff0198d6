#include "dashboard/DashboardViews.hpp"
#include "foundation/Text.hpp"
#include "theme/Surfaces.hpp"

namespace dashboard {

using namespace ui;

View WellnessCard::body() const {
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
        .background(Color::white.opacity(0.08), theme::cardShape())
        .overlay(theme::cardOutline());
}

View AppointmentRow::body() const {
    // The spacer takes the rest of the width, so every row spans the card
    // and its texts stay at the leading side.
    return HStack(VerticalAlignment::center, 14,
                  {
                      Text::verbatim(appointment.time)
                          .font(Font::system(Font::TextStyle::subheadline, Font::Design::monospaced,
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
}

View StatusPill::body() const {
    return VStack(HorizontalAlignment::leading, 4,
                  {
                      Text::verbatim(foundation::uppercased(label))
                          .font(Font::caption2.weight(Font::Weight::bold))
                          .foregroundStyle(Color::white.opacity(0.48)),
                      Text::verbatim(value)
                          .font(Font::caption.weight(Font::Weight::semibold))
                          .foregroundStyle(Color::white)
                          .lineLimit(1)
                          .minimumScaleFactor(0.8),
                  })
        .frame(Frame::maxWidth(infinity, Alignment::leading))
        .padding(Edges::vertical, 10)
        .padding(Edges::horizontal, 12)
        .background(Color::white.opacity(0.08), theme::cardShape());
}

View SectionHeader::body() const {
    // The symbol has no font of its own: it takes the surrounding one.
    return HStack(VerticalAlignment::center, 8,
                  {
                      Image(icon).foregroundStyle(Color::mint),
                      Text::verbatim(title).font(Font::headline).foregroundStyle(Color::white),
                  });
}

View ImagingStudyRow::body() const {
    return HStack(VerticalAlignment::top, 12,
                  {
                      VStack(HorizontalAlignment::leading, 4,
                             {
                                 Text::verbatim(name)
                                     .font(Font::subheadline.weight(Font::Weight::semibold))
                                     .foregroundStyle(Color::white),
                                 Text::verbatim(note)
                                     .font(Font::caption)
                                     .foregroundStyle(Color::white.opacity(0.58)),
                             }),
                      Spacer(12),
                      Button([action = action] {
                          if (action) action();
                      },
                             Label("Click to Open", "photo")
                                 .font(Font::caption.weight(Font::Weight::bold))
                                 .lineLimit(1)
                                 .minimumScaleFactor(0.75))
                          .buttonStyle(ButtonStyleKind::borderedProminent)
                          .tint(Color::pink.opacity(0.62))
                          .accessibilityHint(LocalizedString("Links to bundled imaging asset %@", fileName)),
                  });
}

}  // namespace dashboard
