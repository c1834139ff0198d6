// Measures the window host on a private X server, for the record rather
// than as a test (timings on a shared machine are not pass/fail facts):
//   - process start to the first frame on screen,
//   - CPU time and wake-ups of an idle window over 5 s,
//   - input to the frame that shows it, for clicks and keys,
//   - how late a 1.2 s long press fires.
// Usage: toolkit-window-measure [path-to-demo]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/window/DemoProtocol.hpp"
#include "tests/window/XvfbSession.hpp"

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// User plus system CPU time of `pid`, in milliseconds.
double cpuMs(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    // Fields after the command name, which is in parentheses and may hold spaces.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return (utime + stime) * 1000.0 / sysconf(_SC_CLK_TCK);
}

long contextSwitches(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    long total = 0;
    while (std::getline(in, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
            line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
            total += std::stol(line.substr(line.find(':') + 1));
        }
    }
    return total;
}

double latencyOf(const std::string& frameLine) {
    auto at = frameLine.find("latency=");
    return at == std::string::npos ? -1 : std::stod(frameLine.substr(at + 8));
}

void summary(const char* name, std::vector<double> values) {
    if (values.empty()) {
        std::printf("%-40s none\n", name);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-40s min %.1f  median %.1f  max %.1f ms (n=%zu)\n", name, values.front(),
                values[values.size() / 2], values.back(), values.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string demoPath = argc > 1 ? argv[1] : NORVEL_WINDOW_DEMO;
    xvfb::XvfbSession x;
    std::string error;
    if (!x.start(error)) {
        std::fprintf(stderr, "cannot start Xvfb: %s\n", error.c_str());
        return 1;
    }
    demo::Report report;
    auto app = x.launch(demoPath, {}, {"NORVEL_SCALE=1"});
    auto read = [&](const std::function<bool()>& done, double seconds) {
        if (done()) return true;
        return app->waitForLine([&](const std::string&) { return done(); }, seconds,
                                [&](const std::string& line) { report.read(line); });
    };

    bool first = read([&] { return report.frames >= 1; }, 15);
    double firstFrameSeen = nowMs();
    if (!first || !x.findWindow(app->pid(), "Norvel Health", 10)) {
        std::fprintf(stderr, "the demo showed no window: %s\n", app->errorOutput().c_str());
        return 1;
    }
    std::printf("%-40s %.1f ms (fork to the line on the pipe)\n", "start to first frame",
                firstFrameSeen - app->startedAtMs());
    std::printf("%-40s %.1f ms (main() to presented)\n", "main to first frame",
                report.firstFrameMs.value_or(-1));

    read([&] { return report.settled && report.views.count("badge"); }, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    while (auto line = app->nextLine(0.05)) report.read(*line);
    long framesBefore = report.frames;
    double cpu0 = cpuMs(app->pid());
    long switches0 = contextSwitches(app->pid());
    std::this_thread::sleep_for(std::chrono::seconds(5));
    double cpu1 = cpuMs(app->pid());
    long switches1 = contextSwitches(app->pid());
    while (auto line = app->nextLine(0.05)) report.read(*line);
    std::printf("%-40s %.1f ms CPU (%.2f%%), %ld context switches, %ld frames\n", "idle over 5 s",
                cpu1 - cpu0, (cpu1 - cpu0) / 50.0, switches1 - switches0,
                report.frames - framesBefore);

    // Input to frame: the host's own figure (first input event handled to
    // the first frame that differs on screen), and the harness's (xdotool
    // started to the frame's line read), which adds starting xdotool, X
    // delivery and the pipe.
    std::vector<double> clickHost, clickOutside, keyHost;
    auto openAlert = report.centre("open-alert");
    for (int i = 0; i < 8 && openAlert; ++i) {
        std::string frameLine;
        double sent = nowMs();
        x.click({openAlert->x, openAlert->y});
        app->waitForLine(
            [&](const std::string& l) { return l.rfind("frame", 0) == 0 && latencyOf(l) >= 0; }, 5,
            [&](const std::string& l) {
                report.read(l);
                frameLine = l;
            });
        clickOutside.push_back(nowMs() - sent);
        clickHost.push_back(latencyOf(frameLine));

        read([&] { return report.alert && report.settled; }, 5);
        x.key("Escape");
        app->waitForLine(
            [&](const std::string& l) { return l.rfind("frame", 0) == 0 && latencyOf(l) >= 0; }, 5,
            [&](const std::string& l) {
                report.read(l);
                frameLine = l;
            });
        keyHost.push_back(latencyOf(frameLine));
        read([&] { return !report.alert && report.settled; }, 5);
    }
    summary("click to frame (host)", clickHost);
    summary("click to frame (xdotool start to pipe)", clickOutside);
    summary("key to frame (host)", keyHost);

    // How late the long press fires: press, then time the state line.
    auto badge = report.centre("badge");
    if (badge) {
        x.press({badge->x, badge->y});
        double pressed = nowMs();
        read([&] { return report.sheet; }, 5);
        double fired = nowMs() - pressed;
        x.release();
        std::printf("%-40s %.1f ms (1200 expected; includes X delivery)\n",
                    "long press to sheet line", fired);
    }
    auto status = x.terminate(*app);
    std::printf("%-40s %d\n", "exit code after SIGTERM", status.value_or(-999));
    return 0;
}
