#pragma once
#include <QDialog>

class QLineEdit;

// "AV TO AVI": the recording to convert and the AVI file to write. Both start empty.
class CAvToAviDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdInput = 1018;
    static constexpr int kIdInputBrowse = 1019;
    static constexpr int kIdOutput = 1020;
    static constexpr int kIdOutputBrowse = 1021;

    explicit CAvToAviDialog(QWidget* parent = nullptr);

    QString Source() const;
    QString Destination() const;

    // The output proposed for an input: its final ".av" (either case) becomes ".avi"; any other
    // name gets ".avi" appended, so the proposal is never the input itself.
    static QString ProposeOutput(const QString& input);

private:
    void BrowseInput();
    void BrowseOutput();

    QLineEdit* m_input = nullptr;
    QLineEdit* m_output = nullptr;
};
