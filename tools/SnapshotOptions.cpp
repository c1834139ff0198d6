#include "tools/SnapshotOptions.hpp"

#include <cmath>

#include "tools/SnapshotScript.hpp"

namespace snapshot {
namespace {

// Sizes and scales are bounded so a typo cannot ask for a gigapixel image.
constexpr double kMaxPoints = 10000;
constexpr double kMaxScale = 8;
constexpr double kMaxPixels = 64e6;

std::optional<int> digitsValue(const std::string& text, std::size_t from, std::size_t count) {
    int v = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

std::optional<LocalTime> parseLocalTime(const std::string& text) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':') {
        return std::nullopt;
    }
    auto y = digitsValue(text, 0, 4), mo = digitsValue(text, 5, 2), d = digitsValue(text, 8, 2);
    auto h = digitsValue(text, 11, 2), mi = digitsValue(text, 14, 2), s = digitsValue(text, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s) return std::nullopt;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (*mo < 1 || *mo > 12 || *d < 1) return std::nullopt;
    int days = kDays[*mo - 1] + (*mo == 2 && isLeap(*y) ? 1 : 0);
    if (*d > days || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
    return LocalTime{*y, *mo, *d, *h, *mi, *s};
}

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    ParsedOptions result;
    Options& o = result.options;
    auto fail = [&](std::string message) {
        result.error = std::move(message);
        return result;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--version") {
            o.version = true;
            continue;
        }
        bool known = name == "--bundle" || name == "--size" || name == "--scale" ||
                     name == "--safe-area" || name == "--now" || name == "--script" ||
                     name == "--png" || name == "--tree";
        if (!known) return fail("unknown option '" + name.substr(0, 60) + "'");
        if (i + 1 >= args.size()) return fail(name + ": missing value");
        const std::string& value = args[++i];
        if (name == "--bundle") {
            o.bundle = value;
        } else if (name == "--size") {
            auto x = value.find('x');
            if (x == std::string::npos) return fail("--size: expected WxH in points, e.g. 390x844");
            auto w = parseNumber(value.substr(0, x)), h = parseNumber(value.substr(x + 1));
            if (!w || !h || *w <= 0 || *h <= 0 || *w > kMaxPoints || *h > kMaxPoints) {
                return fail("--size: expected WxH, two positive numbers of points up to 10000");
            }
            o.width = *w;
            o.height = *h;
        } else if (name == "--scale") {
            auto s = parseNumber(value);
            if (!s || *s <= 0 || *s > kMaxScale) return fail("--scale: expected a number above 0, up to 8");
            o.scale = *s;
        } else if (name == "--safe-area") {
            auto comma = value.find(',');
            if (comma == std::string::npos) return fail("--safe-area: expected TOP,BOTTOM in points");
            auto t = parseNumber(value.substr(0, comma)), b = parseNumber(value.substr(comma + 1));
            if (!t || !b || *t < 0 || *b < 0) return fail("--safe-area: expected TOP,BOTTOM, two numbers of 0 or more");
            o.safeTop = *t;
            o.safeBottom = *b;
        } else if (name == "--now") {
            auto t = parseLocalTime(value);
            if (!t) return fail("--now: expected YYYY-MM-DDTHH:MM:SS, a real local date and time");
            o.now = t;
        } else if (name == "--script") {
            o.scriptPath = value;
        } else if (name == "--png") {
            o.pngPath = value;
        } else if (name == "--tree") {
            o.treePath = value;
        }
    }
    if (o.safeTop + o.safeBottom >= o.height) return fail("--safe-area: leaves no room inside --size");
    if (o.width * o.scale * o.height * o.scale > kMaxPixels) {
        return fail("--scale: the image would exceed 64 megapixels");
    }
    return result;
}

}  // namespace snapshot
