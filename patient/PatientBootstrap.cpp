#include "patient/PatientBootstrap.hpp"

#include "foundation/Base64.hpp"

namespace patient {

PatientBootstrap::PatientBootstrap(std::string patientName, std::string dateOfBirth,
                                   std::string clinic)
    : patientName_(std::move(patientName)),
      dateOfBirth_(std::move(dateOfBirth)),
      clinic_(std::move(clinic)) {}

const PatientBootstrap& PatientBootstrap::fallback() {
    static const PatientBootstrap record("John Doe", "2001-01-01", "Norvel Test");
    return record;
}

const PatientBootstrap& PatientBootstrap::current() {
    // A function-local static is initialised exactly once; threads that
    // arrive meanwhile wait for it (C++11 and later).
    static const PatientBootstrap record = load(resources::Bundle::main());
    return record;
}

PatientBootstrap PatientBootstrap::load(const resources::Bundle& bundle) {
    return fromInfoValue(bundle.objectForInfoDictionaryKey(kInfoDictionaryKey));
}

PatientBootstrap PatientBootstrap::fromInfoValue(
    const std::optional<resources::PlistValue>& value) {
    if (!value) return fallback();
    const auto* text = value->getIf<std::string>();
    if (!text) return fallback();
    return fromBootstrapString(*text);
}

PatientBootstrap PatientBootstrap::fromBootstrapString(std::string_view text) {
    // The text is used exactly as stored: no trimming, so a stray line break
    // makes it invalid base64 like any other foreign character.
    const auto bytes = foundation::base64Decode(text);
    if (!bytes) return fallback();
    try {
        return PatientBootstrap(std::span<const std::uint8_t>(*bytes));
    } catch (const DecodingError&) {
        // Failures are silent by design: the fallback record is the answer.
        return fallback();
    }
}

}  // namespace patient
