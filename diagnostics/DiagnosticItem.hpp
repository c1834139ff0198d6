#pragma once

#include <string>
#include <vector>

#include "foundation/UUID.hpp"

namespace diagnostics {

// One row of the diagnostics sheet: a caption and its value. The label is
// stored in mixed case; the screen upper-cases it when drawing. The id is a
// fresh random UUID drawn by the constructor, and is the only thing that
// tells two items apart: there is no equality of items themselves.
struct DiagnosticItem {
    DiagnosticItem(std::string label, std::string value)
        : label(std::move(label)), value(std::move(value)) {}

    foundation::UUID id;
    std::string label;
    std::string value;
};

// The fixed table of clinic synchronisation settings the sheet lists. It is
// sample text, not measured state: nothing here reads a clock or a setting.
struct DiagnosticInfo {
    DiagnosticInfo() = delete;

    // The seven items, in display order. Built on first use, exactly once
    // even under concurrent first calls; every call returns the same list
    // with the same ids for the rest of the process.
    static const std::vector<DiagnosticItem>& items();
};

}  // namespace diagnostics
