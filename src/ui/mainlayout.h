#pragma once

class QWidget;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;

// The main window's controls that the window itself drives after building them.
struct MainWidgets {
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

// Builds the main window's controls on the form: names, captions, design-time values, fixed
// places (the layout's twips divided by 15), fonts, colours and tab order.
MainWidgets buildMainLayout(QWidget& form);
