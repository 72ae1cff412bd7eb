#include "ui/focusleavechecks.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

void FocusLeaveChecks::add(QWidget* field, Check check) {
    checks_.insert(field, std::move(check));
    field->installEventFilter(this);
}

void FocusLeaveChecks::runForFocusedField() {
    if (const auto found = checks_.constFind(QApplication::focusWidget()); found != checks_.cend())
        found.value()();
}

bool FocusLeaveChecks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Switching to another program or opening a menu does not leave the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool leaves = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        if (const auto found = checks_.constFind(watched); leaves && found != checks_.cend())
            found.value()();
    }
    return QObject::eventFilter(watched, event);
}
