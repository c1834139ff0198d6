#pragma once

#include "toolkit/host/App.hpp"

// The application: one window group whose windows each show a fresh
// dashboard.
struct Norvel_Health_MobileApp : ui::App<Norvel_Health_MobileApp> {
    Norvel_Health_MobileApp() = default;
    ui::WindowGroup body() const;
};

namespace app {

// Connects the toolkit to the platform services it may not include itself:
// the bundle's string table for localisable keys. Runs before the first
// window opens.
void installPlatformServices();

}  // namespace app
