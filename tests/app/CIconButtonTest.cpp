#include "CIconButton.h"
#include "CKWToolTip.h"
#include "QXIconSet.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace {
QImage Solid(const QColor& colour, QImage::Format format = QImage::Format_ARGB32) {
    QImage image(18, 18, format);
    image.fill(colour);
    return image;
}

QColor PixelAt(QWidget& widget, const QPoint& at) {
    return widget.grab().toImage().pixelColor(at);
}

// Receives the addresses the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};
} // namespace

class CIconButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window.resize(200, 100);
        m_button = new CIconButton(&m_window);
        m_button->setGeometry(10, 10, 60, 40);
        m_other = new CIconButton(&m_window);
        m_other->setGeometry(100, 10, 60, 40);
        m_window.show();
    }

    void MoveOver(CIconButton& button) {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&button, &move);
    }
    void Activate(bool active) {
        if (active) {
            QApplication::setActiveWindow(&m_window);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
        } else {
            QApplication::setActiveWindow(&m_elsewhere);
            ASSERT_FALSE(m_window.isActiveWindow());
        }
    }
    QPoint ImageCentre() const { return m_button->rect().center(); }

    QWidget m_window;
    QWidget m_elsewhere;
    CIconButton* m_button = nullptr;
    CIconButton* m_other = nullptr;
};

TEST(CIconButtonDerive, GreyAndDarkCopiesTruncateAndKeepBlackAndAlpha) {
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(100, 150, 200, 255));
    image.setPixel(1, 0, qRgba(255, 255, 255, 128));
    image.setPixel(2, 0, qRgba(0, 0, 0, 255));
    image.setPixel(3, 0, qRgba(1, 0, 0, 255));

    const QImage grey = CIconButton::DeriveImage(image, CIconButton::kGreyImage);
    EXPECT_EQ(grey.pixel(0, 0), qRgba(140, 140, 140, 255)); // 29.9 + 88.05 + 22.8
    EXPECT_EQ(grey.pixel(1, 0), qRgba(255, 255, 255, 128));
    EXPECT_EQ(grey.pixel(2, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(grey.pixel(3, 0), qRgba(0, 0, 0, 255)); // 0.299 truncates to 0

    const QImage dark = CIconButton::DeriveImage(image, CIconButton::kDarkImage);
    EXPECT_EQ(dark.pixel(0, 0), qRgba(70, 105, 140, 255));
    EXPECT_EQ(dark.pixel(1, 0), qRgba(178, 178, 178, 128)); // 255 - 76.5
    EXPECT_EQ(dark.pixel(2, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(dark.pixel(3, 0), qRgba(0, 0, 0, 255)); // 1 - 0.3 truncates to 0

    EXPECT_TRUE(CIconButton::DeriveImage(image, CIconButton::kNoImage).isNull());
    EXPECT_TRUE(CIconButton::DeriveImage(QImage(), CIconButton::kGreyImage).isNull());
}

TEST_F(CIconButtonTest, ShowsTheSecondImageWhileIdleAndTheFirstWhileHoveredOrPressed) {
    m_button->SetIcons(Solid(Qt::red), Solid(Qt::blue));
    Activate(true);
    EXPECT_EQ(PixelAt(*m_button, ImageCentre()), QColor(Qt::blue));

    MoveOver(*m_button);
    EXPECT_TRUE(m_button->IsHovered());
    EXPECT_EQ(PixelAt(*m_button, ImageCentre()), QColor(Qt::red));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_button, &leave);
    EXPECT_EQ(PixelAt(*m_button, ImageCentre()), QColor(Qt::blue));

    m_button->setDown(true);
    // Pressed: the first image, one pixel right and down.
    EXPECT_EQ(PixelAt(*m_button, ImageCentre()), QColor(Qt::red));
    m_button->SetPressOffset(false);
    m_button->setDown(false);

    m_button->SetIcons(Solid(Qt::red));
    EXPECT_EQ(PixelAt(*m_button, ImageCentre()), QColor(Qt::red));
}

TEST_F(CIconButtonTest, PressedImageMovesOnePixelUnlessTheOffsetIsSuppressed) {
    m_button->SetIcons(Solid(Qt::red));
    m_button->SetColour(CIconButton::ColourLayer::Background, CIconButton::kColourIn, Qt::green);
    const QRect image(QPoint(0, 0), QSize(18, 18));
    const QPoint topLeft = m_button->rect().center() - image.center();
    m_button->setDown(true);
    EXPECT_EQ(PixelAt(*m_button, topLeft), QColor(Qt::green));
    EXPECT_EQ(PixelAt(*m_button, topLeft + QPoint(1, 1)), QColor(Qt::red));
    m_button->SetPressOffset(false);
    EXPECT_EQ(PixelAt(*m_button, topLeft), QColor(Qt::red));
}

TEST_F(CIconButtonTest, DerivedSecondImagesAreShownWhileIdle) {
    m_button->SetIcons(Solid(QColor(100, 150, 200)), CIconButton::kDarkImage);
    EXPECT_EQ(PixelAt(*m_button, ImageCentre()), QColor(70, 105, 140));
    m_button->SetIcons(Solid(QColor(100, 150, 200)), CIconButton::kGreyImage);
    EXPECT_EQ(PixelAt(*m_button, ImageCentre()), QColor(140, 140, 140));
}

TEST_F(CIconButtonTest, BitmapsShowTheBackgroundWhereTheyHaveTheTransparentColour) {
    QImage bitmap = Solid(Qt::magenta, QImage::Format_RGB32);
    bitmap.setPixelColor(9, 9, Qt::yellow);
    m_button->SetColour(CIconButton::ColourLayer::Background, CIconButton::kColourOut, Qt::cyan);
    m_button->SetBitmaps(bitmap, Qt::magenta, CIconButton::kGreyImage);
    const QPoint topLeft = m_button->rect().center() - QRect(0, 0, 18, 18).center();
    // The derived copy is cut out like the first image, not by its own (now grey) colour.
    EXPECT_EQ(PixelAt(*m_button, topLeft), QColor(Qt::cyan));
    const int grey = static_cast<int>(0.299 * 255 + 0.587 * 255);
    EXPECT_EQ(PixelAt(*m_button, topLeft + QPoint(9, 9)), QColor(grey, grey, grey));
}

TEST_F(CIconButtonTest, LoadingTheSameIconPairTwiceKeepsTheLoadedImages) {
    m_button->SetIcons(QXIconSet::kOk, QXIconSet::kCancel);
    ASSERT_FALSE(m_button->Image(1).isNull());
    const qint64 first = m_button->Image(0).cacheKey();
    const qint64 second = m_button->Image(1).cacheKey();
    m_button->SetIcons(QXIconSet::kOk, QXIconSet::kCancel);
    EXPECT_EQ(m_button->Image(0).cacheKey(), first);
    EXPECT_EQ(m_button->Image(1).cacheKey(), second);
    m_button->SetIcons(QXIconSet::kOk, CIconButton::kGreyImage);
    EXPECT_NE(m_button->Image(1).cacheKey(), second);
    // Images set in between make the same identifiers load again.
    m_button->SetIcons(Solid(Qt::red));
    m_button->SetIcons(QXIconSet::kOk, QXIconSet::kCancel);
    EXPECT_NE(m_button->Image(0).cacheKey(), first);
}

TEST_F(CIconButtonTest, HoverNeedsAnActiveWindowUnlessTrackingWhenInactive) {
    Activate(false);
    MoveOver(*m_button);
    EXPECT_FALSE(m_button->IsHovered());
    m_button->SetTrackWhenInactive(true);
    MoveOver(*m_button);
    EXPECT_TRUE(m_button->IsHovered());

    m_button->SetTrackWhenInactive(false);
    Activate(true);
    MoveOver(*m_button);
    EXPECT_TRUE(m_button->IsHovered());
}

TEST_F(CIconButtonTest, LeaveDeactivationModalBlockFocusLossAndDisablingClearTheHover) {
    Activate(true);
    const std::vector<std::function<void()>> clearers = {
        [&] {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(m_button, &leave);
        },
        [&] {
            QEvent deactivate(QEvent::WindowDeactivate);
            QApplication::sendEvent(m_button, &deactivate);
        },
        [&] {
            QEvent blocked(QEvent::WindowBlocked);
            QApplication::sendEvent(m_button, &blocked);
        },
        [&] {
            m_button->setFocus();
            m_other->setFocus();
        },
        [&] { m_button->setEnabled(false); },
    };
    for (std::size_t i = 0; i < clearers.size(); ++i) {
        MoveOver(*m_button);
        ASSERT_TRUE(m_button->IsHovered()) << i;
        clearers[i]();
        EXPECT_FALSE(m_button->IsHovered()) << i;
    }
    // A disabled button gives its focus on.
    m_button->setEnabled(true);
    m_button->setFocus();
    m_button->setEnabled(false);
    EXPECT_FALSE(m_button->hasFocus());
}

TEST_F(CIconButtonTest, ColoursFollowTheStateAndIgnoreIndicesFromThree) {
    using Layer = CIconButton::ColourLayer;
    m_button->SetColour(Layer::Background, CIconButton::kColourIn, Qt::red);
    m_button->SetColour(Layer::Background, CIconButton::kColourOut, Qt::green);
    m_button->SetColour(Layer::Background, CIconButton::kColourFocus, Qt::blue);
    m_button->SetColour(Layer::Background, 3, Qt::yellow);
    EXPECT_FALSE(m_button->GetColour(Layer::Background, 3).isValid());
    EXPECT_EQ(m_button->GetColour(Layer::Background, 2), QColor(Qt::blue));

    Activate(true);
    m_other->setFocus();
    const QPoint inside(20, 20);
    EXPECT_EQ(PixelAt(*m_button, inside), QColor(Qt::green));
    m_button->setFocus();
    EXPECT_EQ(PixelAt(*m_button, inside), QColor(Qt::blue));
    MoveOver(*m_button);
    EXPECT_EQ(PixelAt(*m_button, inside), QColor(Qt::red));

    m_button->ResetColours();
    EXPECT_EQ(m_button->GetColour(Layer::Background, 0),
              QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(m_button->GetColour(Layer::Foreground, 2),
              QApplication::palette().color(QPalette::ButtonText));
}

TEST_F(CIconButtonTest, DisabledTextIsDrawnInTheHighlightAndTheShadowColour) {
    m_button->setText("Wide text");
    m_button->setEnabled(false);
    const QImage picture = m_button->grab().toImage();
    const QColor light = m_button->palette().color(QPalette::Light);
    const QColor dark = m_button->palette().color(QPalette::Dark);
    bool hasLight = false;
    bool hasDark = false;
    for (int y = 4; y < picture.height() - 4; ++y) {
        for (int x = 4; x < picture.width() - 4; ++x) {
            hasLight |= picture.pixelColor(x, y) == light;
            hasDark |= picture.pixelColor(x, y) == dark;
        }
    }
    EXPECT_TRUE(hasLight);
    EXPECT_TRUE(hasDark);
}

TEST_F(CIconButtonTest, ADoubleClickCountsAsASecondPress) {
    int clicks = 0;
    QObject::connect(m_button, &QAbstractButton::clicked, [&] { ++clicks; });
    // The order a fast double click arrives in: down, up, double click, up.
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent event(type, QPointF(5, 5), m_button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_button, &event);
    }
    EXPECT_EQ(clicks, 2);
}

TEST_F(CIconButtonTest, CheckBoxModeTogglesBeforeTheOwnerHearsOfTheClick) {
    m_button->SetIcons(Solid(Qt::red), Solid(Qt::blue));
    m_button->SetCheckBox(true);
    std::vector<bool> seen;
    QObject::connect(m_button, &QAbstractButton::clicked,
                     [&] { seen.push_back(m_button->GetCheck()); });
    m_button->click();
    m_button->click();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    m_button->SetCheck(true);
    // A checked box is drawn pressed: the first image.
    EXPECT_EQ(m_button->ShownImageSlot(), 0);
    EXPECT_EQ(PixelAt(*m_button, ImageCentre() + QPoint(1, 1)), QColor(Qt::red));
}

TEST_F(CIconButtonTest, MenuOpensAtTheLowerLeftCornerAndPostsTheChosenCommand) {
    QMenu menu;
    QAction* about = menu.addAction("About");
    about->setData(32781);
    int notified = 0;
    m_button->SetMenu(&menu, [&](QMenu& opened) {
        EXPECT_EQ(&opened, &menu);
        ++notified;
    });
    std::vector<int> commands;
    QObject::connect(m_button, &CIconButton::menuCommand,
                     [&](int command) { commands.push_back(command); });

    m_button->click();
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(menu.pos(), m_button->mapToGlobal(QPoint(0, m_button->height())));
    EXPECT_TRUE(m_button->IsMenuOpen());
    EXPECT_EQ(m_button->ShownImageSlot(), 0);

    about->trigger();
    menu.hide();
    EXPECT_FALSE(m_button->IsMenuOpen());
    EXPECT_TRUE(commands.empty()) << "the command is posted, not sent";
    QApplication::processEvents();
    EXPECT_EQ(commands, std::vector<int>{32781});
}

TEST_F(CIconButtonTest, OpensItsWebAddressAndRefusesAnOverlongOne) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    EXPECT_FALSE(m_button->SetUrl("https://" + std::string(CIconButton::kMaxUrlBytes, 'a')));
    m_button->click();
    EXPECT_TRUE(catcher.opened.isEmpty());
    ASSERT_TRUE(m_button->SetUrl("https://example.invalid/help"));
    m_button->click();
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].toString(), "https://example.invalid/help");
}

TEST_F(CIconButtonTest, TooltipIsInactiveUntilATextIsSetAndWrapsLongTipsAt400Pixels) {
    EXPECT_EQ(m_button->ToolTip(), nullptr);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), m_button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(m_button, &help);
    EXPECT_EQ(m_button->ToolTip(), nullptr);

    m_button->SetTooltipText("Audio Disabled\r\nPress to enable Audio.");
    QApplication::sendEvent(m_button, &help);
    const QLabel* tip = m_button->ToolTip()->Window();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->text(), "Audio Disabled\nPress to enable Audio.");
    EXPECT_LT(tip->width(), CKWToolTip::kMaxTipWidth);
    const int twoLines = tip->height();

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_button, &leave);
    EXPECT_EQ(m_button->ToolTip()->Window(), nullptr);

    m_button->SetTooltipText(QString("A long tip that goes on and on ").repeated(6));
    QApplication::sendEvent(m_button, &help);
    tip = m_button->ToolTip()->Window();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->width(), CKWToolTip::kMaxTipWidth);
    EXPECT_GT(tip->height(), twoLines);

    m_button->ActivateTooltip(false);
    EXPECT_EQ(m_button->ToolTip()->Window(), nullptr);
    QApplication::sendEvent(m_button, &help);
    EXPECT_EQ(m_button->ToolTip()->Window(), nullptr);
}

TEST_F(CIconButtonTest, ShowsItsCursorWhenOneIsSet) {
    EXPECT_FALSE(m_button->testAttribute(Qt::WA_SetCursor));
    m_button->SetButtonCursor(QCursor(Qt::PointingHandCursor));
    EXPECT_EQ(m_button->cursor().shape(), Qt::PointingHandCursor);
    m_button->SetButtonCursor(std::nullopt);
    EXPECT_FALSE(m_button->testAttribute(Qt::WA_SetCursor));
}

#include "CIconButtonTest.moc"
