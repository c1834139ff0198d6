#include "diagnostics/DiagnosticItem.hpp"

namespace diagnostics {

const std::vector<DiagnosticItem>& DiagnosticInfo::items() {
    // A function-local static is initialised once; concurrent first callers
    // wait for it.
    static const std::vector<DiagnosticItem> table = {
        {"Clinic Route", "lakeside"},
        {"Sync Gateway", "lakeside-sync01"},
        {"Patient Cache Realm", "patient-summary-cache-v2"},
        // Text, not a count: nothing queues anything.
        {"Sync Queue", "0 pending records"},
        {"Imaging Link Mode", "local bundled asset"},
        {"Medication Cache", "offline lookup enabled"},
        // Text, not a formatted clock reading.
        {"Last Gateway Check", "2026-05-30 09:42 UTC"},
    };
    return table;
}

}  // namespace diagnostics
