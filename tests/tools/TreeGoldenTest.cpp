// The tree JSON of the three screens outside checkers look at (the
// dashboard, the imaging message and the diagnostics sheet), written by the
// real norvel-snapshot and compared byte for byte with the recorded files.
// The contract of that JSON is its exact text, so any change to it, however
// small, must show up here and be made on purpose.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Screen {
    const char* name;    // golden/<name>.json, and golden/<name>.txt when scripted
    bool scripted;
};

void PrintTo(const Screen& screen, std::ostream* os) {
    *os << screen.name;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class TreeGolden : public ::testing::TestWithParam<Screen> {};

TEST_P(TreeGolden, TheToolWritesTheRecordedTree) {
    const Screen screen = GetParam();
    const fs::path golden = fs::path(NORVEL_GOLDEN_DIR);
    const fs::path out = fs::temp_directory_path() /
                         ("norvel-golden-" + std::to_string(::getpid()) + "-" + screen.name + ".json");
    // The golden folder has no Info.plist, so the fallback patient shows.
    std::string command = std::string("env LANGUAGE= LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC ") +
                          NORVEL_SNAPSHOT_BIN + " --bundle " + golden.string() +
                          " --now 2026-12-08T12:00:00 --size 390x844 --scale 3 --tree " + out.string();
    if (screen.scripted) command += " --script " + (golden / (std::string(screen.name) + ".txt")).string();
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    const std::string actual = readAll(out);
    fs::remove(out);
    const std::string expected = readAll(golden / (std::string(screen.name) + ".json"));
    ASSERT_FALSE(expected.empty());
    if (actual == expected) return;
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    std::size_t from = at < 80 ? 0 : at - 80;
    ADD_FAILURE() << "the trees differ from byte " << at << "\nrecorded: …" << expected.substr(from, 200)
                  << "\nwritten:  …" << actual.substr(from, 200);
}

INSTANTIATE_TEST_SUITE_P(Screens, TreeGolden,
                         ::testing::Values(Screen{"dashboard", false}, Screen{"alert", true},
                                           Screen{"sheet", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
