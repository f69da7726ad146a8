#include "CQXDirectDrawSurface7Capture.h"

CQXDirectDrawSurface7Capture::CQXDirectDrawSurface7Capture() {
    m_className = "CQXDirectDrawSurface7Capture";
    m_kind = kKindCapture;
}
