#include "library/snmp/CvEdit.h"

#include <QFocusEvent>

#include "library/common/CvEditConstraint.h"
#include "platform/Ui.h"

CvEdit::CvEdit(QWidget* parent) : QLineEdit(parent) {}

CvEdit::~CvEdit() = default;

void CvEdit::SetConstraint(std::shared_ptr<const CvEditConstraint> constraint, int specifier) {
    constraint_ = std::move(constraint);
    specifier_ = specifier;
}

void CvEdit::SetText(const QString& text) {
    setText(text);
    // A value the program sets is shown from its start, as a text box shows a new text; the
    // user's own cursor moves are left alone.
    setCursorPosition(0);
}

bool CvEdit::CheckOnLeave() {
    if (!constraint_ || specifier_ < 0 || specifier_ >= constraint_->count()) return true;
    CvEditCheck check =
        CvEditConstraint::checkText(constraint_->specifier(specifier_), text().toStdString());
    if (check) return true;
    checking_ = true;
    platform::ui().messageBox(this, QStringLiteral("Warning"),
                              QString::fromStdString(check.message), platform::BoxButtons::Ok);
    checking_ = false;
    setFocus(Qt::OtherFocusReason);
    return false;
}

void CvEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A value the device sent is left alone until the user edits it, and the box the check
    // opens takes the focus itself, which must not start a second check.
    if (checking_ || !isModified() || event->reason() == Qt::PopupFocusReason ||
        event->reason() == Qt::ActiveWindowFocusReason)
        return;
    CheckOnLeave();
}
