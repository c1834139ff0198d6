#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "resources/PropertyList.hpp"

namespace resources {

// The application's bundle: the folder that holds Info.plist and the
// compiled translations (locale/<lang>/LC_MESSAGES/norvel-health.mo).
//
// Linux has no application bundles, so the folder is found from the
// executable: the executable's own directory when it holds Info.plist (the
// build tree), else <executable dir>/../share/norvel-health (an install).
class Bundle {
  public:
    // Opens any folder as a bundle. Nothing is read until first needed.
    explicit Bundle(std::filesystem::path path);

    Bundle(const Bundle&) = delete;
    Bundle& operator=(const Bundle&) = delete;

    // The bundle of the running program, located once.
    static const Bundle& main();

    // Makes the main bundle read its Info dictionary from the folder `path`
    // instead of its own, for previews of another configuration (the
    // snapshot tool's --bundle); translations still come from the app's
    // own bundle. Only takes effect before the first call of main();
    // returns false when that has already happened.
    static bool useMainInfoDictionaryFrom(std::filesystem::path path);

    // Where the bundle of an executable at `executable` lives (see above).
    static std::filesystem::path locateBundle(const std::filesystem::path& executable);

    const std::filesystem::path& path() const { return path_; }

    // The value stored under `key` in the Info dictionary, or no value.
    std::optional<PlistValue> objectForInfoDictionaryKey(std::string_view key) const;

    // The whole Info dictionary. A missing or malformed Info.plist reads as
    // an empty dictionary. The file is read once, on first use, even when
    // several threads ask at the same moment; later changes are not seen.
    const PlistValue::Dictionary& infoDictionary() const;

    // How many times this bundle has read its Info.plist: 0 before first
    // use and 1 ever after. Lets tests prove the read happens once.
    std::size_t infoDictionaryReadCount() const { return readCount_.load(); }

    // The translation of `key` in the default string table of this bundle
    // for the user's language, or `key` itself when there is none.
    std::string localizedString(const std::string& key) const;

  private:
    std::filesystem::path path_;
    std::filesystem::path infoDirectory_;  // where Info.plist is read: path_ unless overridden
    mutable std::once_flag infoOnce_;
    mutable PlistValue::Dictionary info_;
    mutable std::atomic<std::size_t> readCount_{0};
};

}  // namespace resources
