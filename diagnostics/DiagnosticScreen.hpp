#pragma once

// The hidden diagnostics sheet: the clinic's sync settings as a card of
// label/value rows whose values can be selected and copied.

#include <tuple>

#include "diagnostics/DiagnosticItem.hpp"
#include "toolkit/core/View.hpp"

namespace diagnostics {

struct DiagnosticRow {
    DiagnosticItem item;
    ui::View body() const;
};

struct DiagnosticScreen {
    // Closes the sheet that shows this screen; the environment supplies it.
    ui::DismissAction dismiss;

    ui::View body() const;
    auto dynamicProperties() { return std::tie(dismiss); }
};

}  // namespace diagnostics
