#pragma once
#include "KWTextPainter.h"

// Text painting with Qt's fonts and QPainter, for the captions drawn into display surfaces.
// Needs a QGuiApplication (an offscreen one will do) while text is drawn.
KWTextPainterFactory KWQtTextPainterFactory();

// Installs the Qt painter for every device context the program opens from now on.
void KWInstallQtTextPainter();
