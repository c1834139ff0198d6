#include "resources/Bundle.hpp"

#include <exception>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace resources {
namespace {

constexpr const char* kInfoFileName = "Info.plist";

// The file's bytes, or none when it cannot be read. A folder, a device or a
// file that vanishes halfway all count as a missing Info.plist; libstdc++
// reports some of these by throwing from the stream, hence the catch.
std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) return {};
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

Bundle::Bundle(std::filesystem::path path) : path_(std::move(path)), infoDirectory_(path_) {}

namespace {

std::mutex mainPathMutex;
std::optional<std::filesystem::path> mainPathOverride;
bool mainLocated = false;

}  // namespace

bool Bundle::useMainInfoDictionaryFrom(std::filesystem::path path) {
    std::lock_guard lock(mainPathMutex);
    if (mainLocated) return false;
    mainPathOverride = std::move(path);
    return true;
}

const Bundle& Bundle::main() {
    static const Bundle& bundle = [] () -> const Bundle& {
        std::error_code error;
        const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
        // Without /proc there is no way to find the bundle; an empty path
        // reads as a bundle without Info.plist, which gives the defaults.
        static Bundle located(error ? std::filesystem::path() : locateBundle(executable));
        std::lock_guard lock(mainPathMutex);
        mainLocated = true;
        if (mainPathOverride) located.infoDirectory_ = *mainPathOverride;
        return located;
    }();
    return bundle;
}

std::filesystem::path Bundle::locateBundle(const std::filesystem::path& executable) {
    const auto directory = executable.parent_path();
    std::error_code error;
    if (std::filesystem::is_regular_file(directory / kInfoFileName, error)) return directory;
    return (directory / ".." / "share" / "norvel-health").lexically_normal();
}

const PlistValue::Dictionary& Bundle::infoDictionary() const {
    std::call_once(infoOnce_, [this] {
        ++readCount_;
        if (infoDirectory_.empty()) return;
        const auto bytes = readFile(infoDirectory_ / kInfoFileName);
        info_ = parseInfoDictionary(bytes);
    });
    return info_;
}

std::optional<PlistValue> Bundle::objectForInfoDictionaryKey(std::string_view key) const {
    const auto& info = infoDictionary();
    const auto found = info.find(key);
    if (found == info.end()) return std::nullopt;
    return found->second;
}

}  // namespace resources
