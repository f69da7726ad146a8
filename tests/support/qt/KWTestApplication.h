#pragma once
#include "KWTempDir.h"

#include <QApplication>

#include <filesystem>

// The one QApplication of a Qt test program, made by its main before the tests run (or on
// first use). It is never destroyed: tearing it down among the static destructors crashes
// inside Qt. It runs on the offscreen platform unless QT_QPA_PLATFORM names another, draws
// caption text with Qt's fonts, and keeps user settings in a temporary folder of the test
// program, never in the user's own.
QApplication& KWTestApplication();

// User settings in a fresh, empty temporary folder for its lifetime.
class KWTempSettings {
public:
    KWTempSettings();
    ~KWTempSettings();
    KWTempSettings(const KWTempSettings&) = delete;
    KWTempSettings& operator=(const KWTempSettings&) = delete;

    const std::filesystem::path& Folder() const { return m_folder.Path(); }

private:
    KWTempDir m_folder;
};
