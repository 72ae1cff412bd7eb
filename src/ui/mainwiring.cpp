#include "ui/mainwiring.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include "config/fieldchecks.h"
#include "config/settings.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "serverlist/addresschecks.h"
#include "serverlist/servereditor.h"
#include "serverlist/serverlist.h"
#include "ui/mainwindow.h"
#include "ui/serverrowsmodel.h"

namespace {
struct CheckOption {
    QCheckBox* MainControls::*box;
    int Settings::*state;
};

const CheckOption CheckOptions[] = {
    {&MainControls::chkMinimizeOnLoad, &Settings::minimizeOnLaunch},
    {&MainControls::chkUpdateOnLoad, &Settings::updateOnLaunch},
    {&MainControls::chkCloseAfterUpdate, &Settings::closeAfterUpdate},
    {&MainControls::chkSchedule, &Settings::scheduled},
    {&MainControls::chkLoop, &Settings::loopList},
    {&MainControls::chkDaylightSavings, &Settings::daylightSaving},
    {&MainControls::chkLoadOnStartUp, &Settings::launchAtLogin},
};

// A greyed state (2) comes only from the file; the user's next click leaves it for good.
void showCheckState(QCheckBox* box, int state) {
    const QSignalBlocker blocker(box);
    box->setTristate(state == 2);
    box->setCheckState(state == 2   ? Qt::PartiallyChecked
                       : state == 1 ? Qt::Checked
                                    : Qt::Unchecked);
}

void showText(QLineEdit* field, const QString& text) {
    if (field->text() != text)
        field->setText(text);
}
}  // namespace

MainWiring::MainWiring(MainWindow& window, const WindowModel& model)
    : QObject(&window),
      window_(window),
      c_(window.controls()),
      m_(model),
      rows_(new ServerRowsModel(model.servers, this)) {
    wireOptions();
    wireServerList();
    wireAddressFields();
    wireEngine();
    wireLog();
    onButton(c_.butHelp, [this] { Q_EMIT helpRequested(); });
    connect(&window, &MainWindow::updateFocusChanged, &m_.engine, &UpdateEngine::setUpdateHasFocus);
    connect(&window, &MainWindow::disconnectFocusChanged, &m_.engine,
            &UpdateEngine::setDisconnectHasFocus);
    showSettings();
    showRows();
    showAddress();
    showButtons();
}

void MainWiring::showSettings() {
    for (const CheckOption& option : CheckOptions)
        showCheckState(c_.*option.box, m_.settings.*option.state);
    showText(c_.txtTimes, m_.settings.updatePeriodText);
    showText(c_.txtTimeout, m_.settings.connectWaitText);
    showText(c_.txtMaxPing, m_.settings.maxReplyDelayText);
    showText(c_.txtForgetPing, m_.settings.replyWaitText);
    showText(c_.txtAttempts, m_.settings.attemptsText);
}

void MainWiring::wireOptions() {
    for (const CheckOption& option : CheckOptions) {
        QCheckBox* box = c_.*option.box;
        connect(box, &QCheckBox::stateChanged, this, [this, box, option](int state) {
            m_.settings.*option.state = state == Qt::Checked            ? 1
                                        : state == Qt::PartiallyChecked ? 2
                                                                        : 0;
            if (state != Qt::PartiallyChecked)
                box->setTristate(false);
            m_.optionEdited();
        });
    }
    connect(&m_.engine, &UpdateEngine::daylightOptionChanged, this,
            [this] { showCheckState(c_.chkDaylightSavings, m_.settings.daylightSaving); });
    wireNumberField(c_.txtTimes, &Settings::updatePeriodText, &checkedUpdatePeriod);
    wireNumberField(c_.txtTimeout, &Settings::connectWaitText, &checkedMilliseconds);
    wireNumberField(c_.txtMaxPing, &Settings::maxReplyDelayText, &checkedMilliseconds);
    wireNumberField(c_.txtForgetPing, &Settings::replyWaitText, &checkedMilliseconds);
    wireNumberField(c_.txtAttempts, &Settings::attemptsText, &checkedAttempts);
}

void MainWiring::wireNumberField(QLineEdit* field, QString Settings::*text,
                                 QString (*check)(const QString&)) {
    connect(field, &QLineEdit::textChanged, this, [this, text](const QString& edited) {
        m_.settings.*text = edited;
        m_.optionEdited();
    });
    checks_.add(field, [this, field, text, check] {
        showText(field, check(m_.settings.*text));
        // A new update period starts the schedule afresh.
        if (text == &Settings::updatePeriodText)
            m_.engine.scheduleNextUpdate();
    });
}

void MainWiring::wireServerList() {
    c_.lstServers->setModel(rows_);
    connect(&m_.servers, &ServerList::rowsChanged, this, &MainWiring::showRows);
    connect(&m_.servers, &ServerList::selectionChanged, this, &MainWiring::showSelection);
    // A click runs the selection handling even on the selected row: the fields show it again.
    connect(c_.lstServers, &QListView::clicked, this,
            [this](const QModelIndex& row) { m_.servers.select(row.row()); });
    connect(c_.lstServers->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& row) {
                if (!showingSelection_)
                    m_.servers.select(row.row());
            });
    connect(c_.lstServers, &QListView::doubleClicked, this,
            [this] { m_.engine.requestUpdateFromList(); });
    onButton(c_.butAdd, [this] { m_.editor.add(); });
    onButton(c_.butModify, [this] { m_.editor.modify(); });
    onButton(c_.butRemove, [this] { m_.editor.removeSelected(); });
    onButton(c_.butMoveUp, [this] { m_.editor.moveUp(); });
    onButton(c_.butMoveDown, [this] { m_.editor.moveDown(); });
}

void MainWiring::wireAddressFields() {
    connect(&m_.servers, &ServerList::addressChanged, this, &MainWiring::showAddress);
    connect(c_.txtIP, &QLineEdit::textEdited, this,
            [this](const QString& ip) { m_.servers.setAddress(ip, m_.servers.addressPort()); });
    connect(c_.txtPort, &QLineEdit::textEdited, this,
            [this](const QString& port) { m_.servers.setAddress(m_.servers.addressHost(), port); });
    checks_.add(c_.txtIP, [this] {
        const AddressFields checked =
            checkedAddress(m_.servers.addressHost(), m_.servers.addressPort());
        m_.servers.setAddress(checked.ip, checked.port);
    });
    checks_.add(c_.txtPort, [this] {
        m_.servers.setAddress(m_.servers.addressHost(), checkedPort(m_.servers.addressPort()));
    });
}

void MainWiring::wireEngine() {
    connect(&m_.engine, &UpdateEngine::buttonsChanged, this, &MainWiring::showButtons);
    connect(&m_.engine, &UpdateEngine::displaysChanged, this, &MainWiring::showDisplays);
    connect(&m_.engine, &UpdateEngine::focusRequested, this, [this](UpdateEngine::Button button) {
        window_.handFocusTo(button == UpdateEngine::Button::Update ? c_.butUpdate
                                                                   : c_.butDisconnect);
    });
    onButton(c_.butUpdate, [this] { m_.engine.requestUpdate(); });
    onButton(c_.butDisconnect, [this] { m_.engine.cancelUpdate(); });
}

void MainWiring::wireLog() {
    c_.txtLog->setMaximumBlockCount(int(m_.log.DefaultKeptLines));
    for (const QString& line : m_.log.lines())
        c_.txtLog->appendPlainText(line.chopped(2));
    connect(&m_.log, &ActivityLog::lineAdded, this, [this](const QString& line) {
        c_.txtLog->appendPlainText(line.chopped(2));  // each block is one line: no CR LF
        c_.txtLog->moveCursor(QTextCursor::End);
    });
}

void MainWiring::onButton(QPushButton* button, std::function<void()> action) {
    connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
        checks_.runForFocusedField();
        action();
    });
}

void MainWiring::showRows() {
    {
        const QScopedValueRollback showing(showingSelection_, true);
        rows_->refresh();
    }
    showSelection();
}

void MainWiring::showSelection() {
    {
        const QScopedValueRollback showing(showingSelection_, true);
        c_.lstServers->selectionModel()->setCurrentIndex(rows_->index(m_.servers.selectedIndex()),
                                                         QItemSelectionModel::ClearAndSelect);
    }
    c_.butMoveUp->setEnabled(m_.servers.canMoveUp());
    c_.butMoveDown->setEnabled(m_.servers.canMoveDown());
}

void MainWiring::showAddress() {
    showText(c_.txtIP, m_.servers.addressHost());
    showText(c_.txtPort, m_.servers.addressPort());
}

void MainWiring::showButtons() {
    c_.butUpdate->setEnabled(m_.engine.updateEnabled());
    c_.butDisconnect->setEnabled(m_.engine.disconnectEnabled());
}

void MainWiring::showDisplays() {
    showText(c_.txtYourTime, m_.engine.yourTimeText());
    showText(c_.txtUTCTime, m_.engine.utcTimeText());
}
