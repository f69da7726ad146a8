#include "KWQtPlatform.h"

#include "KWMailbox.h"
#include "KWMessageBox.h"
#include "KWQtTextPainter.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>

namespace {
QMessageBox::Icon IconFor(unsigned flags) {
    switch (flags & KWMessageBoxFlags::kIconMask) {
    case KWMessageBoxFlags::kIconStop:
        return QMessageBox::Critical;
    case KWMessageBoxFlags::kIconQuestion:
        return QMessageBox::Question;
    case KWMessageBoxFlags::kIconExclamation:
        return QMessageBox::Warning;
    case KWMessageBoxFlags::kIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int CancelAnswer(unsigned flags) {
    switch (flags & KWMessageBoxFlags::kButtonMask) {
    case KWMessageBoxFlags::kYesNo:
        return KWMessageBoxAnswer::kNo;
    case KWMessageBoxFlags::kOkCancel:
        return KWMessageBoxAnswer::kCancel;
    default:
        return KWMessageBoxAnswer::kOk;
    }
}

int ShowOnGuiThread(const KWMessageBoxRequest& request) {
    QMessageBox box(IconFor(request.flags),
                    request.caption.empty() ? QApplication::applicationName()
                                            : QString::fromStdString(request.caption),
                    QString::fromStdString(request.text));
    switch (request.flags & KWMessageBoxFlags::kButtonMask) {
    case KWMessageBoxFlags::kYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case KWMessageBoxFlags::kOkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    const int answer = box.exec();
    // No button pressed: the program is ending and ended the box's loop. That is the cautious
    // answer, the one Escape gives, never a Yes nobody chose.
    if (box.clickedButton() == nullptr)
        return CancelAnswer(request.flags);
    switch (answer) {
    case QMessageBox::Yes:
        return KWMessageBoxAnswer::kYes;
    case QMessageBox::No:
        return KWMessageBoxAnswer::kNo;
    case QMessageBox::Cancel:
        return KWMessageBoxAnswer::kCancel;
    default:
        return KWMessageBoxAnswer::kOk;
    }
}
} // namespace

void KWInstallQtPlatform() {
    KWInstallQtTextPainter();
    auto gui = KWMailbox::ForCurrentThread();
    QPointer<QCoreApplication> app(QCoreApplication::instance());
    gui->SetWaker([app, weak = std::weak_ptr<KWMailbox>(gui)] {
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app.data(),
            [weak] {
                if (auto mailbox = weak.lock())
                    mailbox->DeliverAll();
            },
            Qt::QueuedConnection);
    });
    KWSetMessageBoxHandler([weak = std::weak_ptr<KWMailbox>(gui)](const KWMessageBoxRequest& r) {
        auto mailbox = weak.lock();
        if (!mailbox || mailbox->IsOwnerThread())
            return ShowOnGuiThread(r);
        return static_cast<int>(
            mailbox->Send(nullptr, [r] { return KWResult(ShowOnGuiThread(r)); }));
    });
}
