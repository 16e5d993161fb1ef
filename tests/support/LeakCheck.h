#pragma once

#include <gtest/gtest.h>

// The suite runs with leak detection off. Runs one disabled test of this
// executable ("Suite.DISABLED_Name") in a child process with it on; fails with
// the child's report when that test fails or leaks.
::testing::AssertionResult RunsWithoutLeaks(const char* disabledTest);
