#include "CAviCompressionDlg.h"

#include "CIconButton.h"
#include "KWAviCodecs.h"
#include "KWLayoutCheck.h"
#include "KWModalDialog.h"
#include "QXDialogKit.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {
class CAviCompressionDlgTest : public ::testing::Test {
protected:
    void TearDown() override { KWSetModalHandler(nullptr); }

    template <typename Control> static Control* Find(const QDialog& dialog, int id) {
        return QXDialogKit::Find<Control>(dialog, id);
    }
    static void Choose(const QDialog& dialog, KWAviCodec codec) {
        auto* compressor = Find<QComboBox>(dialog, CAviCompressionDlg::kIdCompressor);
        compressor->setCurrentText(KWAviCodecs::Find(codec)->name);
    }
};
} // namespace

TEST_F(CAviCompressionDlgTest, ListsTheOfferedCompressorsAndStartsFromTheOptions) {
    KWAviCompressOptions options;
    options.codec = KWAviCodec::kMpeg4;
    options.quality = 40;
    options.keyFrameEvery = 10;
    CAviCompressionDlg dialog(options);
    EXPECT_EQ(dialog.windowTitle(), "Video Compression");
    auto* compressor = Find<QComboBox>(dialog, CAviCompressionDlg::kIdCompressor);
    const std::vector<KWAviCodec> offered = KWAviCodecs::Offered();
    ASSERT_EQ(compressor->count(), static_cast<int>(offered.size()));
    for (std::size_t i = 0; i < offered.size(); ++i)
        EXPECT_EQ(compressor->itemText(static_cast<int>(i)).toStdString(),
                  KWAviCodecs::Find(offered[i])->name);
    EXPECT_EQ(compressor->itemText(0), "Full Frames (Uncompressed)");
    EXPECT_EQ(compressor->currentText(), "MPEG-4 Part 2");
    EXPECT_EQ(Find<QSlider>(dialog, CAviCompressionDlg::kIdQuality)->value(), 40);
    EXPECT_EQ(Find<QLabel>(dialog, CAviCompressionDlg::kIdQualityValue)->text(), "40");
    EXPECT_EQ(Find<QSpinBox>(dialog, CAviCompressionDlg::kIdKeyFrameEvery)->value(), 10);
    EXPECT_EQ(dialog.GetOptions(), options);

    // Zeroed options: full frames with the compressors' defaults shown.
    const CAviCompressionDlg zeroed(KWAviCompressOptions{});
    EXPECT_EQ(zeroed.GetOptions().codec, KWAviCodec::kFullFrames);
    EXPECT_EQ(zeroed.GetOptions().quality, KWAviCodecs::kDefaultQuality);
    EXPECT_EQ(zeroed.GetOptions().keyFrameEvery, KWAviCodecs::kDefaultKeyFrameEvery);
}

TEST_F(CAviCompressionDlgTest, QualityAndKeyFramesAreOfferedOnlyWhereTheCompressorHasThem) {
    CAviCompressionDlg dialog(KWAviCompressOptions{});
    auto* quality = Find<QSlider>(dialog, CAviCompressionDlg::kIdQuality);
    auto* keyFrames = Find<QSpinBox>(dialog, CAviCompressionDlg::kIdKeyFrameEvery);
    const struct {
        KWAviCodec codec;
        bool quality;
        bool keyFrames;
    } cases[] = {{KWAviCodec::kFullFrames, false, false},
                 {KWAviCodec::kMotionJpeg, true, false},
                 {KWAviCodec::kMpeg4, true, true},
                 {KWAviCodec::kFfv1, false, true}};
    for (const auto& expected : cases) {
        Choose(dialog, expected.codec);
        EXPECT_EQ(quality->isEnabled(), expected.quality) << KWAviCodecs::Find(expected.codec)->key;
        EXPECT_EQ(keyFrames->isEnabled(), expected.keyFrames)
            << KWAviCodecs::Find(expected.codec)->key;
        EXPECT_EQ(dialog.GetOptions().codec, expected.codec);
    }
    EXPECT_TRUE(KWIsLaidOutCleanly(dialog));
}

TEST_F(CAviCompressionDlgTest, ChooseGivesTheChoiceOnOkAndKeepsTheOptionsOnCancel) {
    KWAviCompressOptions options;
    options.codec = KWAviCodec::kMotionJpeg;
    KWSetModalHandler([](QDialog& dialog) {
        Choose(dialog, KWAviCodec::kFfv1);
        Find<QSpinBox>(dialog, CAviCompressionDlg::kIdKeyFrameEvery)->setValue(5);
        Find<CIconButton>(dialog, QXDialogKit::kIdCancel)->click();
        return dialog.result();
    });
    EXPECT_FALSE(CAviCompressionDlg::Choose(nullptr, options));
    EXPECT_EQ(options.codec, KWAviCodec::kMotionJpeg);
    EXPECT_EQ(options.keyFrameEvery, 0u);

    KWSetModalHandler([](QDialog& dialog) {
        Choose(dialog, KWAviCodec::kFfv1);
        Find<QSpinBox>(dialog, CAviCompressionDlg::kIdKeyFrameEvery)->setValue(5);
        Find<CIconButton>(dialog, QXDialogKit::kIdOk)->click();
        return dialog.result();
    });
    EXPECT_TRUE(CAviCompressionDlg::Choose(nullptr, options));
    EXPECT_EQ(options.codec, KWAviCodec::kFfv1);
    EXPECT_EQ(options.keyFrameEvery, 5u);
}
