#include "diagnostics/DiagnosticScreen.hpp"

#include "diagnostics/DividerRule.hpp"
#include "foundation/Text.hpp"

namespace diagnostics {

using namespace ui;

View DiagnosticRow::body() const {
    return VStack(HorizontalAlignment::leading, 5,
                  {
                      Text::verbatim(foundation::uppercased(item.label))
                          .font(Font::caption2.weight(Font::Weight::bold))
                          .foregroundStyle(Color::white.opacity(0.48)),
                      Text::verbatim(item.value)
                          .font(Font::subheadline.weight(Font::Weight::semibold))
                          .foregroundStyle(Color::white)
                          .textSelection(true),
                  })
        .frame(Frame::maxWidth(infinity, Alignment::leading))
        .padding(Edges::vertical, 12);
}

View DiagnosticScreen::body() const {
    const auto& items = DiagnosticInfo::items();
    const Shape card = RoundedRectangle(8, CornerStyle::continuous);
    LinearGradient gradient{{Color(0.04, 0.11, 0.16), Color(0.07, 0.18, 0.22)},
                            UnitPoint::topLeading,
                            UnitPoint::bottomTrailing};

    return NavigationStack(
        ScrollView(VStack(HorizontalAlignment::leading, 18,
                          {
                              VStack(HorizontalAlignment::leading, 6,
                                     {
                                         Text("Norvel Diagnostics")
                                             .font(Font::title2.weight(Font::Weight::bold))
                                             .foregroundStyle(Color::white),
                                         Text("Internal clinic sync status")
                                             .font(Font::subheadline)
                                             .foregroundStyle(Color::white.opacity(0.62)),
                                     }),
                              VStack(HorizontalAlignment::center, 0,
                                     {ForEach(items,
                                              [&items](const DiagnosticItem& item) {
                                                  View row = DiagnosticRow{item};
                                                  if (!dividerFollows(item, items)) return row;
                                                  return View(Group({row, Divider().overlay(Color::white.opacity(0.12))}));
                                              })})
                                  .padding(Edges::horizontal, 16)
                                  .background(Color::white.opacity(0.08), card)
                                  .overlay(card.stroke(Color::white.opacity(0.12), 1)),
                          })
                       .padding(20))
            .background(gradient, Edges::all)
            .toolbar({ToolbarItem{ToolbarPlacement::topBarTrailing,
                                  Button("Done", [dismiss = dismiss] { dismiss(); })}}));
}

}  // namespace diagnostics
