#include "ui/mainwiring.h"

#include "config/fieldchecks.h"
#include "config/settings.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "serverlist/addresschecks.h"
#include "serverlist/servereditor.h"
#include "serverlist/serverlist.h"

namespace {
using Field = MainWindow::Field;

// The check a number field's text goes through when the focus leaves it.
QString checkedField(Field field, const QString& text) {
    switch (field) {
        case Field::UpdatePeriod:
            return checkedUpdatePeriod(text);
        case Field::Attempts:
            return checkedAttempts(text);
        default:
            return checkedMilliseconds(text);
    }
}
}  // namespace

MainWiring::MainWiring(MainWindow& window, const WindowModel& model)
    : QObject(&window), window_(window), m_(model) {
    wireOptions();
    wireServerList();
    wireAddressFields();
    wireRequests();
    connect(&m_.log, &ActivityLog::lineAdded, this, [this](const QString& line) {
        window_.appendLogLine(line.chopped(2));  // each block is one line: no CR LF
    });
    window.showSettings(m_.settings);
    window.showRows(m_.servers.selectedIndex());
    showAddress();
}

void MainWiring::wireOptions() {
    connect(&window_, &MainWindow::optionEdited, this,
            [this](MainWindow::Option option, int state) {
                m_.settings.*MainWindow::settingOf(option) = state;
                m_.optionEdited();
            });
    connect(&window_, &MainWindow::fieldEdited, this, [this](Field field, const QString& text) {
        if (QString Settings::*setting = MainWindow::settingOf(field)) {
            m_.settings.*setting = text;
            m_.optionEdited();
        }
    });
    connect(&m_.engine, &UpdateEngine::daylightOptionChanged, this, [this] {
        window_.showOption(MainWindow::Option::DaylightSaving, m_.settings.daylightSaving);
    });
}

void MainWiring::checkNumberField(Field field) {
    window_.showField(field, checkedField(field, m_.settings.*MainWindow::settingOf(field)));
    // A new update period starts the schedule afresh.
    if (field == Field::UpdatePeriod)
        m_.engine.scheduleNextUpdate();
}

void MainWiring::wireServerList() {
    connect(&m_.servers, &ServerList::rowsChanged, this,
            [this] { window_.showRows(m_.servers.selectedIndex()); });
    connect(&m_.servers, &ServerList::selected, this, &MainWiring::showSelection);
    // A click runs the selection handling even on the selected row: the fields show it again.
    connect(&window_, &MainWindow::serverRowClicked, &m_.servers, &ServerList::select);
    connect(&window_, &MainWindow::serverRowChosen, &m_.servers, &ServerList::select);
    connect(&window_, &MainWindow::serverRowDoubleClicked, &m_.engine,
            &UpdateEngine::requestUpdateFromList);
    connect(&window_, &MainWindow::addRequested, this, [this] { m_.editor.add(); });
    connect(&window_, &MainWindow::modifyRequested, this, [this] { m_.editor.modify(); });
    connect(&window_, &MainWindow::removeRequested, this, [this] { m_.editor.removeSelected(); });
    connect(&window_, &MainWindow::moveUpRequested, this, [this] { m_.editor.moveUp(); });
    connect(&window_, &MainWindow::moveDownRequested, this, [this] { m_.editor.moveDown(); });
}

// The Move buttons follow the selection handling, and only it: the first row cannot move up,
// the last cannot move down, and with no row selected neither can move.
void MainWiring::showSelection(int index) {
    window_.showSelection(index);
    window_.setMoveStates(index > 0, index >= 0 && index < m_.servers.count() - 1);
}

void MainWiring::wireAddressFields() {
    connect(&m_.servers, &ServerList::addressChanged, this, &MainWiring::showAddress);
    connect(&window_, &MainWindow::fieldEdited, this, [this](Field field, const QString& text) {
        if (field == Field::Host)
            m_.servers.setAddress(text, m_.servers.addressPort());
        else if (field == Field::Port)
            m_.servers.setAddress(m_.servers.addressHost(), text);
    });
    connect(&window_, &MainWindow::fieldLeft, this, [this](Field field) {
        if (field == Field::Host) {
            const AddressFields checked =
                checkedAddress(m_.servers.addressHost(), m_.servers.addressPort());
            m_.servers.setAddress(checked.ip, checked.port);
        } else if (field == Field::Port) {
            m_.servers.setAddress(m_.servers.addressHost(), checkedPort(m_.servers.addressPort()));
        } else {
            checkNumberField(field);
        }
    });
}

void MainWiring::showAddress() {
    window_.showField(Field::Host, m_.servers.addressHost());
    window_.showField(Field::Port, m_.servers.addressPort());
}

void MainWiring::wireRequests() {
    connect(&window_, &MainWindow::updateRequested, &m_.engine, &UpdateEngine::requestUpdate);
    connect(&window_, &MainWindow::cancelRequested, &m_.engine, &UpdateEngine::cancelUpdate);
}
