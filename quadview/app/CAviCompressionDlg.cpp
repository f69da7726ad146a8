#include "CAviCompressionDlg.h"

#include "CIconButton.h"
#include "KWAviCodecs.h"
#include "KWModalDialog.h"
#include "QXDialogKit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
const char* const kTitle = "Video Compression";
const char* const kCompressorText = "Compressor:";
const char* const kQualityText = "Compression Quality:";
const char* const kKeyFrameText = "Key Frame Every";
const char* const kKeyFrameUnitText = "frames";
constexpr int kCompressorMinimumWidth = 240;
} // namespace

CAviCompressionDlg::CAviCompressionDlg(const KWAviCompressOptions& options, QWidget* parent)
    : QDialog(parent) {
    setObjectName("CAviCompressionDlg");
    setWindowTitle(kTitle);

    m_compressor = QXDialogKit::Named(new QComboBox(this), kIdCompressor);
    m_compressor->setMinimumWidth(kCompressorMinimumWidth);
    for (const KWAviCodec codec : KWAviCodecs::Offered()) {
        m_compressor->addItem(KWAviCodecs::Find(codec)->name, static_cast<unsigned>(codec));
        if (codec == options.codec)
            m_compressor->setCurrentIndex(m_compressor->count() - 1);
    }
    auto* compressorLabel = new QLabel(kCompressorText, this);
    compressorLabel->setBuddy(m_compressor);

    m_quality = QXDialogKit::Named(new QSlider(Qt::Horizontal, this), kIdQuality);
    m_quality->setRange(KWAviCodecs::kMinQuality, KWAviCodecs::kMaxQuality);
    m_quality->setValue(
        static_cast<int>(options.quality != 0 ? options.quality : KWAviCodecs::kDefaultQuality));
    m_qualityValue = QXDialogKit::Named(new QLabel(this), kIdQualityValue);
    // Wide enough for the largest value, so that the slider does not move while dragged.
    m_qualityValue->setMinimumWidth(
        m_qualityValue->fontMetrics().horizontalAdvance(QString::number(m_quality->maximum())));
    m_qualityValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_qualityLabel = new QLabel(kQualityText, this);
    m_qualityLabel->setBuddy(m_quality);

    m_keyFrameEvery = QXDialogKit::Named(new QSpinBox(this), kIdKeyFrameEvery);
    m_keyFrameEvery->setRange(1, KWAviCodecs::kMaxKeyFrameEvery);
    m_keyFrameEvery->setValue(static_cast<int>(
        options.keyFrameEvery != 0 ? options.keyFrameEvery : KWAviCodecs::kDefaultKeyFrameEvery));
    m_keyFrameLabel = new QLabel(kKeyFrameText, this);
    m_keyFrameLabel->setBuddy(m_keyFrameEvery);
    m_keyFrameUnit = new QLabel(kKeyFrameUnitText, this);

    auto* grid = new QGridLayout;
    grid->addWidget(compressorLabel, 0, 0);
    grid->addWidget(m_compressor, 0, 1, 1, 2);
    grid->addWidget(m_qualityLabel, 1, 0);
    grid->addWidget(m_quality, 1, 1);
    grid->addWidget(m_qualityValue, 1, 2);
    grid->addWidget(m_keyFrameLabel, 2, 0);
    auto* keyFrames = new QHBoxLayout;
    keyFrames->addWidget(m_keyFrameEvery);
    keyFrames->addWidget(m_keyFrameUnit);
    keyFrames->addStretch();
    grid->addLayout(keyFrames, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(
        QXDialogKit::ButtonRow({QXDialogKit::OkButton(*this), QXDialogKit::CancelButton(*this)}));

    connect(m_compressor, &QComboBox::currentIndexChanged, this,
            &CAviCompressionDlg::ShowCompressor);
    connect(m_quality, &QSlider::valueChanged, m_qualityValue,
            [this](int value) { m_qualityValue->setText(QString::number(value)); });
    m_qualityValue->setText(QString::number(m_quality->value()));
    ShowCompressor();
}

bool CAviCompressionDlg::Choose(QWidget* owner, KWAviCompressOptions& options) {
    if (owner != nullptr) {
        owner->raise();
        owner->activateWindow();
    }
    CAviCompressionDlg dialog(options, owner);
    if (KWRunModal(dialog) != QDialog::Accepted)
        return false;
    options = dialog.GetOptions();
    return true;
}

KWAviCodec CAviCompressionDlg::ChosenCodec() const {
    return static_cast<KWAviCodec>(m_compressor->currentData().toUInt());
}

// Quality and key frames are offered only where the compressor has them.
void CAviCompressionDlg::ShowCompressor() {
    const KWAviCodecs::Info* info = KWAviCodecs::Find(ChosenCodec());
    const bool quality = info != nullptr && info->hasQuality;
    const bool keyFrames = info != nullptr && info->hasKeyFrames;
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_qualityLabel, m_quality, m_qualityValue})
        control->setEnabled(quality);
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_keyFrameLabel, m_keyFrameEvery, m_keyFrameUnit})
        control->setEnabled(keyFrames);
}

KWAviCompressOptions CAviCompressionDlg::GetOptions() const {
    KWAviCompressOptions options;
    options.codec = ChosenCodec();
    options.quality = static_cast<std::uint32_t>(m_quality->value());
    options.keyFrameEvery = static_cast<std::uint32_t>(m_keyFrameEvery->value());
    return options;
}
