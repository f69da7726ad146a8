#pragma once
#include <QComboBox>

// A drop-down list that tells when its list is dropped down, so the owner can remember the
// selection the user started from.
class CKWDropDownList : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;

signals:
    void droppedDown();
};
