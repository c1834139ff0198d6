#include "diagnostics/DiagnosticScreen.hpp"

#include "foundation/Text.hpp"
#include "theme/DividedRows.hpp"
#include "theme/Surfaces.hpp"

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
                                     {theme::dividedRows(DiagnosticInfo::items(),
                                                         [](const DiagnosticItem& item) {
                                                             return DiagnosticRow{item};
                                                         })})
                                  .padding(Edges::horizontal, 16)
                                  .background(Color::white.opacity(0.08), theme::cardShape())
                                  .overlay(theme::cardOutline()),
                          })
                       .padding(20))
            .background(theme::sheetGradient(), Edges::all)
            .toolbar({ToolbarItem{ToolbarPlacement::topBarTrailing,
                                  Button("Done", [dismiss = dismiss] { dismiss(); })}}));
}

}  // namespace diagnostics
