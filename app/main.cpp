#include "app/NorvelHealthMobileApp.hpp"

int main(int, char**) {
    app::installPlatformServices();
    Norvel_Health_MobileApp::main();
    return 0;
}
