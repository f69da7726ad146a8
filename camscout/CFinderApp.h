#pragma once
#include "CamEndpoints.h"

#include <QApplication>

// The camera finder's application: connects the platform services to Qt and runs the main
// window; the program ends when the window closes.
class CFinderApp : public QApplication {
    Q_OBJECT
public:
    CFinderApp(int& argc, char** argv);

    // Shows the main window and runs until it closes; returns the window's exit code.
    int Run(const CamEndpoints& endpoints);
};
