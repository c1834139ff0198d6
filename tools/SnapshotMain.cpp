// norvel-snapshot: renders the app headless, optionally after a script of
// touches, keys and waits, and writes a PNG and/or the laid-out tree.
// A developer tool, like a preview; the app itself takes no arguments.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/NorvelHealthMobileApp.hpp"
#include "foundation/Calendar.hpp"
#include "foundation/Clock.hpp"
#include "foundation/CurrentClock.hpp"
#include "resources/Bundle.hpp"
#include "toolkit/host/HeadlessHost.hpp"
#include "tools/SnapshotOptions.hpp"
#include "tools/SnapshotScript.hpp"

namespace {

int usageError(const std::string& message) {
    std::cerr << "norvel-snapshot: " << message << "\n";
    return 2;
}

ui::Key keyNamed(const std::string& name) {
    if (name == "escape") return ui::Key::escape;
    if (name == "return") return ui::Key::enter;
    if (name == "pageup") return ui::Key::pageUp;
    if (name == "pagedown") return ui::Key::pageDown;
    if (name == "up") return ui::Key::up;
    if (name == "down") return ui::Key::down;
    if (name == "home") return ui::Key::home;
    if (name == "tab") return ui::Key::tab;
    if (name == "shift+tab") return ui::Key::backTab;
    if (name == "space") return ui::Key::space;
    if (name == "ctrl+c") return ui::Key::copy;
    return ui::Key::end;
}

void run(ui::HeadlessHost& host, const std::vector<snapshot::Command>& commands) {
    using Kind = snapshot::Command::Kind;
    for (const auto& c : commands) {
        switch (c.kind) {
            case Kind::press: host.press({c.x, c.y}); break;
            case Kind::move: host.move({c.x, c.y}); break;
            case Kind::release: host.release(); break;
            case Kind::tap: host.tap({c.x, c.y}); break;
            case Kind::wait: host.advance(c.amount); break;
            case Kind::scroll: host.scroll(c.amount); break;
            case Kind::key: host.key(keyNamed(c.key)); break;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = snapshot::parseOptions(args);
    if (parsed.error) return usageError(*parsed.error);
    const auto& options = parsed.options;
    if (options.version) {
        std::cout << "norvel-snapshot " << NORVEL_VERSION << "\n";
        return 0;
    }

    std::vector<snapshot::Command> commands;
    if (options.scriptPath) {
        std::ifstream in(*options.scriptPath, std::ios::binary);
        if (!in) return usageError("--script: cannot read " + *options.scriptPath);
        std::stringstream text;
        text << in.rdbuf();
        auto script = snapshot::parseScript(text.str());
        if (script.error) {
            return usageError("--script: line " + std::to_string(script.error->line) + ": " +
                              script.error->message);
        }
        commands = std::move(script.commands);
    }

    std::optional<foundation::FixedClock> pinned;
    if (options.now) {
        auto instant = foundation::Calendar::current().instant(
            foundation::DateComponents{options.now->year, options.now->month, options.now->day},
            options.now->hour, options.now->minute, options.now->second);
        if (!instant) return usageError("--now: no such local time in this time zone");
        pinned.emplace(*instant);
        foundation::setCurrentClock(&*pinned);
    }
    if (options.bundle) resources::Bundle::useMainInfoDictionaryFrom(*options.bundle);

    app::installPlatformServices();
    ui::HostOptions hostOptions;
    hostOptions.size = {options.width, options.height};
    hostOptions.scale = options.scale;
    hostOptions.safeArea = ui::EdgeInsets{options.safeTop, 0, options.safeBottom, 0};
    ui::HeadlessHost host(Norvel_Health_MobileApp().body(), hostOptions);

    run(host, commands);
    host.settle();

    if (!options.pngPath && !options.treePath) {
        host.render();
        return 0;
    }
    if (options.treePath) {
        std::ofstream out(*options.treePath, std::ios::binary | std::ios::trunc);
        out << host.treeJson() << "\n";
        if (!out) return usageError("--tree: cannot write " + *options.treePath);
    }
    if (options.pngPath && !host.writePng(*options.pngPath)) {
        return usageError("--png: cannot write " + *options.pngPath);
    }
    return 0;
}
