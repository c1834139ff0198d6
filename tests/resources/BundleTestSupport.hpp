#pragma once

#include <plist/plist.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes.
class TemporaryDirectory {
  public:
    TemporaryDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "norvel-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, std::string_view contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

inline void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// An XML property list whose root dictionary holds `entries` (key and value
// elements, written out).
inline std::string xmlPlist(std::string_view entries) {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\">\n<dict>\n") +
           std::string(entries) + "</dict>\n</plist>\n";
}

// The binary form of a libplist tree, written by libplist itself. Takes
// ownership of `root`.
inline std::vector<std::uint8_t> binaryPlist(plist_t root) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    plist_free(root);
    if (!bytes) throw std::runtime_error("plist_to_bin failed");
    std::vector<std::uint8_t> result(bytes, bytes + length);
    plist_to_bin_free(bytes);
    return result;
}

// A binary property list whose root dictionary maps `key` to `value`
// (ownership of `value` passes to the list).
inline std::vector<std::uint8_t> binaryPlistWith(const char* key, plist_t value) {
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, key, value);
    return binaryPlist(root);
}

}  // namespace testsupport
