#include "resources/PropertyList.hpp"

#include <plist/plist.h>

#include <limits>
#include <memory>

#include "resources/PlistGuard.hpp"

namespace resources {
namespace {

// Seconds between 1970-01-01 and 2001-01-01, the epoch libplist counts dates
// from.
constexpr double kReferenceDateOffsetSeconds = 978'307'200.0;

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistHandle = std::unique_ptr<void, PlistDeleter>;

std::optional<PlistValue> convert(plist_t node, int depth);

// The containers are returned as themselves, not wrapped in a PlistValue:
// g++ 12 raises a false "may be used uninitialized" on an optional variant
// built on one path and abandoned on another.
std::optional<PlistValue::Array> convertArray(plist_t node, int depth) {
    PlistValue::Array array;
    const std::uint32_t size = plist_array_get_size(node);
    array.reserve(size);
    for (std::uint32_t i = 0; i < size; ++i) {
        auto element = convert(plist_array_get_item(node, i), depth + 1);
        if (!element) return std::nullopt;
        array.push_back(std::move(*element));
    }
    return array;
}

std::optional<PlistValue::Dictionary> convertDictionary(plist_t node, int depth) {
    PlistValue::Dictionary dictionary;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    if (!iterator) return dictionary;
    bool ok = true;
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iterator, &key, &value);
        if (!value) {
            std::free(key);
            break;
        }
        auto converted = convert(value, depth + 1);
        if (!converted) {
            std::free(key);
            ok = false;
            break;
        }
        // libplist keeps the last of duplicate keys; insert_or_assign keeps
        // that behaviour should a list ever reach us with duplicates intact.
        dictionary.insert_or_assign(std::string(key ? key : ""), std::move(*converted));
        std::free(key);
    }
    std::free(iterator);
    if (!ok) return std::nullopt;
    return dictionary;
}

std::optional<PlistValue> convert(plist_t node, int depth) {
    if (!node || depth > kMaxPlistDepth) return std::nullopt;
    switch (plist_get_node_type(node)) {
        case PLIST_STRING: {
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return PlistValue(std::string(text ? text : "", text ? length : 0));
        }
        case PLIST_UINT:
        case PLIST_UID: {
            std::uint64_t value = 0;
            if (plist_get_node_type(node) == PLIST_UINT) {
                plist_get_uint_val(node, &value);
            } else {
                plist_get_uid_val(node, &value);
            }
            // Two's complement: see the note on PlistValue.
            return PlistValue(static_cast<std::int64_t>(value));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return PlistValue(value);
        }
        case PLIST_BOOLEAN: {
            std::uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PlistValue(value != 0);
        }
        case PLIST_DATE: {
            std::int32_t seconds = 0;
            std::int32_t microseconds = 0;
            plist_get_date_val(node, &seconds, &microseconds);
            const double sinceEpoch = seconds + kReferenceDateOffsetSeconds + microseconds / 1e6;
            return PlistValue(PlistDate{sinceEpoch * 1000.0});
        }
        case PLIST_DATA: {
            std::uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            const auto* first = reinterpret_cast<const std::uint8_t*>(bytes);
            return PlistValue(bytes ? PlistValue::Data(first, first + length) : PlistValue::Data());
        }
        case PLIST_ARRAY: {
            auto array = convertArray(node, depth);
            if (!array) return std::nullopt;
            return PlistValue(std::move(*array));
        }
        case PLIST_DICT: {
            auto dictionary = convertDictionary(node, depth);
            if (!dictionary) return std::nullopt;
            // GCC 12 in optimised builds warns that the temporary
            // PlistValue's string and vector members "may be used
            // uninitialized" when the variant is moved: it follows the move
            // into alternatives the variant does not hold. A false positive;
            // clang and unoptimised builds see nothing.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
            return PlistValue(std::move(*dictionary));
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
        }
        default:
            // Keys and untyped nodes never stand as values in a list that
            // parsed; treat one as a broken list.
            return std::nullopt;
    }
}

}  // namespace

std::optional<PlistValue> parsePropertyList(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    if (!isWithinLimits(bytes, {kMaxPlistDepth, kMaxPlistNodes})) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::uint32_t>(bytes.size()), &root);
    PlistHandle handle(root);
    if (!root) return std::nullopt;
    return convert(root, 0);
}

PlistValue::Dictionary parseInfoDictionary(std::span<const std::uint8_t> bytes) {
    auto root = parsePropertyList(bytes);
    if (!root) return {};
    if (auto* dictionary = root->getIf<PlistValue::Dictionary>()) return std::move(*dictionary);
    return {};
}

}  // namespace resources
