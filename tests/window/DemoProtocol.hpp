#pragma once

// What the demo window and its tests agree on: the texts and colours it
// shows, the names it reports views under, and the reading of its report
// lines (see DemoWindow.cpp).

#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "toolkit/core/Color.hpp"
#include "toolkit/core/Geometry.hpp"

namespace demo {

inline constexpr const char* kSelectableText = "NV-7731 copy exactly";
// The sheet's fill, far from the backdrop so a screenshot tells them apart.
inline constexpr ui::Color kSheetColor = ui::Color::rgb255(40, 120, 70);

// The report name of a laid-out view, or empty for views nobody asks about.
inline std::string viewName(const std::string& text, const std::string& accessibilityLabel) {
    if (accessibilityLabel == "badge") return "badge";
    if (text == "Open alert") return "open-alert";
    if (text == "OK") return "ok";
    if (text == "Done") return "done";
    if (text == "Copy") return "copy";
    if (text == kSelectableText) return "selectable";
    return "";
}

// The demo's state as its report lines have told it so far.
struct Report {
    bool alert = false;
    bool sheet = false;
    bool settled = false;  // the last frame had nothing in flight
    long frames = 0;
    std::optional<double> firstFrameMs;  // since the demo's main() began
    std::map<std::string, ui::Rect> views;

    std::optional<ui::Point> centre(const std::string& name) const {
        auto it = views.find(name);
        if (it == views.end()) return std::nullopt;
        return ui::Point{it->second.midX(), it->second.midY()};
    }

    // Takes one line; returns false for a line it does not know.
    bool read(const std::string& line) {
        std::istringstream in(line);
        std::string word;
        in >> word;
        if (word == "frame") {
            long index = 0;
            std::string ms;
            in >> index >> ms;
            frames = index;
            settled = false;
            if (index == 1 && ms.rfind("ms=", 0) == 0) firstFrameMs = std::stod(ms.substr(3));
            return true;
        }
        if (word == "state") {
            std::string a, s;
            in >> a >> s;
            alert = a == "alert=1";
            sheet = s == "sheet=1";
            return true;
        }
        if (word == "view") {
            std::string name, x;
            in >> name >> x;
            if (x == "gone") {
                views.erase(name);
                return true;
            }
            ui::Rect r;
            r.x = std::stod(x);
            in >> r.y >> r.width >> r.height;
            views[name] = r;
            return true;
        }
        if (word == "settled") {
            settled = true;
            return true;
        }
        return false;
    }
};

}  // namespace demo
