#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "foundation/Calendar.hpp"
#include "foundation/Clock.hpp"
#include "resources/Bundle.hpp"
#include "resources/PropertyList.hpp"

namespace patient {

// Why a bootstrap document could not be decoded. The loader discards these
// (every failure becomes the fallback record); they exist so the decoding
// can be tested step by step.
class DecodingError : public std::runtime_error {
  public:
    enum class Kind {
        dataCorrupted,  // not JSON at all, or nested too deep to be read
        typeMismatch,   // a value of the wrong type: the document, or a member
        keyNotFound,    // a required member is missing
        valueNotFound,  // a required member is null
    };

    DecodingError(Kind kind, std::string key, const std::string& message)
        : std::runtime_error(message), kind_(kind), key_(std::move(key)) {}

    Kind kind() const { return kind_; }
    // The member at fault; empty when the document as a whole is.
    const std::string& key() const { return key_; }

  private:
    Kind kind_;
    std::string key_;
};

// The patient whose chart the app shows: name, date of birth and clinic,
// three texts set once and never changed. The record comes either whole
// from the configuration or whole from the fallback; nothing checks or
// repairs the texts.
class PatientBootstrap {
  public:
    // The JSON member names of the record, one per field. Looking a key up by
    // text matches exactly (case-sensitive); the keys have no integer form.
    // Nothing in the app asks for that form, but fromInt and intValue are
    // part of the coding-key interface the record's decoding is specified
    // with, so they stay, answering "none".
    class CodingKeys {
      public:
        enum Value { patientName, dateOfBirth, clinic };

        constexpr CodingKeys(Value value) : value_(value) {}

        static std::optional<CodingKeys> fromString(std::string_view text);
        static std::optional<CodingKeys> fromInt(int) { return std::nullopt; }

        std::string_view stringValue() const;
        std::optional<int> intValue() const { return std::nullopt; }
        Value value() const { return value_; }

        friend bool operator==(CodingKeys, CodingKeys) = default;

      private:
        Value value_;
    };

    // The Info dictionary key that holds the bootstrap document.
    static constexpr std::string_view kInfoDictionaryKey = "NorvelPatientBootstrap";

    PatientBootstrap(std::string patientName, std::string dateOfBirth, std::string clinic);

    // Decodes a JSON document in UTF-8: an object whose members
    // "patientName", "dateOfBirth" and "clinic" are all strings; other
    // members are ignored. Throws DecodingError for the first member (in that
    // order) that is missing, null or not a string, or when the bytes are no
    // JSON object. Documents nested more than kMaxJsonDepth deep count as
    // unreadable.
    explicit PatientBootstrap(std::span<const std::uint8_t> json);

    // "John Doe", born "2001-01-01", at "Norvel Test": the record shown
    // whenever the configuration is missing or unreadable.
    static const PatientBootstrap& fallback();

    // The patient of this process: loaded from the main bundle on first use,
    // exactly once even when several threads ask at the same moment, and the
    // same record from then on.
    static const PatientBootstrap& current();

    // The loading behind current(), for any bundle: the bundle's bootstrap
    // entry decoded, or the fallback on every failure. Silent by design.
    static PatientBootstrap load(const resources::Bundle& bundle);

    // The same, from a looked-up Info dictionary value (absent, or of any
    // property-list type).
    static PatientBootstrap fromInfoValue(const std::optional<resources::PlistValue>& value);

    // The same, from the text of the entry: strict base64 of a JSON document.
    static PatientBootstrap fromBootstrapString(std::string_view text);

    const std::string& patientName() const { return patientName_; }
    const std::string& dateOfBirth() const { return dateOfBirth_; }
    const std::string& clinic() const { return clinic_; }

    // dateOfBirth read as year, month and day. The text is split at every
    // "-", empty pieces dropped; there must be exactly three pieces, each an
    // optional "+" and ASCII digits that fit a signed 64-bit integer.
    // Months and days are not range-checked: 2001-13-45 passes through.
    std::optional<foundation::DateComponents> dateComponents() const;

    // Whole years from local midnight of the birth date to the clock's
    // instant in the current calendar: "25", "0", "-3". "Unknown" when the
    // date does not parse or the calendar cannot convert it.
    std::string ageText(const foundation::Clock& clock) const;
    std::string ageText() const;

    // Month/day/year as parsed, without zero fill ("1/1/2001", "13/45/2001"),
    // or dateOfBirth itself when it does not parse.
    std::string displayDateOfBirth() const;

  private:
    std::string patientName_;
    std::string dateOfBirth_;
    std::string clinic_;
};

// Bootstrap documents are three strings in one object; nothing legitimate
// nests deeper than this, and refusing deeper input keeps its handling flat.
inline constexpr int kMaxJsonDepth = 64;

}  // namespace patient
