#pragma once

// The mass-production window's generated form (Ui_ZeltoMP), for code outside
// the apps library: AUTOUIC generates form headers only for includes it finds
// in a target's own files, so other targets reach the form through this header.
#include "ui_ZeltoMP.h"
