#include "QvToolCaptionText.h"

#include "KWQtTextPainter.h"

QvToolCaptionText::QvToolCaptionText() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    m_application = std::make_unique<QGuiApplication>(m_argc, m_argv);
    KWInstallQtTextPainter();
}

QvToolCaptionText::~QvToolCaptionText() = default;
