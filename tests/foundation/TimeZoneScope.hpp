#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "foundation/Calendar.hpp"

namespace testsupport {

// Runs a test in another time zone: sets TZ, makes ICU pick it up, and puts
// both back when the scope ends, so later tests see the zone CTest pinned.
class TimeZoneScope {
  public:
    explicit TimeZoneScope(const std::string& zone) {
        if (const char* previous = std::getenv("TZ")) previous_ = previous;
        setenv("TZ", zone.c_str(), 1);
        tzset();
        foundation::resetCurrentTimeZone();
    }

    ~TimeZoneScope() {
        if (previous_) {
            setenv("TZ", previous_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
        foundation::resetCurrentTimeZone();
    }

    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

  private:
    std::optional<std::string> previous_;
};

}  // namespace testsupport
