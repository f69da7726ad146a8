#include "CAvToAviDialog.h"
#include "KWFileDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr const char* kTitle = "AV TO AVI";
constexpr const char* kInputLabel = "&Input File(*.av)";
constexpr const char* kOutputLabel = "&Output File(*.avi)";
constexpr const char* kBrowseText = "Browse...";
constexpr const char* kInputCaption = "Open";
constexpr const char* kInputFilter = "All Files (*.*);;MYS File Format (*.av)";
constexpr const char* kOutputCaption = "Save As";
constexpr const char* kOutputFilter = "AVI File Format (*.AVI)";
constexpr const char* kProposedOutput = "CAPTURE.AVI";
constexpr const char* kInputExtension = ".av";
constexpr const char* kOutputExtension = ".avi";

QPushButton* MakeBrowse(int id) {
    auto* button = new QPushButton(kBrowseText);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}
} // namespace

CAvToAviDialog::CAvToAviDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CAvToAviDialog");
    setWindowTitle(kTitle);

    m_input = new QLineEdit;
    m_input->setObjectName(QString::number(kIdInput));
    m_input->setMinimumWidth(320);
    m_output = new QLineEdit;
    m_output->setObjectName(QString::number(kIdOutput));
    auto* inputLabel = new QLabel(kInputLabel);
    inputLabel->setBuddy(m_input);
    auto* outputLabel = new QLabel(kOutputLabel);
    outputLabel->setBuddy(m_output);
    auto* inputBrowse = MakeBrowse(kIdInputBrowse);
    auto* outputBrowse = MakeBrowse(kIdOutputBrowse);
    connect(inputBrowse, &QPushButton::clicked, this, &CAvToAviDialog::BrowseInput);
    connect(outputBrowse, &QPushButton::clicked, this, &CAvToAviDialog::BrowseOutput);

    auto* grid = new QGridLayout;
    grid->addWidget(inputLabel, 0, 0, 1, 2);
    grid->addWidget(m_input, 1, 0);
    grid->addWidget(inputBrowse, 1, 1);
    grid->addWidget(outputLabel, 2, 0, 1, 2);
    grid->addWidget(m_output, 3, 0);
    grid->addWidget(outputBrowse, 3, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAvToAviDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAvToAviDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

QString CAvToAviDialog::Source() const {
    return m_input->text();
}

QString CAvToAviDialog::Destination() const {
    return m_output->text();
}

QString CAvToAviDialog::ProposeOutput(const QString& input) {
    if (input.endsWith(kInputExtension, Qt::CaseInsensitive)) {
        return input.left(input.size() - QString(kInputExtension).size()) + kOutputExtension;
    }
    return input + kOutputExtension;
}

void CAvToAviDialog::BrowseInput() {
    const QString chosen = KWShowFileDialog(
        this, KWFileDialogRequest{KWFileDialogKind::Open, kInputCaption, {}, kInputFilter, {}});
    if (chosen.isEmpty()) {
        return;
    }
    m_input->setText(chosen);
    if (m_output->text().isEmpty()) {
        m_output->setText(ProposeOutput(chosen));
    }
}

void CAvToAviDialog::BrowseOutput() {
    const QString chosen = KWShowFileDialog(
        this, KWFileDialogRequest{
                  KWFileDialogKind::Save, kOutputCaption, kProposedOutput, kOutputFilter, {}});
    if (!chosen.isEmpty()) {
        m_output->setText(chosen);
    }
}
