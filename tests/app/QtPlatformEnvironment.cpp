#include "KWQtPlatform.h"

#include <gtest/gtest.h>

namespace {
// The viewer's windows run with the platform's message delivery on the application's thread,
// as the viewer program sets it up.
class QtPlatformEnvironment : public ::testing::Environment {
public:
    void SetUp() override { KWInstallQtPlatform(); }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtPlatformEnvironment);
} // namespace
