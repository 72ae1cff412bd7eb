#pragma once

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;

// The controls of the main window that anything outside its layout touches.
struct MainControls {
    QPushButton* butUpdate = nullptr;
    QPushButton* butDisconnect = nullptr;
    QPushButton* butHelp = nullptr;
    QPushButton* butMoveUp = nullptr;
    QPushButton* butMoveDown = nullptr;
    QPushButton* butAdd = nullptr;
    QPushButton* butRemove = nullptr;
    QPushButton* butModify = nullptr;

    QCheckBox* chkDaylightSavings = nullptr;
    QCheckBox* chkLoadOnStartUp = nullptr;
    QCheckBox* chkMinimizeOnLoad = nullptr;
    QCheckBox* chkUpdateOnLoad = nullptr;
    QCheckBox* chkLoop = nullptr;
    QCheckBox* chkSchedule = nullptr;
    QCheckBox* chkCloseAfterUpdate = nullptr;

    QLineEdit* txtUTCTime = nullptr;
    QLineEdit* txtYourTime = nullptr;
    QLineEdit* txtIP = nullptr;
    QLineEdit* txtPort = nullptr;
    QLineEdit* txtTimes = nullptr;
    QLineEdit* txtTimeout = nullptr;
    QLineEdit* txtMaxPing = nullptr;
    QLineEdit* txtForgetPing = nullptr;
    QLineEdit* txtAttempts = nullptr;

    QListView* lstServers = nullptr;
    QLabel* lblTableHeaders = nullptr;
    QPlainTextEdit* txtLog = nullptr;
    QLabel* imgUpdateIcon = nullptr;
};
