#include "CKWDropDownList.h"

void CKWDropDownList::showPopup() {
    emit droppedDown();
    QComboBox::showPopup();
}
