#pragma once
#include <gtest/gtest.h>

class QWidget;

// Shows `window` (offscreen) and checks the controls it lays out: each lies inside the window,
// no two overlap, and each text fits its control (labels, buttons, drop-down lists).
::testing::AssertionResult KWIsLaidOutCleanly(QWidget& window);
