#pragma once

// Process-wide test values that the mass-production window sets before a test
// item and the raw-data states and the debug scene read.
extern int g_jitterTest;
extern double g_jitterXThreshold;
extern double g_jitterYThreshold;
extern int g_disconnectionTest;
extern int g_disconnectTestPeriod;
