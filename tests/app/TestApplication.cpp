#include "KWQtPlatform.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {
// One application object for the whole test program, with the platform's message delivery on
// its thread, as the viewer program sets it up.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        KWInstallQtPlatform();
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "test_app";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);
} // namespace
