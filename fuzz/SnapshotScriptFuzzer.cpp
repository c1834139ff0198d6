#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzChecks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzchecks::checkSnapshotScript(data, size);
    return 0;
}
