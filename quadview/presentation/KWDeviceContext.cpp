#include "KWDeviceContext.h"

#include "KWDisplaySurface.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace {
// Faces the captions name, and the installed faces that stand in for them.
struct FaceSubstitute {
    const char* requested;
    const char* installed;
};
constexpr FaceSubstitute kFaceSubstitutes[] = {{"courier new", "Liberation Mono"}};

QString InstalledFace(const char* requested) {
    for (const auto& entry : kFaceSubstitutes) {
        if (QString::fromLatin1(requested).compare(QLatin1String(entry.requested),
                                                   Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(entry.installed);
    }
    return QString::fromLatin1(requested);
}

// A font whose line height and average character width match the requested cell.
QFont MakeFont(const KWFontSpec& request) {
    QFont font(InstalledFace(request.face));
    font.setWeight(static_cast<QFont::Weight>(request.weight));
    font.setStyleHint(QFont::TypeWriter);
    constexpr int kReferenceSize = 100;
    font.setPixelSize(kReferenceSize);
    const QFontMetricsF reference(font);
    const double lineHeight = reference.ascent() + reference.descent();
    const int pixelSize = std::max(1, qRound(request.height * kReferenceSize / lineHeight));
    font.setPixelSize(pixelSize);
    const double advance = QFontMetricsF(font).averageCharWidth();
    if (request.width > 0 && advance > 0)
        font.setStretch(std::clamp(qRound(100.0 * request.width / advance), 1, 4000));
    return font;
}
} // namespace

struct KWDeviceContext::Impl {
    QImage image;
    QPainter painter;
    bool swapRedBlue = false;
};

KWDeviceContext::KWDeviceContext(KWDisplaySurface& surface) : m_surface(surface) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    QImage::Format format;
    bool swap = false;
    switch (surface.GetLayout()) {
    case KWPixelLayout::kRGB565:
        format = QImage::Format_RGB16;
        break;
    case KWPixelLayout::kBGR565:
        // Painting with red and blue exchanged in every colour leaves each channel's blending
        // unchanged, so the 16-bit image format serves both orders.
        format = QImage::Format_RGB16;
        swap = true;
        break;
    case KWPixelLayout::kRGB24:
        format = QImage::Format_BGR888;
        break;
    case KWPixelLayout::kRGB32:
        format = QImage::Format_RGB32;
        break;
    default:
        return;
    }
    KWLockedSurface locked;
    if (surface.Lock(locked, true) != KWDisplayResult::kOk)
        return;
    m_impl = std::make_unique<Impl>();
    m_impl->image = QImage(locked.bits, locked.width, locked.height, locked.pitch, format);
    m_impl->swapRedBlue = swap;
    m_impl->painter.begin(&m_impl->image);
    m_impl->painter.setBackgroundMode(Qt::TransparentMode);
}

KWDeviceContext::~KWDeviceContext() {
    if (!m_impl)
        return;
    m_impl->painter.end();
    m_impl.reset();
    m_surface.Unlock();
}

void KWDeviceContext::SetFont(const KWFontSpec& font) {
    if (m_impl)
        m_impl->painter.setFont(MakeFont(font));
}

void KWDeviceContext::SetTextColor(std::uint32_t colorRef) {
    if (!m_impl)
        return;
    const int r = colorRef & 0xFF;
    const int g = (colorRef >> 8) & 0xFF;
    const int b = (colorRef >> 16) & 0xFF;
    m_impl->painter.setPen(m_impl->swapRedBlue ? QColor(b, g, r) : QColor(r, g, b));
}

void KWDeviceContext::TextOut(int x, int y, const std::string& text) {
    if (!m_impl)
        return;
    const QFontMetrics metrics(m_impl->painter.font());
    m_impl->painter.drawText(x, y + metrics.ascent(), QString::fromStdString(text));
}

KWSize KWDeviceContext::GetTextExtent(const std::string& text) const {
    if (!m_impl)
        return KWSize{};
    const QFontMetrics metrics(m_impl->painter.font());
    return KWSize{metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}
