#include "tools/SnapshotScript.hpp"

#include <array>
#include <cmath>
#include <cstdlib>

namespace snapshot {
namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

constexpr std::array<std::string_view, 12> kKeys = {
    "escape", "return", "pageup", "pagedown", "up",    "down",
    "home",   "end",    "tab",    "shift+tab", "space", "ctrl+c"};

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0 || i != text.size() || text.size() > 64) return std::nullopt;
    // strtod on our own validated copy: no locale surprises with digits
    // and '.', and no hex or "inf" can get this far.
    std::string copy(text);
    double value = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

ParsedScript parseScript(std::string_view text) {
    ParsedScript result;
    int lineNumber = 0;
    std::size_t pos = 0;
    auto fail = [&](std::string message) {
        result.commands.clear();
        result.error = ScriptError{lineNumber, std::move(message)};
        return result;
    };
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNumber;
        pos = end + 1;

        auto w = words(line);
        if (w.empty() || w[0].front() == '#') {
            if (end == text.size()) break;
            continue;
        }
        Command c;
        c.line = lineNumber;
        std::string_view verb = w[0];
        auto numbersAfterVerb = [&](std::size_t count) -> std::optional<std::vector<double>> {
            if (w.size() != count + 1) return std::nullopt;
            std::vector<double> values;
            for (std::size_t i = 1; i < w.size(); ++i) {
                auto v = parseNumber(w[i]);
                if (!v) return std::nullopt;
                values.push_back(*v);
            }
            return values;
        };
        if (verb == "press" || verb == "move" || verb == "tap") {
            auto v = numbersAfterVerb(2);
            if (!v) return fail(std::string(verb) + " needs two numbers: X Y");
            c.kind = verb == "press" ? Command::Kind::press
                     : verb == "move" ? Command::Kind::move
                                      : Command::Kind::tap;
            c.x = (*v)[0];
            c.y = (*v)[1];
        } else if (verb == "release") {
            if (w.size() != 1) return fail("release takes nothing after it");
            c.kind = Command::Kind::release;
        } else if (verb == "wait") {
            auto v = numbersAfterVerb(1);
            if (!v || (*v)[0] < 0) return fail("wait needs a number of milliseconds, 0 or more");
            c.kind = Command::Kind::wait;
            c.amount = (*v)[0];
        } else if (verb == "scroll") {
            auto v = numbersAfterVerb(1);
            if (!v) return fail("scroll needs a number of points");
            c.kind = Command::Kind::scroll;
            c.amount = (*v)[0];
        } else if (verb == "key") {
            bool known = w.size() == 2;
            if (known) {
                known = false;
                for (auto k : kKeys) known = known || w[1] == k;
            }
            if (!known) {
                return fail("key needs one of escape, return, pageup, pagedown, up, down, home, end, "
                            "tab, shift+tab, space, ctrl+c");
            }
            c.kind = Command::Kind::key;
            c.key = std::string(w[1]);
        } else {
            return fail("unknown command '" + std::string(verb.substr(0, 40)) + "'");
        }
        result.commands.push_back(std::move(c));
        if (end == text.size()) break;
    }
    return result;
}

}  // namespace snapshot
