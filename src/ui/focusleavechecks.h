#pragma once

#include <QHash>
#include <QObject>
#include <functional>

class QWidget;

// The checks that run when the focus leaves a field. A button action calls
// runForFocusedField() first, so a field is checked however the button was pressed (mouse,
// access key, Enter), as a click that takes the focus would do.
class FocusLeaveChecks : public QObject {
    Q_OBJECT
public:
    using Check = std::function<void()>;

    explicit FocusLeaveChecks(QObject* parent = nullptr) : QObject(parent) {}

    void add(QWidget* field, Check check);
    void runForFocusedField();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<const QObject*, Check> checks_;
};
