#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace snapshot {

struct LocalTime {
    std::int64_t year = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct Options {
    std::optional<std::string> bundle;
    double width = 390;
    double height = 844;
    double scale = 3;
    double safeTop = 0;
    double safeBottom = 0;
    std::optional<LocalTime> now;
    std::optional<std::string> scriptPath;
    std::optional<std::string> pngPath;
    std::optional<std::string> treePath;
    bool version = false;  // --version: print the version and render nothing
};

struct ParsedOptions {
    Options options;
    std::optional<std::string> error;  // one line naming the option
};

ParsedOptions parseOptions(const std::vector<std::string>& args);

// "YYYY-MM-DDTHH:MM:SS", a real calendar date and time of day, no zone.
std::optional<LocalTime> parseLocalTime(const std::string& text);

}  // namespace snapshot
