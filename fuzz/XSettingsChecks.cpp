// Properties of the XSETTINGS reader, for any bytes: what it accepts holds
// no more settings than the bytes have room for; written out again in
// either byte order, it reads back as the same settings; and a property
// cut short before its last setting ends is refused.

#include <cstdio>
#include <cstdlib>
#include <span>

#include "fuzz/FuzzChecks.hpp"
#include "tests/support/XSettingsWriter.hpp"
#include "toolkit/host/XSettings.hpp"

namespace fuzzchecks {
namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "XSETTINGS property violated: %s\n", what);
    std::abort();
}

bool same(const ui::XSettings& a, const ui::XSettings& b) {
    return a.serial == b.serial && a.values == b.values;
}

}  // namespace

void checkXSettings(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    auto parsed = ui::parseXSettings(bytes);
    if (!parsed) return;
    // Each setting takes at least 16 bytes after the 12 of the header.
    if (size < 12 || parsed->values.size() > (size - 12) / 16) fail("more settings than bytes");

    for (bool msbFirst : {false, true}) {
        testsupport::XSettingsWriter writer(msbFirst);
        writer.all(*parsed);
        const auto& written = writer.bytes();
        auto again = ui::parseXSettings(written);
        if (!again || !same(*again, *parsed))
            fail("written out and read again, the settings differ");
        // The written form has no trailing bytes, so any cut loses a part of
        // a setting (or of the header) and must be refused.
        if (!written.empty() && ui::parseXSettings(std::span(written.data(), written.size() - 1))) {
            fail("a property one byte short was accepted");
        }
    }
}

}  // namespace fuzzchecks
