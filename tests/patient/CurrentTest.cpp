#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

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
    EXPECT_EQ(resources::Bundle::main().infoDictionaryReadCount(), 1u);
}

TEST(CurrentTest, ConcurrentFirstReadsLoadOnceAndShareTheRecord) {
    constexpr int kThreads = 16;
    std::latch start(kThreads);
    std::vector<const PatientBootstrap*> seen(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            seen[i] = &PatientBootstrap::current();
        });
    }
    for (auto& thread : threads) thread.join();

    for (const auto* record : seen) EXPECT_EQ(record, seen.front());
    EXPECT_EQ(seen.front()->patientName(), "Ada Lovelace");
    EXPECT_EQ(seen.front()->dateOfBirth(), "1815-12-10");
    EXPECT_EQ(seen.front()->clinic(), "Marylebone Practice");
    EXPECT_EQ(resources::Bundle::main().infoDictionaryReadCount(), 1u);
    // Later reads return the very same record.
    EXPECT_EQ(&PatientBootstrap::current(), seen.front());
}

}  // namespace
