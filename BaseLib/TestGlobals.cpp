#include "TestGlobals.h"

int g_jitterTest = 0;
double g_jitterXThreshold = 0.0;
double g_jitterYThreshold = 0.0;
int g_disconnectionTest = 0;
int g_disconnectTestPeriod = 0;
