// What the GoogleTest suites share beyond the plain helpers: byte comparisons
// as assertions, and the shared fixtures, whose absence is counted and
// reported (or, with CI set, fails the test).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "file_bytes.h"

namespace wrenfield::testing {

// Equal bytes; on a difference, the sizes and the first differing offset.
::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected);

// A file of the shared fixtures: <shared>/fixtures/<relative>.
std::string FixturePath(const std::string& relative);

// True when that fixture is absent. Each absence is counted and the count
// reported when the suite ends; with CI set in the environment the test fails
// instead, since a full checkout must have the fixtures.
bool FixtureAbsent(const std::string& relative);

}  // namespace wrenfield::testing

// Skips the test (after counting it) when the shared fixture is absent.
#define SKIP_WITHOUT_FIXTURE(relative)               \
  if (::wrenfield::testing::FixtureAbsent(relative)) \
  GTEST_SKIP() << "shared fixture absent: " << (relative)
