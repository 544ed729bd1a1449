#include "gtest_support.h"

#include <cstdio>
#include <cstdlib>

namespace wrenfield::testing {
namespace {

int g_absentFixtures = 0;

// Reports the skipped count once the suite has run, in a line the test
// runner's skip rule recognises.
class FixtureReport : public ::testing::Environment {
 public:
  void TearDown() override {
    if (g_absentFixtures == 0) return;
    std::printf("%d tests skipped: shared fixtures absent from %s\n",
                ::testing::UnitTest::GetInstance()->skipped_test_count(), WRENFIELD_SHARED_DIR);
  }
};

::testing::Environment* const g_report = ::testing::AddGlobalTestEnvironment(new FixtureReport);

bool InContinuousIntegration() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && *ci != '\0';
}

}  // namespace

::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
  const std::string difference = DescribeDifference(actual, expected);
  if (difference.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << difference;
}

std::string FixturePath(const std::string& relative) {
  return std::string(WRENFIELD_SHARED_DIR) + "/fixtures/" + relative;
}

bool FixtureAbsent(const std::string& relative) {
  if (Exists(FixturePath(relative))) return false;
  if (InContinuousIntegration()) {
    ADD_FAILURE() << "shared fixture missing with CI set: " << FixturePath(relative);
  } else {
    ++g_absentFixtures;
  }
  return true;
}

}  // namespace wrenfield::testing
