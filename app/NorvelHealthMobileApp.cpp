#include "app/NorvelHealthMobileApp.hpp"

#include "dashboard/ContentView.hpp"
#include "resources/Localization.hpp"
#include "toolkit/core/StringTable.hpp"

ui::WindowGroup Norvel_Health_MobileApp::body() const {
    return ui::WindowGroup([] { return ui::View(dashboard::ContentView()); });
}

namespace app {

void installPlatformServices() {
    ui::setStringTable([](const std::string& key) { return resources::localizedString(key); });
}

}  // namespace app
