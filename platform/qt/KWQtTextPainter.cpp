#include "KWQtTextPainter.h"

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
class KWQtTextPainter : public KWTextPainter {
public:
    KWQtTextPainter(const KWLockedSurface& locked, QImage::Format format, bool swapRedBlue)
        : m_image(locked.bits, locked.width, locked.height, locked.pitch, format),
          m_swapRedBlue(swapRedBlue) {
        m_painter.begin(&m_image);
        m_painter.setBackgroundMode(Qt::TransparentMode);
    }
    ~KWQtTextPainter() override { m_painter.end(); }

    void SetFont(const KWFontSpec& font) override { m_painter.setFont(MakeFont(font)); }

    void SetTextColor(std::uint32_t colorRef) override {
        const int r = colorRef & 0xFF;
        const int g = (colorRef >> 8) & 0xFF;
        const int b = (colorRef >> 16) & 0xFF;
        m_painter.setPen(m_swapRedBlue ? QColor(b, g, r) : QColor(r, g, b));
    }

    void TextOut(int x, int y, const std::string& text) override {
        const QFontMetrics metrics(m_painter.font());
        m_painter.drawText(x, y + metrics.ascent(), QString::fromStdString(text));
    }

    KWSize GetTextExtent(const std::string& text) const override {
        const QFontMetrics metrics(m_painter.font());
        return KWSize{metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
    }

private:
    QImage m_image;
    QPainter m_painter;
    bool m_swapRedBlue;
};

std::unique_ptr<KWTextPainter> CreatePainter(const KWLockedSurface& locked) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    switch (locked.layout) {
    case KWPixelLayout::kRGB565:
        return std::make_unique<KWQtTextPainter>(locked, QImage::Format_RGB16, false);
    case KWPixelLayout::kBGR565:
        // Painting with red and blue exchanged in every colour leaves each channel's blending
        // unchanged, so the 16-bit image format serves both orders.
        return std::make_unique<KWQtTextPainter>(locked, QImage::Format_RGB16, true);
    case KWPixelLayout::kRGB24:
        return std::make_unique<KWQtTextPainter>(locked, QImage::Format_BGR888, false);
    case KWPixelLayout::kRGB32:
        return std::make_unique<KWQtTextPainter>(locked, QImage::Format_RGB32, false);
    default:
        return nullptr;
    }
}
} // namespace

KWTextPainterFactory KWQtTextPainterFactory() {
    return CreatePainter;
}

void KWInstallQtTextPainter() {
    KWSetTextPainterFactory(KWQtTextPainterFactory());
}
