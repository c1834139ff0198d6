#include <gtest/gtest.h>

#include "patient/PatientBootstrap.hpp"
#include "resources/Bundle.hpp"

// This executable sits in a bundle folder of its own whose Info.plist holds
// a known patient; see CMakeLists.txt.
namespace {

using patient::PatientBootstrap;

// Runs first in this executable (and alone when CTest runs it).
TEST(CurrentTest, NothingIsReadBeforeFirstUse) {
    EXPECT_EQ(resources::Bundle::main().infoDictionaryReadCount(), 0u);
    const PatientBootstrap& record = PatientBootstrap::current();
    EXPECT_EQ(record.patientName(), "Ada Lovelace");
    EXPECT_EQ(record.dateOfBirth(), "1815-12-10");
    EXPECT_EQ(record.clinic(), "Marylebone Practice");
    EXPECT_EQ(resources::Bundle::main().infoDictionaryReadCount(), 1u);
}

}  // namespace
