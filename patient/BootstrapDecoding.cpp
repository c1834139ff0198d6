#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

#include "patient/PatientBootstrap.hpp"

namespace patient {
namespace {

using Json = nlohmann::json;

// What the document said about one of the record's members.
struct Member {
    enum class State { missing, null, string, otherType };
    State state = State::missing;
    std::string value;
};

// Reads the document as a stream of events instead of building a tree: the
// record needs three top-level strings, and a tree of untrusted depth is
// what overflows the stack when it is copied or destroyed. Nesting deeper
// than kMaxJsonDepth stops the parse.
class BootstrapReader final : public nlohmann::json_sax<Json> {
  public:
    bool topLevelIsObject() const { return topLevelIsObject_; }
    bool tooDeep() const { return tooDeep_; }
    const Member& member(PatientBootstrap::CodingKeys key) const { return members_[key.value()]; }

    bool null() override { return scalar(Member::State::null); }
    bool boolean(bool) override { return scalar(Member::State::otherType); }
    bool number_integer(number_integer_t) override { return scalar(Member::State::otherType); }
    bool number_unsigned(number_unsigned_t) override { return scalar(Member::State::otherType); }
    bool number_float(number_float_t, const string_t&) override {
        return scalar(Member::State::otherType);
    }
    bool binary(binary_t&) override { return scalar(Member::State::otherType); }

    bool string(string_t& value) override {
        if (Member* target = memberAwaitingValue()) {
            target->state = Member::State::string;
            target->value = std::move(value);
        }
        pendingKey_.reset();
        return true;
    }

    bool start_object(std::size_t) override {
        if (depth_ == 0) topLevelIsObject_ = true;
        return open();
    }
    bool start_array(std::size_t) override { return open(); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& name) override {
        pendingKey_.reset();
        // Only members of the top-level object count; the same names deeper
        // inside are just data.
        if (depth_ == 1) pendingKey_ = PatientBootstrap::CodingKeys::fromString(name);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

  private:
    Member* memberAwaitingValue() {
        if (depth_ != 1 || !pendingKey_) return nullptr;
        return &members_[pendingKey_->value()];
    }

    bool scalar(Member::State state) {
        if (Member* target = memberAwaitingValue()) {
            // A later duplicate member replaces an earlier one, as it would in
            // a decoded JSON object.
            target->state = state;
            target->value.clear();
        }
        pendingKey_.reset();
        return true;
    }

    bool open() {
        if (Member* target = memberAwaitingValue()) {
            target->state = Member::State::otherType;
            target->value.clear();
        }
        pendingKey_.reset();
        if (++depth_ > kMaxJsonDepth) {
            tooDeep_ = true;
            return false;
        }
        return true;
    }

    bool close() {
        --depth_;
        pendingKey_.reset();
        return true;
    }

    int depth_ = 0;
    bool topLevelIsObject_ = false;
    bool tooDeep_ = false;
    std::optional<PatientBootstrap::CodingKeys> pendingKey_;
    std::array<Member, 3> members_;
};

std::string requiredString(const BootstrapReader& reader, PatientBootstrap::CodingKeys key) {
    const Member& member = reader.member(key);
    const std::string name(key.stringValue());
    switch (member.state) {
        case Member::State::string:
            return member.value;
        case Member::State::missing:
            throw DecodingError(DecodingError::Kind::keyNotFound, name,
                                "no value associated with key \"" + name + "\"");
        case Member::State::null:
            throw DecodingError(DecodingError::Kind::valueNotFound, name,
                                "expected a string for key \"" + name + "\" but found null");
        case Member::State::otherType:
            break;
    }
    throw DecodingError(DecodingError::Kind::typeMismatch, name,
                        "expected a string for key \"" + name + "\"");
}

BootstrapReader readDocument(std::span<const std::uint8_t> json) {
    // JSON has no place for a raw NUL byte: it is not whitespace, and inside
    // a string it would have to be escaped. nlohmann-json takes one for the
    // end of the input, though, so a valid document followed by a NUL and
    // anything at all would pass as valid. Such bytes are no JSON document.
    if (std::find(json.begin(), json.end(), std::uint8_t{0}) != json.end()) {
        throw DecodingError(DecodingError::Kind::dataCorrupted, "", "the data is not valid JSON");
    }
    BootstrapReader reader;
    const bool parsed = Json::sax_parse(json.begin(), json.end(), &reader);
    if (reader.tooDeep()) {
        throw DecodingError(
            DecodingError::Kind::dataCorrupted, "",
            "the document nests deeper than " + std::to_string(kMaxJsonDepth) + " levels");
    }
    if (!parsed) {
        throw DecodingError(DecodingError::Kind::dataCorrupted, "", "the data is not valid JSON");
    }
    if (!reader.topLevelIsObject()) {
        throw DecodingError(DecodingError::Kind::typeMismatch, "",
                            "expected a JSON object at the top level");
    }
    return reader;
}

}  // namespace

std::optional<PatientBootstrap::CodingKeys> PatientBootstrap::CodingKeys::fromString(
    std::string_view text) {
    if (text == "patientName") return CodingKeys(patientName);
    if (text == "dateOfBirth") return CodingKeys(dateOfBirth);
    if (text == "clinic") return CodingKeys(clinic);
    return std::nullopt;
}

std::string_view PatientBootstrap::CodingKeys::stringValue() const {
    switch (value_) {
        case patientName:
            return "patientName";
        case dateOfBirth:
            return "dateOfBirth";
        case clinic:
            break;
    }
    return "clinic";
}

// The members are taken in field order, so the first faulty one (in that
// order) is the one reported, and no partial record is ever built.
PatientBootstrap::PatientBootstrap(std::span<const std::uint8_t> json)
    : PatientBootstrap([&] {
          const BootstrapReader reader = readDocument(json);
          std::string name = requiredString(reader, CodingKeys::patientName);
          std::string date = requiredString(reader, CodingKeys::dateOfBirth);
          std::string clinic = requiredString(reader, CodingKeys::clinic);
          return PatientBootstrap(std::move(name), std::move(date), std::move(clinic));
      }()) {}

}  // namespace patient
