#include "KWLayoutCheck.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QWidget>

#include <vector>

namespace {
// Plain containers are looked into; every other widget is one control.
bool IsContainer(const QWidget& widget) {
    const char* kind = widget.metaObject()->className();
    return (qstrcmp(kind, "QWidget") == 0 || qstrcmp(kind, "QFrame") == 0) &&
           !widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
}

void CollectControls(QWidget& parent, std::vector<QWidget*>& controls) {
    for (QWidget* child : parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisible() || child->isWindow()) {
            continue;
        }
        if (IsContainer(*child)) {
            CollectControls(*child, controls);
        } else {
            controls.push_back(child);
        }
    }
}

QString Describe(const QWidget& widget) {
    return QString("%1 \"%2\"").arg(widget.metaObject()->className(), widget.objectName());
}

// The room the control's text needs, or an empty size when it has no text to fit.
QSize NeededSize(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        if (label->wordWrap() || label->text().isEmpty()) {
            return {};
        }
        return label->fontMetrics()
            .boundingRect(QRect(0, 0, 10000, 10000), int(label->alignment()), label->text())
            .size();
    }
    if (qobject_cast<const QAbstractButton*>(&control) ||
        qobject_cast<const QComboBox*>(&control)) {
        return control.minimumSizeHint().expandedTo(
            qobject_cast<const QComboBox*>(&control) ? QSize() : control.sizeHint());
    }
    return {};
}
} // namespace

::testing::AssertionResult KWIsLaidOutCleanly(QWidget& window) {
    window.show();
    QApplication::processEvents();
    std::vector<QWidget*> controls;
    CollectControls(window, controls);
    if (controls.empty()) {
        return ::testing::AssertionFailure() << "no controls";
    }
    const QRect inside = window.rect();
    std::vector<QRect> places;
    for (QWidget* control : controls) {
        const QRect place(control->mapTo(&window, QPoint(0, 0)), control->size());
        if (!inside.contains(place)) {
            return ::testing::AssertionFailure()
                   << Describe(*control).toStdString() << " reaches outside the window";
        }
        const QSize needed = NeededSize(*control);
        if (needed.isValid() && needed.width() > place.width()) {
            return ::testing::AssertionFailure()
                   << Describe(*control).toStdString() << " cuts its text: needs " << needed.width()
                   << " pixels, has " << place.width();
        }
        if (needed.isValid() && needed.height() > place.height()) {
            return ::testing::AssertionFailure()
                   << Describe(*control).toStdString() << " cuts its text: needs "
                   << needed.height() << " pixels high, has " << place.height();
        }
        places.push_back(place);
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        for (std::size_t j = i + 1; j < places.size(); ++j) {
            if (places[i].intersects(places[j])) {
                return ::testing::AssertionFailure()
                       << Describe(*controls[i]).toStdString() << " overlaps "
                       << Describe(*controls[j]).toStdString();
            }
        }
    }
    return ::testing::AssertionSuccess();
}
