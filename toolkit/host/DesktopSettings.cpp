#include "toolkit/host/DesktopSettings.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace ui {

namespace {

constexpr double kBaseDpi = 96;
constexpr double kLargestScale = 4;

template <typename T>
const T* settingOf(const XSettings& settings, const char* name) {
    auto found = settings.values.find(name);
    return found == settings.values.end() ? nullptr : std::get_if<T>(&found->second);
}

std::optional<double> number(const char* text) {
    if (!text || !*text) return std::nullopt;
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int> integer(const char* text) {
    if (!text) return std::nullopt;
    const char* end = text + std::strlen(text);
    int value = 0;
    auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc{} || stop != end || stop == text) return std::nullopt;
    return value;
}

}  // namespace

void takeXSettings(DesktopSettings& settings, const std::optional<XSettings>& xsettings) {
    settings.windowScale.reset();
    settings.settingsDpi.reset();
    settings.enableAnimations.reset();
    if (!xsettings) return;
    if (auto* scale = settingOf<std::int32_t>(*xsettings, "Gdk/WindowScalingFactor");
        scale && *scale > 0) {
        settings.windowScale = *scale;
    }
    // In 1024ths of a dot per inch; -1 means "the default".
    if (auto* dpi = settingOf<std::int32_t>(*xsettings, "Xft/DPI"); dpi && *dpi > 0) {
        settings.settingsDpi = *dpi / 1024.0;
    }
    if (auto* animations = settingOf<std::int32_t>(*xsettings, "Gtk/EnableAnimations")) {
        settings.enableAnimations = *animations != 0;
    }
}

std::optional<double> parseResourceDpi(const char* text) {
    auto value = number(text);
    if (!value || *value <= 0) return std::nullopt;
    return value;
}

double desktopWindowScale(const DesktopSettings& settings) {
    double scale = 1;
    if (settings.windowScale) {
        scale = *settings.windowScale;
    } else if (settings.resourceDpi) {
        scale = *settings.resourceDpi / kBaseDpi;
    }
    return std::clamp(scale, 1.0, kLargestScale);
}

double windowScale(const DesktopSettings& settings, const char* gdkScale, const char* norvelScale) {
    if (auto own = number(norvelScale); own && *own >= 0.5 && *own <= kLargestScale) return *own;
    if (auto gdk = integer(gdkScale); gdk && *gdk >= 1 && *gdk <= kLargestScale) return *gdk;
    return desktopWindowScale(settings);
}

double textScale(const DesktopSettings& settings) {
    // Without a resolution the desktop says nothing about text, and text
    // follows the window.
    auto dpi = settings.settingsDpi ? settings.settingsDpi : settings.resourceDpi;
    if (!dpi) return 1;
    return *dpi / kBaseDpi / desktopWindowScale(settings);
}

}  // namespace ui
