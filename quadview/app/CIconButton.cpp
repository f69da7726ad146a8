#include "CIconButton.h"

#include "CKWToolTip.h"
#include "QXIconSet.h"

#include <QApplication>
#include <QBitmap>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace {
// Space between the border and the image or text, and between the image and the text.
constexpr int kBorderMargin = 3;
constexpr int kImageTextGap = 3;

bool IsBlack(QRgb pixel) {
    return (pixel & RGB_MASK) == 0;
}

// The mask of a bitmap: opaque where the first image is not of the transparent colour.
QBitmap MaskOutside(const QImage& image, const QColor& transparent) {
    return QPixmap::fromImage(image.convertToFormat(QImage::Format_RGB32))
        .createMaskFromColor(transparent, Qt::MaskInColor);
}
} // namespace

CIconButton::CIconButton(QWidget* parent) : QAbstractButton(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    ResetColours(false);
    // Connected before any owner connects, so the button's own click handling comes first.
    connect(this, &QAbstractButton::clicked, this, &CIconButton::OnClicked);
}

CIconButton::~CIconButton() = default;

void CIconButton::SetColour(ColourLayer layer, int index, const QColor& colour, bool repaint) {
    if (index < 0 || index >= kColourCount) {
        return;
    }
    (layer == ColourLayer::Background ? m_background : m_foreground)[index] = colour;
    RepaintIf(repaint);
}

QColor CIconButton::GetColour(ColourLayer layer, int index) const {
    if (index < 0 || index >= kColourCount) {
        return {};
    }
    return (layer == ColourLayer::Background ? m_background : m_foreground)[index];
}

void CIconButton::ResetColours(bool repaint) {
    const QPalette palette = QApplication::palette();
    m_background.fill(palette.color(QPalette::Button));
    m_foreground.fill(palette.color(QPalette::ButtonText));
    RepaintIf(repaint);
}

void CIconButton::SetIcons(int first, int second) {
    if (m_imageKind == ImageKind::Icon && m_iconIds[0] == first && m_iconIds[1] == second) {
        return;
    }
    const QImage firstImage = QXIconSet::Image(first);
    QImage secondImage;
    if (second == kGreyImage || second == kDarkImage) {
        secondImage = DeriveImage(firstImage, second);
    } else if (second != kNoImage) {
        secondImage = QXIconSet::Image(second);
    }
    SetImages(ImageKind::Icon, firstImage, secondImage, {});
    m_iconIds = {first, second};
}

void CIconButton::SetIcons(const QImage& first, const QImage& second) {
    SetImages(ImageKind::Icon, first, second, {});
}

void CIconButton::SetIcons(const QImage& first, int derivedSecond) {
    SetImages(ImageKind::Icon, first, DeriveImage(first, derivedSecond), {});
}

void CIconButton::SetBitmaps(const QImage& first, const QColor& transparent, const QImage& second) {
    SetImages(ImageKind::Bitmap, first, second, transparent);
}

void CIconButton::SetBitmaps(const QImage& first, const QColor& transparent, int derivedSecond) {
    SetImages(ImageKind::Bitmap, first, DeriveImage(first, derivedSecond), transparent);
    // A derived copy changes the transparent colour's pixels too (unless they are black), so
    // it is cut out with the first image's mask.
    if (!m_images[1].isNull()) {
        m_images[1].setMask(MaskOutside(first, transparent));
    }
}

void CIconButton::ClearImages() {
    SetImages(ImageKind::None, {}, {}, {});
}

void CIconButton::SetImages(ImageKind kind, const QImage& first, const QImage& second,
                            const QColor& transparent) {
    m_images = {};
    m_iconIds = {kNoResource, kNoResource};
    m_imageKind = first.isNull() ? ImageKind::None : kind;
    m_imageSize = first.isNull() ? QSize() : first.size();
    if (m_imageKind == ImageKind::None) {
        update();
        return;
    }
    const std::array<const QImage*, 2> sources{&first, &second};
    for (std::size_t slot = 0; slot < sources.size(); ++slot) {
        if (sources[slot]->isNull()) {
            continue;
        }
        m_images[slot] = QPixmap::fromImage(*sources[slot]);
        if (kind == ImageKind::Bitmap) {
            m_images[slot].setMask(MaskOutside(*sources[slot], transparent));
        }
    }
    updateGeometry();
    update();
}

int CIconButton::ShownImageSlot() const {
    const bool idle = !m_hovered && !IsDrawnPressed();
    return idle && !m_images[1].isNull() ? 1 : 0;
}

QImage CIconButton::DeriveImage(const QImage& first, int derivation) {
    if (first.isNull() || (derivation != kGreyImage && derivation != kDarkImage)) {
        return {};
    }
    QImage image = first.convertToFormat(first.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                 : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if (IsBlack(pixel)) {
                continue;
            }
            const int r = qRed(pixel);
            const int g = qGreen(pixel);
            const int b = qBlue(pixel);
            if (derivation == kGreyImage) {
                const int grey = static_cast<int>(0.299 * r + 0.587 * g + 0.114 * b);
                line[x] = qRgba(grey, grey, grey, qAlpha(pixel));
            } else {
                const auto darker = [](int c) { return static_cast<int>(c - 0.3 * c); };
                line[x] = qRgba(darker(r), darker(g), darker(b), qAlpha(pixel));
            }
        }
    }
    return image;
}

void CIconButton::SizeToContent() {
    if (m_imageKind != ImageKind::None) {
        resize(sizeHint());
    }
}

QSize CIconButton::sizeHint() const {
    const int frame = 2 * kBorderMargin;
    QSize content = m_imageSize.isValid() ? m_imageSize : QSize(0, 0);
    if (!text().isEmpty()) {
        const QSize textSize = fontMetrics().size(0, text());
        switch (m_align) {
        case ImageAlign::AboveText:
            content = {std::max(content.width(), textSize.width()),
                       content.height() + kImageTextGap + textSize.height()};
            break;
        case ImageAlign::Overlap:
            content = content.expandedTo(textSize);
            break;
        default:
            content = {content.width() + kImageTextGap + textSize.width(),
                       std::max(content.height(), textSize.height())};
            break;
        }
    }
    return content + QSize(frame, frame);
}

void CIconButton::SetImageAlign(ImageAlign align, bool repaint) {
    m_align = align;
    RepaintIf(repaint);
}

void CIconButton::SetFlat(bool flat, bool repaint) {
    m_flat = flat;
    RepaintIf(repaint);
}

void CIconButton::SetDrawBorder(bool draw, bool repaint) {
    m_drawBorder = draw;
    RepaintIf(repaint);
}

void CIconButton::SetDrawTransparent(bool transparent, bool repaint) {
    m_drawTransparent = transparent;
    RepaintIf(repaint);
}

void CIconButton::SetTooltipText(const QString& text, bool activate) {
    if (!m_toolTip) {
        m_toolTip = new CKWToolTip(this);
    }
    m_toolTip->SetText(text, activate);
}

void CIconButton::ActivateTooltip(bool active) {
    if (m_toolTip) {
        m_toolTip->Activate(active);
    }
}

void CIconButton::SetButtonCursor(const std::optional<QCursor>& cursor) {
    if (cursor) {
        setCursor(*cursor);
    } else {
        unsetCursor();
    }
}

void CIconButton::SetCheckBox(bool checkBox) {
    setCheckable(checkBox);
    update();
}

void CIconButton::SetCheck(bool checked, bool repaint) {
    if (isCheckable()) {
        setChecked(checked);
    }
    RepaintIf(repaint);
}

void CIconButton::SetMenu(QMenu* menu, std::function<void(QMenu&)> beforeOpen) {
    m_menu = menu;
    m_beforeMenuOpens = std::move(beforeOpen);
}

bool CIconButton::SetUrl(const std::string& url) {
    if (url.size() > kMaxUrlBytes) {
        return false;
    }
    m_url = url;
    return true;
}

void CIconButton::OnClicked() {
    setFocus(Qt::MouseFocusReason);
    if (isCheckable()) {
        update(); // the framework has toggled the checked state already
        return;
    }
    if (m_menu) {
        m_menuOpen = true;
        update();
        if (m_beforeMenuOpens) {
            m_beforeMenuOpens(*m_menu);
        }
        QMenu* menu = m_menu;
        connect(
            menu, &QMenu::aboutToHide, this,
            [this] {
                m_menuOpen = false;
                update();
            },
            Qt::SingleShotConnection);
        connect(
            menu, &QMenu::triggered, this,
            [this](QAction* action) {
                // Posted, as the owner gets the command after the menu has closed.
                const int command = action->data().toInt();
                QMetaObject::invokeMethod(
                    this, [this, command] { emit menuCommand(command); }, Qt::QueuedConnection);
            },
            Qt::SingleShotConnection);
        menu->popup(mapToGlobal(QPoint(0, height())));
        return;
    }
    if (!m_url.empty()) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(m_url)));
    }
}

void CIconButton::SetHovered(bool hovered) {
    if (m_hovered != hovered) {
        m_hovered = hovered;
        update();
    }
}

void CIconButton::mouseMoveEvent(QMouseEvent* event) {
    const bool over = rect().contains(event->position().toPoint());
    const bool tracking = window()->isActiveWindow() || m_trackWhenInactive;
    SetHovered(over && tracking && isEnabled());
    QAbstractButton::mouseMoveEvent(event);
}

void CIconButton::leaveEvent(QEvent* event) {
    SetHovered(false);
    QAbstractButton::leaveEvent(event);
}

void CIconButton::focusOutEvent(QFocusEvent* event) {
    SetHovered(false);
    QAbstractButton::focusOutEvent(event);
}

void CIconButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        SetHovered(false);
    }
    QAbstractButton::changeEvent(event);
}

bool CIconButton::event(QEvent* event) {
    // A deactivated window or a modal window opening over this one cancels the hover.
    if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::WindowBlocked) {
        SetHovered(false);
    }
    return QAbstractButton::event(event);
}

bool CIconButton::IsDrawnPressed() const {
    if (isCheckable()) {
        return isDown() || isChecked();
    }
    return isDown() || m_menuOpen;
}

CIconButton::Layout CIconButton::LayOut(const QRect& content) const {
    Layout layout{QRect(), content};
    if (m_imageKind == ImageKind::None) {
        return layout;
    }
    const QSize size = m_imageSize;
    QRect image(QPoint(0, 0), size);
    image.moveCenter(content.center());
    if (text().isEmpty() || m_align == ImageAlign::Overlap) {
        layout.image = image;
        return layout;
    }
    switch (m_align) {
    case ImageAlign::LeftOfText:
        image.moveLeft(content.left());
        layout.text.setLeft(image.right() + 1 + kImageTextGap);
        break;
    case ImageAlign::RightOfText:
        image.moveRight(content.right());
        layout.text.setRight(image.left() - 1 - kImageTextGap);
        break;
    case ImageAlign::AboveText:
        image.moveTop(content.top());
        layout.text.setTop(image.bottom() + 1 + kImageTextGap);
        break;
    case ImageAlign::Overlap:
        break;
    }
    layout.image = image;
    return layout;
}

void CIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    const bool pressed = IsDrawnPressed();
    const int colourIndex = (m_hovered || pressed) ? kColourIn
                            : hasFocus()           ? kColourFocus
                                                   : kColourOut;
    if (!m_drawTransparent) {
        painter.fillRect(area, m_background[colourIndex]);
    }
    DrawBorder(painter, area, pressed);

    const QPoint pressShift = pressed && m_pressOffset ? QPoint(1, 1) : QPoint(0, 0);
    const Layout layout =
        LayOut(area.adjusted(kBorderMargin, kBorderMargin, -kBorderMargin, -kBorderMargin));
    if (m_imageKind != ImageKind::None) {
        painter.drawPixmap(layout.image.topLeft() + pressShift, m_images[ShownImageSlot()]);
    }
    if (!text().isEmpty()) {
        DrawText(painter, layout.text.translated(pressShift), colourIndex);
    }
}

void CIconButton::DrawBorder(QPainter& painter, const QRect& rect, bool pressed) const {
    const QPalette& colours = palette();
    const QColor highlight = colours.color(QPalette::Light);
    const QColor shadow = colours.color(QPalette::Dark);
    // A rectangle lit from the top left (raised) or from the bottom right (sunken).
    const auto edge = [&painter](const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    if (!pressed && !m_flat) {
        edge(rect, highlight, colours.color(QPalette::Shadow));
        edge(rect.adjusted(1, 1, -1, -1), colours.color(QPalette::Midlight), shadow);
    } else if (!pressed) {
        if (m_hovered && m_drawBorder) {
            edge(rect, highlight, shadow);
        }
    } else if (!m_flat) {
        painter.setPen(shadow);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    } else if (m_drawBorder) {
        edge(rect, shadow, highlight);
    }
}

void CIconButton::DrawText(QPainter& painter, const QRect& rect, int colourIndex) const {
    constexpr int kFlags = Qt::AlignCenter | Qt::TextWordWrap;
    if (!isEnabled()) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(rect.translated(1, 1), kFlags, text());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(rect, kFlags, text());
        return;
    }
    painter.setPen(m_foreground[colourIndex]);
    painter.drawText(rect, kFlags, text());
}

void CIconButton::RepaintIf(bool repaint) {
    if (repaint) {
        update();
    }
}
