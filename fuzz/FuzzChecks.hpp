#pragma once

#include <cstddef>
#include <cstdint>

// Property checks shared by the libFuzzer targets and the corpus replay
// test. Each takes one input and aborts with a message on stderr when a
// property does not hold; returning means the input passed.
namespace fuzzchecks {

// Info.plist bytes → Info dictionary → bootstrap record. The typed Info
// dictionary must agree with libplist's own tree wherever libplist can be
// trusted with the bytes, and the record must agree with an independent
// decoding of the bootstrap entry (or be the fallback).
void checkInfoPlist(const std::uint8_t* data, std::size_t size);

// The text of the bootstrap entry → record, against an independent strict
// base64 decoder and a plain JSON parse.
void checkBootstrapString(const std::uint8_t* data, std::size_t size);

// A dateOfBirth text → ageText and displayDateOfBirth, at a fixed instant in
// UTC: the age is "Unknown" or a decimal integer (the exact number for
// ordinary dates), the display date the stored text or three decimal
// integers joined by "/".
void checkBirthDate(const std::uint8_t* data, std::size_t size);

// The snapshot tool's script text (ScriptChecks.cpp).
void checkSnapshotScript(const std::uint8_t* data, std::size_t size);

// An XSETTINGS property, as another process may publish it (XSettingsChecks.cpp).
void checkXSettings(const std::uint8_t* data, std::size_t size);

}  // namespace fuzzchecks
