#include "fuzz/FuzzChecks.hpp"

#include <plist/plist.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "foundation/Calendar.hpp"
#include "foundation/Clock.hpp"
#include "patient/PatientBootstrap.hpp"
#include "resources/PlistGuard.hpp"
#include "resources/PropertyList.hpp"

namespace fuzzchecks {
namespace {

using patient::PatientBootstrap;
using resources::PlistValue;
using Fields = std::tuple<std::string, std::string, std::string>;

[[noreturn]] void fail(const char* property, const std::string& detail = {}) {
    std::fprintf(stderr, "property violated: %s\n%s\n", property, detail.c_str());
    std::abort();
}

void require(bool condition, const char* property, const std::string& detail = {}) {
    if (!condition) fail(property, detail);
}

Fields fieldsOf(const PatientBootstrap& record) {
    return {record.patientName(), record.dateOfBirth(), record.clinic()};
}

const Fields kFallback{"John Doe", "2001-01-01", "Norvel Test"};

// --- An independent reading of the bootstrap text ------------------------------

// Base64 the simple way: four characters at a time, each looked up in the
// alphabet with strchr, padding only at the very end, and the unused bits
// of a padded group zero.
std::optional<std::string> simpleBase64(std::string_view text) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int values[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2) {
                values[k] = 0;
                ++padding;
                continue;
            }
            if (padding > 0 || c == '\0') return std::nullopt;  // "=" then a letter
            const char* at = std::strchr(kAlphabet, c);
            if (!at) return std::nullopt;
            values[k] = static_cast<int>(at - kAlphabet);
        }
        const unsigned group = (values[0] << 18) | (values[1] << 12) | (values[2] << 6) | values[3];
        out += static_cast<char>(group >> 16);
        if (padding < 2) out += static_cast<char>((group >> 8) & 0xFF);
        if (padding < 1) out += static_cast<char>(group & 0xFF);
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) {
            return std::nullopt;
        }
    }
    return out;
}

// Deepest nesting of a valid JSON text, counting brackets outside strings.
int jsonDepth(std::string_view json) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

Fields expectedRecord(std::string_view bootstrapText) {
    const auto json = simpleBase64(bootstrapText);
    if (!json) return kFallback;
    // JSON text holds no raw NUL anywhere (not whitespace, and escaped
    // inside strings). The JSON library below would stop reading at one,
    // so it must not be asked.
    if (json->find('\0') != std::string::npos) return kFallback;
    const auto document = nlohmann::json::parse(*json, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded() || !document.is_object()) return kFallback;
    if (jsonDepth(*json) > patient::kMaxJsonDepth) return kFallback;
    std::string fields[3];
    const char* names[3] = {"patientName", "dateOfBirth", "clinic"};
    for (int k = 0; k < 3; ++k) {
        const auto member = document.find(names[k]);
        if (member == document.end() || !member->is_string()) return kFallback;
        fields[k] = member->get<std::string>();
    }
    return {fields[0], fields[1], fields[2]};
}

std::string describe(const Fields& fields) {
    return "(" + std::get<0>(fields) + " | " + std::get<1>(fields) + " | " + std::get<2>(fields) + ")";
}

void checkRecordFor(std::string_view bootstrapText, const PatientBootstrap& record) {
    const Fields actual = fieldsOf(record);
    const Fields expected = expectedRecord(bootstrapText);
    require(actual == expected, "record agrees with the independent decoding",
            "actual " + describe(actual) + "\nexpected " + describe(expected));
}

// --- Info.plist: strings against the raw bytes ----------------------------------

bool isBinaryList(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.data(), "bplist00", 8) == 0;
}

std::optional<std::uint64_t> bigEndian(std::span<const std::uint8_t> bytes, std::uint64_t at,
                                       std::uint64_t width) {
    if (width == 0 || width > 8 || at > bytes.size() || bytes.size() - at < width) return std::nullopt;
    std::uint64_t value = 0;
    for (std::uint64_t k = 0; k < width; ++k) value = value << 8 | bytes[at + k];
    return value;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether some string object of a binary list holds exactly the ASCII
// `text`, read to the full length its own header gives: as bytes (ASCII
// objects) or as UTF-16 units. Every object of the offset table is looked
// at, reachable or not. This checks the entry against the file without
// libplist, which measures ASCII strings with strlen.
bool isWholeStringOfBinaryList(std::span<const std::uint8_t> bytes, std::string_view text) {
    if (bytes.size() < 8 + 32) return false;
    const std::uint64_t trailer = bytes.size() - 32;
    const std::uint64_t offsetSize = bytes[trailer + 6];
    const auto count = bigEndian(bytes, trailer + 8, 8);
    const auto table = bigEndian(bytes, trailer + 24, 8);
    if (!count || !table) return false;
    for (std::uint64_t i = 0; i < *count && i < bytes.size(); ++i) {
        const auto offset = bigEndian(bytes, *table + i * offsetSize, offsetSize);
        if (!offset || *offset >= bytes.size()) continue;
        const std::uint8_t type = bytes[*offset] >> 4;
        if (type != 0x5 && type != 0x6) continue;
        std::uint64_t length = bytes[*offset] & 0x0F;
        std::uint64_t start = *offset + 1;
        if (length == 0x0F) {
            if (start >= bytes.size() || bytes[start] >> 4 != 0x1) continue;
            const std::uint64_t width = std::uint64_t{1} << (bytes[start] & 0x0F);
            const auto value = bigEndian(bytes, start + 1, width);
            if (!value) continue;
            length = *value;
            start += 1 + width;
        }
        if (length != text.size()) continue;
        const std::uint64_t unit = type == 0x5 ? 1 : 2;
        if (start > bytes.size() || (bytes.size() - start) / unit < length) continue;
        bool same = true;
        for (std::uint64_t k = 0; k < length && same; ++k) {
            const auto c = static_cast<std::uint8_t>(text[k]);
            same = unit == 1 ? bytes[start + k] == c
                             : bytes[start + 2 * k] == 0 && bytes[start + 2 * k + 1] == c;
        }
        if (same) return true;
    }
    return false;
}

// --- Info.plist: our typed tree against libplist's own -------------------------

bool sameTree(plist_t node, const PlistValue& value, int depth) {
    if (depth > resources::kMaxPlistDepth) return false;
    switch (plist_get_node_type(node)) {
        case PLIST_STRING: {
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            const auto* ours = value.getIf<std::string>();
            return ours && *ours == std::string(text ? text : "", text ? length : 0);
        }
        case PLIST_BOOLEAN: {
            const auto* ours = value.getIf<bool>();
            return ours && *ours == (plist_bool_val_is_true(node) != 0);
        }
        case PLIST_UINT:
        case PLIST_UID: {
            std::uint64_t raw = 0;
            if (plist_get_node_type(node) == PLIST_UINT) {
                plist_get_uint_val(node, &raw);
            } else {
                plist_get_uid_val(node, &raw);
            }
            const auto* ours = value.getIf<std::int64_t>();
            return ours && static_cast<std::uint64_t>(*ours) == raw;
        }
        case PLIST_REAL: {
            double raw = 0;
            plist_get_real_val(node, &raw);
            const auto* ours = value.getIf<double>();
            return ours && (std::memcmp(ours, &raw, sizeof raw) == 0 || *ours == raw);
        }
        case PLIST_DATE:
            return value.is<resources::PlistDate>();
        case PLIST_DATA: {
            std::uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            const auto* ours = value.getIf<PlistValue::Data>();
            return ours && ours->size() == length &&
                   (length == 0 || std::memcmp(ours->data(), bytes, length) == 0);
        }
        case PLIST_ARRAY: {
            const auto* ours = value.getIf<PlistValue::Array>();
            if (!ours || ours->size() != plist_array_get_size(node)) return false;
            for (std::uint32_t i = 0; i < ours->size(); ++i) {
                if (!sameTree(plist_array_get_item(node, i), (*ours)[i], depth + 1)) return false;
            }
            return true;
        }
        case PLIST_DICT: {
            // libplist keeps every entry of a binary dictionary with repeated
            // keys (and its own lookup finds the first); as in any
            // dictionary, the last entry for a key is the one that counts.
            std::map<std::string, plist_t> entries;
            plist_dict_iter iterator = nullptr;
            plist_dict_new_iter(node, &iterator);
            for (;;) {
                char* key = nullptr;
                plist_t member = nullptr;
                plist_dict_next_item(node, iterator, &key, &member);
                if (!member) {
                    std::free(key);
                    break;
                }
                entries[key ? key : ""] = member;
                std::free(key);
            }
            std::free(iterator);
            const auto* ours = value.getIf<PlistValue::Dictionary>();
            if (!ours || ours->size() != entries.size()) return false;
            for (const auto& [key, member] : entries) {
                const auto found = ours->find(key);
                if (found == ours->end() || !sameTree(member, found->second, depth + 1)) return false;
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

void checkInfoPlist(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto parsed = resources::parsePropertyList(bytes);
    const auto info = resources::parseInfoDictionary(bytes);
    const auto entry = info.find(PatientBootstrap::kInfoDictionaryKey);
    const PatientBootstrap record = PatientBootstrap::fromInfoValue(
        entry == info.end() ? std::nullopt : std::optional<PlistValue>(entry->second));

    // Only lists inside the limits are safe to hand to libplist directly.
    const bool withinLimits =
        size > 0 && resources::isWithinLimits(bytes, {resources::kMaxPlistDepth, resources::kMaxPlistNodes});
    if (withinLimits) {
        plist_t raw = nullptr;
        plist_from_memory(reinterpret_cast<const char*>(data), static_cast<std::uint32_t>(size), &raw);
        require((raw != nullptr) == parsed.has_value(), "parses exactly when libplist does");
        if (raw) {
            require(sameTree(raw, *parsed, 0), "typed values agree with libplist's tree");
            const bool isDict = plist_get_node_type(raw) == PLIST_DICT;
            require(isDict || info.empty(), "a root that is no dictionary reads as empty");
        }
        plist_free(raw);
    } else {
        require(!parsed.has_value() && info.empty(), "lists beyond the limits are refused");
    }

    // libplist cuts strings short at a NUL; the checks against its tree
    // above share that fault, so these look at the raw bytes instead.
    if (!isBinaryList(bytes) && std::find(data, data + size, std::uint8_t{0}) != data + size) {
        require(!parsed.has_value() && info.empty(), "an XML list holding a NUL is refused");
    }

    if (entry == info.end() || !entry->second.is<std::string>()) {
        require(fieldsOf(record) == kFallback, "no string entry gives the fallback");
    } else {
        const std::string& text = *entry->second.getIf<std::string>();
        // A text beyond ASCII is never base64, so it gives the fallback
        // whatever its length.
        if (isBinaryList(bytes) && isAscii(text)) {
            require(isWholeStringOfBinaryList(bytes, text),
                    "the entry is a whole string of the binary list", text);
        }
        checkRecordFor(text, record);
    }
}

void checkBootstrapString(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkRecordFor(text, PatientBootstrap::fromBootstrapString(text));
}

namespace {

bool isDecimalInteger(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    if (text.empty() || (text.size() > 1 && text.front() == '0')) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool isPlainNumber(std::string_view text) {
    if (text.empty() || (text.size() > 1 && text.front() == '0')) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Whole years from local midnight of y-m-d to 2026-12-08 12:00, by the
// calendar rules anyone would use, for ordinary dates (day at most 28, so
// leap days never come into it).
long long expectedAge(long long year, long long month, long long day) {
    const bool birthdayLater = month > 12 || (month == 12 && day > 8);
    if (year < 2026 || (year == 2026 && !birthdayLater)) {
        return 2026 - year - (birthdayLater ? 1 : 0);
    }
    const long long ahead = year - 2026 - 1 + (birthdayLater ? 1 : 0);
    return ahead > 0 ? -ahead : 0;
}

}  // namespace

void checkBirthDate(const std::uint8_t* data, std::size_t size) {
    static const bool zonePinned = [] {
        setenv("TZ", "UTC", 1);
        tzset();
        foundation::resetCurrentTimeZone();
        return true;
    }();
    (void)zonePinned;
    static const foundation::FixedClock clock(
        *foundation::Calendar::inTimeZone("UTC").instant({2026, 12, 8}, 12, 0, 0));

    const std::string text(reinterpret_cast<const char*>(data), size);
    const PatientBootstrap record("Fuzz", text, "Clinic");
    const std::string age = record.ageText(clock);
    const std::string display = record.displayDateOfBirth();
    const auto components = record.dateComponents();

    require(age == "Unknown" || isDecimalInteger(age), "age is Unknown or a decimal integer", age);
    if (!components) {
        require(display == text, "an unparsed date shows the stored text", display);
        require(age == "Unknown", "an unparsed date has an unknown age", age);
        return;
    }
    // Three plain numbers joined by "/", and they are the parsed ones.
    const auto first = display.find('/');
    const auto second = display.find('/', first == std::string::npos ? first : first + 1);
    require(first != std::string::npos && second != std::string::npos &&
                display.find('/', second + 1) == std::string::npos,
            "display date has exactly two slashes", display);
    const std::string month = display.substr(0, first);
    const std::string day = display.substr(first + 1, second - first - 1);
    const std::string year = display.substr(second + 1);
    require(isPlainNumber(month) && isPlainNumber(day) && isPlainNumber(year),
            "display date is three decimal integers", display);
    require(month == std::to_string(components->month) && day == std::to_string(components->day) &&
                year == std::to_string(components->year),
            "display date shows the parsed numbers", display);

    const bool ordinary = components->year <= 100'000 && components->month >= 1 &&
                          components->month <= 12 && components->day >= 1 && components->day <= 28;
    if (ordinary) {
        require(age == std::to_string(expectedAge(components->year, components->month, components->day)),
                "ordinary dates give the calendar age", text + " -> " + age);
    }
    // Within ICU's range the age is always known.
    const bool representable = components->year <= 5'000'000 && components->month <= 1'000 &&
                               components->day <= 100'000;
    if (representable) require(age != "Unknown", "representable dates have an age", text);
}

}  // namespace fuzzchecks
