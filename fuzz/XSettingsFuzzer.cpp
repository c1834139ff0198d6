#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzChecks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzchecks::checkXSettings(data, size);
    return 0;
}
