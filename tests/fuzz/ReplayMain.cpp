// Replays a fuzz corpus through the same property checks the libFuzzer
// targets run, built with the ordinary compiler, so the checks and the seed
// inputs keep working between fuzzing sessions.
//
//   fuzz_replay info_plist|bootstrap_string|birth_date|snapshot_script|xsettings DIRECTORY...

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzChecks.hpp"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TARGET DIRECTORY...\n", argv[0]);
        return 2;
    }
    void (*check)(const std::uint8_t*, std::size_t) = nullptr;
    if (std::strcmp(argv[1], "info_plist") == 0) check = fuzzchecks::checkInfoPlist;
    if (std::strcmp(argv[1], "bootstrap_string") == 0) check = fuzzchecks::checkBootstrapString;
    if (std::strcmp(argv[1], "birth_date") == 0) check = fuzzchecks::checkBirthDate;
    if (std::strcmp(argv[1], "snapshot_script") == 0) check = fuzzchecks::checkSnapshotScript;
    if (std::strcmp(argv[1], "xsettings") == 0) check = fuzzchecks::checkXSettings;
    if (!check) {
        std::fprintf(stderr, "unknown target: %s\n", argv[1]);
        return 2;
    }

    std::size_t replayed = 0;
    for (int i = 2; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                                  std::istreambuf_iterator<char>());
            // A failing check aborts; name the input first so it can be found.
            std::fprintf(stderr, "%s\n", file.c_str());
            check(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::printf("%zu inputs passed\n", replayed);
    // An empty corpus would make the test pass while checking nothing.
    return replayed > 0 ? 0 : 1;
}
