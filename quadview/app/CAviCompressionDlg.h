#pragma once
#include "KWAviCompressOptions.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;

// "Video Compression": chooses the compressor of an AVI export among those this machine's
// FFmpeg offers, its picture quality where it has one and how often it writes a key frame
// where it does not write only key frames. Starts from the options it is given.
class CAviCompressionDlg : public QDialog {
    Q_OBJECT
public:
    // Control identifiers, also the controls' object names.
    static constexpr int kIdCompressor = 1101;
    static constexpr int kIdQuality = 1102;
    static constexpr int kIdQualityValue = 1103;
    static constexpr int kIdKeyFrameEvery = 1104;

    explicit CAviCompressionDlg(const KWAviCompressOptions& options, QWidget* parent = nullptr);

    // Runs the dialog modally for `owner`, which is raised first; on OK the options become the
    // choice made, on Cancel they stay. True on OK.
    static bool Choose(QWidget* owner, KWAviCompressOptions& options);

    // The choice the controls show.
    KWAviCompressOptions GetOptions() const;

private:
    void ShowCompressor();
    KWAviCodec ChosenCodec() const;

    QComboBox* m_compressor = nullptr;
    QLabel* m_qualityLabel = nullptr;
    QSlider* m_quality = nullptr;
    QLabel* m_qualityValue = nullptr;
    QLabel* m_keyFrameLabel = nullptr;
    QSpinBox* m_keyFrameEvery = nullptr;
    QLabel* m_keyFrameUnit = nullptr;
};
