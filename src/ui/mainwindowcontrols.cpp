// The main window's controls: what they show, and the signals their use raises.
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <algorithm>
#include <array>
#include <utility>

#include "config/settings.h"
#include "log/activitylog.h"
#include "ui/mainwindow.h"
#include "ui/serverrowsmodel.h"

namespace {
using Option = MainWindow::Option;
using Field = MainWindow::Field;

struct OptionControl {
    Option option;
    QCheckBox* MainWidgets::*box;
    int Settings::*state;
};

const std::array<OptionControl, 7> OptionControls{{
    {Option::MinimizeOnLaunch, &MainWidgets::chkMinimizeOnLoad, &Settings::minimizeOnLaunch},
    {Option::UpdateOnLaunch, &MainWidgets::chkUpdateOnLoad, &Settings::updateOnLaunch},
    {Option::CloseAfterUpdate, &MainWidgets::chkCloseAfterUpdate, &Settings::closeAfterUpdate},
    {Option::Scheduled, &MainWidgets::chkSchedule, &Settings::scheduled},
    {Option::LoopList, &MainWidgets::chkLoop, &Settings::loopList},
    {Option::DaylightSaving, &MainWidgets::chkDaylightSavings, &Settings::daylightSaving},
    {Option::LaunchAtLogin, &MainWidgets::chkLoadOnStartUp, &Settings::launchAtLogin},
}};

// In the order of MainWindow::Field.
struct FieldControl {
    Field field;
    QLineEdit* MainWidgets::*edit;
    QString Settings::*text;  // null for the address fields
};

const std::array<FieldControl, 7> FieldControls{{
    {Field::UpdatePeriod, &MainWidgets::txtTimes, &Settings::updatePeriodText},
    {Field::ConnectWait, &MainWidgets::txtTimeout, &Settings::connectWaitText},
    {Field::MaxReplyDelay, &MainWidgets::txtMaxPing, &Settings::maxReplyDelayText},
    {Field::ReplyWait, &MainWidgets::txtForgetPing, &Settings::replyWaitText},
    {Field::Attempts, &MainWidgets::txtAttempts, &Settings::attemptsText},
    {Field::Host, &MainWidgets::txtIP, nullptr},
    {Field::Port, &MainWidgets::txtPort, nullptr},
}};

const OptionControl& controlOf(Option option) {
    return *std::find_if(
        OptionControls.begin(), OptionControls.end(),
        [option](const OptionControl& control) { return control.option == option; });
}

const FieldControl& controlOf(Field field) {
    return FieldControls.at(std::size_t(field));
}

void showText(QLineEdit* edit, const QString& text) {
    if (edit->text() != text)
        edit->setText(text);
}
}  // namespace

int Settings::*MainWindow::settingOf(Option option) {
    return controlOf(option).state;
}

QString Settings::*MainWindow::settingOf(Field field) {
    return controlOf(field).text;
}

void MainWindow::wireControls() {
    for (const OptionControl& control : OptionControls) {
        QCheckBox* box = w_.*control.box;
        connect(box, &QCheckBox::stateChanged, this,
                [this, box, option = control.option](int state) {
                    if (state != Qt::PartiallyChecked)
                        box->setTristate(false);
                    Q_EMIT optionEdited(option, state == Qt::Checked            ? 1
                                                : state == Qt::PartiallyChecked ? 2
                                                                                : 0);
                });
    }
    for (const FieldControl& control : FieldControls) {
        QLineEdit* edit = w_.*control.edit;
        const auto edited = [this, field = control.field](const QString& text) {
            Q_EMIT fieldEdited(field, text);
        };
        if (control.text)
            connect(edit, &QLineEdit::textChanged, this, edited);
        else
            connect(edit, &QLineEdit::textEdited, this, edited);
        checks_.add(edit, [this, field = control.field] { Q_EMIT fieldLeft(field); });
    }

    w_.lstServers->setModel(rows_);
    connect(w_.lstServers, &QListView::clicked, this,
            [this](const QModelIndex& row) { Q_EMIT serverRowClicked(row.row()); });
    connect(w_.lstServers->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& row) {
                if (!showingSelection_)
                    Q_EMIT serverRowChosen(row.row());
            });
    connect(w_.lstServers, &QListView::doubleClicked, this, &MainWindow::serverRowDoubleClicked);

    wireButton(w_.butUpdate, &MainWindow::updateRequested);
    wireButton(w_.butDisconnect, &MainWindow::cancelRequested);
    wireButton(w_.butHelp, &MainWindow::helpRequested);
    wireButton(w_.butAdd, &MainWindow::addRequested);
    wireButton(w_.butModify, &MainWindow::modifyRequested);
    wireButton(w_.butRemove, &MainWindow::removeRequested);
    wireButton(w_.butMoveUp, &MainWindow::moveUpRequested);
    wireButton(w_.butMoveDown, &MainWindow::moveDownRequested);

    w_.txtLog->setMaximumBlockCount(int(ActivityLog::DefaultKeptLines));
}

// Every button runs the check of the field it takes the focus from, then its action: however
// it was pressed (mouse, access key, Enter), as a click that takes the focus would.
void MainWindow::wireButton(QPushButton* button, void (MainWindow::*requested)()) {
    connect(button, &QPushButton::clicked, this, [this, requested] {
        checks_.runForFocusedField();
        Q_EMIT(this->*requested)();
    });
}

void MainWindow::showSettings(const Settings& settings) {
    for (const OptionControl& control : OptionControls)
        showOption(control.option, settings.*control.state);
    for (const FieldControl& control : FieldControls)
        if (control.text)
            showField(control.field, settings.*control.text);
}

void MainWindow::showOption(Option option, int state) {
    QCheckBox* box = w_.*controlOf(option).box;
    const QSignalBlocker blocker(box);
    box->setTristate(state == 2);
    box->setCheckState(state == 2   ? Qt::PartiallyChecked
                       : state == 1 ? Qt::Checked
                                    : Qt::Unchecked);
}

void MainWindow::showField(Field field, const QString& text) {
    showText(w_.*controlOf(field).edit, text);
}

void MainWindow::showClockTexts(const QString& yourTime, const QString& utcTime) {
    showText(w_.txtYourTime, yourTime);
    showText(w_.txtUTCTime, utcTime);
}

void MainWindow::showRows(int selectedIndex) {
    {
        const QScopedValueRollback showing(showingSelection_, true);
        rows_->refresh();
    }
    showSelection(selectedIndex);
}

void MainWindow::showSelection(int index) {
    const QScopedValueRollback showing(showingSelection_, true);
    w_.lstServers->selectionModel()->setCurrentIndex(rows_->index(index),
                                                     QItemSelectionModel::ClearAndSelect);
}

void MainWindow::setMoveStates(bool canMoveUp, bool canMoveDown) {
    w_.butMoveUp->setEnabled(canMoveUp);
    w_.butMoveDown->setEnabled(canMoveDown);
}

void MainWindow::appendLogLine(const QString& line) {
    w_.txtLog->appendPlainText(line);
    w_.txtLog->moveCursor(QTextCursor::End);
}
