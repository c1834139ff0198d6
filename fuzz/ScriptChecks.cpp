// Properties of the snapshot tool's script parser, for any bytes: it either
// names one bad line and keeps no commands, or every command it keeps is
// well formed; and writing the commands back out and parsing them again
// gives the same commands.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/FuzzChecks.hpp"
#include "tools/SnapshotScript.hpp"

namespace fuzzchecks {
namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "snapshot script property violated: %s\n", what);
    std::abort();
}

// The shortest fixed-point text that reads back as the same number; it is
// never longer than the text the number was read from.
std::string number(double v) {
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string write(const snapshot::Command& c) {
    using Kind = snapshot::Command::Kind;
    switch (c.kind) {
        case Kind::press: return "press " + number(c.x) + " " + number(c.y);
        case Kind::move: return "move " + number(c.x) + " " + number(c.y);
        case Kind::tap: return "tap " + number(c.x) + " " + number(c.y);
        case Kind::release: return "release";
        case Kind::wait: return "wait " + number(c.amount);
        case Kind::scroll: return "scroll " + number(c.amount);
        case Kind::key: return "key " + c.key;
    }
    return {};
}

}  // namespace

void checkSnapshotScript(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = snapshot::parseScript(text);
    if (parsed.error) {
        if (!parsed.commands.empty()) fail("an error kept commands");
        if (parsed.error->line < 1) fail("an error names no line");
        if (parsed.error->message.find('\n') != std::string::npos) fail("an error spans lines");
        return;
    }
    int lastLine = 0;
    std::string rewritten;
    for (const auto& c : parsed.commands) {
        if (c.line <= lastLine) fail("line numbers do not increase");
        lastLine = c.line;
        if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.amount)) fail("a number is not finite");
        if (c.kind == snapshot::Command::Kind::wait && c.amount < 0) fail("a negative wait");
        rewritten += write(c) + "\n";
    }
    auto again = snapshot::parseScript(rewritten);
    if (again.error) fail("the commands written back do not parse");
    if (again.commands.size() != parsed.commands.size()) fail("the commands written back differ in number");
    for (std::size_t i = 0; i < again.commands.size(); ++i) {
        const auto &a = parsed.commands[i], &b = again.commands[i];
        if (a.kind != b.kind || a.key != b.key || a.x != b.x || a.y != b.y || a.amount != b.amount) {
            fail("a command written back parses differently");
        }
    }
}

}  // namespace fuzzchecks
