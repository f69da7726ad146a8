#pragma once
#include <QAbstractButton>
#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>
#include <string>

class CKWToolTip;
class QMenu;

// The viewer's push button: paints itself with an icon or a bitmap and optional text, changes
// colour and image while the pointer is over it, can be flat, carries its own tooltip, and can
// instead act as a check box, open a pop-up menu or open a web address.
//
// Images come in pairs: the first is shown while the button is hovered or pressed, the second
// (when there is one) otherwise. A second image can be given, absent, or derived from the first
// (kGreyImage, kDarkImage).
class CIconButton : public QAbstractButton {
    Q_OBJECT
public:
    // Colour indices: hovered or pressed, normal, focused.
    static constexpr int kColourIn = 0;
    static constexpr int kColourOut = 1;
    static constexpr int kColourFocus = 2;
    static constexpr int kColourCount = 3;
    enum class ColourLayer { Background, Foreground };

    // Second-image choices besides an explicit image or resource identifier.
    static constexpr int kNoImage = 0;
    static constexpr int kGreyImage = -2;
    static constexpr int kDarkImage = -3;
    // The identifier remembered when no icon resource is loaded.
    static constexpr int kNoResource = -1;

    static constexpr std::size_t kMaxUrlBytes = 260;

    enum class ImageAlign { LeftOfText, RightOfText, AboveText, Overlap };

    explicit CIconButton(QWidget* parent = nullptr);
    ~CIconButton() override;

    // Colours; an index outside 0-2 is ignored (Get returns an invalid colour).
    void SetColour(ColourLayer layer, int index, const QColor& colour, bool repaint = true);
    QColor GetColour(ColourLayer layer, int index) const;
    // The palette's button face for every background, its button text for every foreground.
    void ResetColours(bool repaint = true);

    // Icons from the viewer's icon set (QXIconSet identifiers). `second` is an identifier,
    // kNoImage, kGreyImage or kDarkImage. Loading the pair that is already loaded does nothing.
    void SetIcons(int first, int second = kNoImage);
    // Icons from images (their alpha channel is kept).
    void SetIcons(const QImage& first, const QImage& second = {});
    void SetIcons(const QImage& first, int derivedSecond);
    // Opaque bitmaps: pixels of the transparent colour show the background.
    void SetBitmaps(const QImage& first, const QColor& transparent, const QImage& second = {});
    void SetBitmaps(const QImage& first, const QColor& transparent, int derivedSecond);
    // Frees the images; the button shows its text only.
    void ClearImages();
    // The icon set identifiers of the loaded pair; kNoResource when not loaded from the set.
    const std::array<int, 2>& IconIds() const { return m_iconIds; }
    // The image of each slot as drawn (null when absent), and its size.
    const QPixmap& Image(int slot) const { return m_images[slot]; }
    QSize ImageSize() const { return m_imageSize; }
    // The slot the next paint draws: the second image while idle, else the first.
    int ShownImageSlot() const;

    // The second image derived from `first`: kGreyImage turns every non-black pixel grey
    // (0.299 R + 0.587 G + 0.114 B), kDarkImage takes 30 % off each channel of every non-black
    // pixel; both truncate, keep black pixels black and keep alpha. Other values: a null image.
    static QImage DeriveImage(const QImage& first, int derivation);

    // Resizes the button to fit its image (plus border) when there is no text.
    void SizeToContent();

    void SetImageAlign(ImageAlign align, bool repaint = true);
    void SetFlat(bool flat, bool repaint = true);
    void SetDrawBorder(bool draw, bool repaint = true);
    void SetDrawTransparent(bool transparent, bool repaint = true);
    void SetPressOffset(bool offset) { m_pressOffset = offset; }
    void SetTrackWhenInactive(bool track) { m_trackWhenInactive = track; }

    // Tooltip: made on first use, inactive until a text is set.
    void SetTooltipText(const QString& text, bool activate = true);
    void ActivateTooltip(bool active);
    const CKWToolTip* ToolTip() const { return m_toolTip; }

    // The cursor shown over the button; none restores the parent's.
    void SetButtonCursor(const std::optional<QCursor>& cursor);

    // Check-box mode: a click toggles the checked state before the click is reported.
    void SetCheckBox(bool checkBox);
    bool IsCheckBox() const { return isCheckable(); }
    void SetCheck(bool checked, bool repaint = true);
    bool GetCheck() const { return isChecked(); }

    // A click opens `menu` at the button's lower-left corner (the button is drawn pressed while
    // it is open); the chosen action's command (its data as an integer) is posted as
    // menuCommand. `beforeOpen`, when set, sees the menu first. Null removes the menu.
    void SetMenu(QMenu* menu, std::function<void(QMenu&)> beforeOpen = {});
    bool IsMenuOpen() const { return m_menuOpen; }

    // A click opens the address with the desktop's URL handler. False (and no change) for an
    // address longer than kMaxUrlBytes bytes.
    bool SetUrl(const std::string& url);

    bool IsHovered() const { return m_hovered; }
    QSize sizeHint() const override;

signals:
    void menuCommand(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Layout {
        QRect image;
        QRect text;
    };
    enum class ImageKind { None, Icon, Bitmap };

    void SetImages(ImageKind kind, const QImage& first, const QImage& second,
                   const QColor& transparent);
    void SetHovered(bool hovered);
    void OnClicked();
    bool IsDrawnPressed() const;
    Layout LayOut(const QRect& content) const;
    void DrawBorder(QPainter& painter, const QRect& rect, bool pressed) const;
    void DrawText(QPainter& painter, const QRect& rect, int colourIndex) const;
    void RepaintIf(bool repaint);

    std::array<QColor, kColourCount> m_background;
    std::array<QColor, kColourCount> m_foreground;

    ImageKind m_imageKind = ImageKind::None;
    std::array<QPixmap, 2> m_images;
    QSize m_imageSize;
    std::array<int, 2> m_iconIds{kNoResource, kNoResource};

    bool m_flat = true;
    bool m_drawBorder = true;
    bool m_drawTransparent = false;
    bool m_trackWhenInactive = false;
    bool m_pressOffset = true;
    ImageAlign m_align = ImageAlign::LeftOfText;

    CKWToolTip* m_toolTip = nullptr;
    QPointer<QMenu> m_menu;
    std::function<void(QMenu&)> m_beforeMenuOpens;
    bool m_menuOpen = false;
    std::string m_url;
    bool m_hovered = false;
};
