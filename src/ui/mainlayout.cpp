#include "ui/mainlayout.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>

#include "ui/captionfit.h"
#include "ui/columnheadings.h"
#include "ui/twips.h"

namespace {
const QColor CaptionColour(0, 153, 255);

enum class Kind { Button, Check, Label, Text, List, Log, Picture };

struct ControlDesign {
    const char* name;
    Kind kind;
    const char* caption;           // or initial text
    int left, top, width, height;  // twips
    Qt::Alignment align = {};
};

// In tab order.
constexpr auto Right = Qt::AlignRight | Qt::AlignVCenter;
constexpr auto Centre = Qt::AlignHCenter | Qt::AlignVCenter;
const std::array<ControlDesign, 42> Controls{{
    {"butUpdate", Kind::Button, "&Update Clock", 780, 4560, 2115, 495},
    {"butDisconnect", Kind::Button, "St&op Update", 780, 5100, 2115, 495},
    {"chkDaylightSavings", Kind::Check, "Da&ylight Savings Time", 900, 5820, 1875, 195},
    {"lblUTCTime", Kind::Label, "UTC time:", 660, 6180, 735, 195, Right},
    {"txtUTCTime", Kind::Text, "", 1440, 6120, 1755, 285},
    {"lblYourTime", Kind::Label, "Your time:", 660, 6540, 735, 195, Right},
    {"txtYourTime", Kind::Text, "", 1440, 6480, 1755, 285},
    {"butHelp", Kind::Button, "&Help", 1020, 7080, 1635, 495},
    {"lblServers", Kind::Label, "Ser&vers:", 4800, 180, 615, 195},
    {"lblTableHeaders", Kind::Label, "", 4740, 420, 5355, 195},
    {"lstServers", Kind::List, "", 4740, 660, 5535, 2535},
    {"lblIP", Kind::Label, "&Server address:", 6180, 3420, 1155, 195, Right},
    {"txtIP", Kind::Text, "", 7380, 3360, 2655, 285},
    {"lblPort", Kind::Label, "TCP &port:", 6600, 3780, 735, 195, Right},
    {"txtPort", Kind::Text, "", 7380, 3720, 555, 285},
    {"butMoveUp", Kind::Button, "Move &Up", 4740, 3480, 1035, 375},
    {"butMoveDown", Kind::Button, "Move &Down", 4740, 3900, 1035, 375},
    {"butAdd", Kind::Button, "&Add", 6420, 4140, 1035, 375},
    {"butRemove", Kind::Button, "&Remove", 7620, 4140, 1035, 375},
    {"butModify", Kind::Button, "&Modify", 8820, 4140, 1035, 375},
    {"lblLog", Kind::Label, "Log:", 3720, 4380, 375, 195},
    {"txtLog", Kind::Log, "", 3660, 4680, 7455, 2835},
    {"chkLoadOnStartUp", Kind::Check, "Launch at lo&gin", 480, 180, 2355, 195},
    {"chkMinimizeOnLoad", Kind::Check, "Mi&nimize program on launch", 480, 480, 2295, 195},
    {"chkUpdateOnLoad", Kind::Check, "Update clock on program &launch", 480, 1020, 2655, 195},
    {"txtTimes", Kind::Text, "6", 1800, 1620, 315, 285, Centre},
    {"lblTimeout", Kind::Label, "&Maximum wait for connection:", 480, 2340, 2115, 195, Right},
    {"txtTimeout", Kind::Text, "6000", 2640, 2280, 555, 285, Centre},
    {"lblTimeoutUnits", Kind::Label, "milliseconds", 3240, 2340, 855, 195},
    {"lblMaxPing", Kind::Label, "M&aximum acceptable reply delay:", 240, 2700, 2355, 195, Right},
    {"txtMaxPing", Kind::Text, "1000", 2640, 2640, 555, 285, Centre},
    {"lblMaxPingUnits", Kind::Label, "milliseconds", 3240, 2700, 855, 195},
    {"lblForgetPing", Kind::Label, "Ma&ximum wait for reply:", 960, 3060, 1635, 195, Right},
    {"txtForgetPing", Kind::Text, "6000", 2640, 3000, 555, 285, Centre},
    {"lblForgetPingUnits", Kind::Label, "milliseconds", 3240, 3060, 855, 195},
    {"lblAttempts", Kind::Label, "&Number of times to attempt to update from same server:", 600,
     3360, 1995, 435, Right},
    {"txtAttempts", Kind::Text, "10", 2640, 3420, 315, 285, Centre},
    {"chkLoop", Kind::Check, "If all servers &fail, start again from top of list", 480, 3960, 3255,
     195},
    {"chkSchedule", Kind::Check, "Update &every", 480, 1680, 1335, 195},
    {"lblScheduleUnits", Kind::Label, "hours", 2160, 1680, 495, 195},
    {"chkCloseAfterUpdate", Kind::Check, "&Close program after successful update", 480, 1320, 3075,
     195},
    {"imgUpdateIcon", Kind::Picture, "", 10320, 120, 480, 480},
}};

QWidget* create(const ControlDesign& design, QWidget& form) {
    const QString caption = QString::fromUtf8(design.caption);
    QWidget* control = nullptr;
    switch (design.kind) {
        case Kind::Button:
            control = new QPushButton(caption, &form);
            break;
        case Kind::Check:
            control = new QCheckBox(caption, &form);
            break;
        case Kind::Label: {
            auto* label = new QLabel(caption, &form);
            label->setAlignment(design.align ? design.align : Qt::AlignLeft | Qt::AlignVCenter);
            label->setWordWrap(design.height > 300);
            control = label;
            break;
        }
        case Kind::Text: {
            auto* text = new QLineEdit(caption, &form);
            text->setAlignment(design.align ? design.align : Qt::AlignLeft | Qt::AlignVCenter);
            control = text;
            break;
        }
        case Kind::List:
            control = new QListView(&form);
            break;
        case Kind::Log:
            control = new QPlainTextEdit(&form);
            break;
        case Kind::Picture:
            control = new QLabel(&form);
            break;
    }
    control->setObjectName(QString::fromLatin1(design.name));
    control->setGeometry(design.left / TwipsPerPixel, design.top / TwipsPerPixel,
                         design.width / TwipsPerPixel, design.height / TwipsPerPixel);
    if (design.kind == Kind::Label || design.kind == Kind::Check) {
        QPalette palette = control->palette();
        palette.setColor(QPalette::WindowText, CaptionColour);
        control->setPalette(palette);
    }
    return control;
}

template <typename T>
T* find(QWidget& form, const char* name) {
    return form.findChild<T*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

MainWidgets collect(QWidget& form) {
    MainWidgets c;
    c.butUpdate = find<QPushButton>(form, "butUpdate");
    c.butDisconnect = find<QPushButton>(form, "butDisconnect");
    c.butHelp = find<QPushButton>(form, "butHelp");
    c.butMoveUp = find<QPushButton>(form, "butMoveUp");
    c.butMoveDown = find<QPushButton>(form, "butMoveDown");
    c.butAdd = find<QPushButton>(form, "butAdd");
    c.butRemove = find<QPushButton>(form, "butRemove");
    c.butModify = find<QPushButton>(form, "butModify");
    c.chkDaylightSavings = find<QCheckBox>(form, "chkDaylightSavings");
    c.chkLoadOnStartUp = find<QCheckBox>(form, "chkLoadOnStartUp");
    c.chkMinimizeOnLoad = find<QCheckBox>(form, "chkMinimizeOnLoad");
    c.chkUpdateOnLoad = find<QCheckBox>(form, "chkUpdateOnLoad");
    c.chkLoop = find<QCheckBox>(form, "chkLoop");
    c.chkSchedule = find<QCheckBox>(form, "chkSchedule");
    c.chkCloseAfterUpdate = find<QCheckBox>(form, "chkCloseAfterUpdate");
    c.txtUTCTime = find<QLineEdit>(form, "txtUTCTime");
    c.txtYourTime = find<QLineEdit>(form, "txtYourTime");
    c.txtIP = find<QLineEdit>(form, "txtIP");
    c.txtPort = find<QLineEdit>(form, "txtPort");
    c.txtTimes = find<QLineEdit>(form, "txtTimes");
    c.txtTimeout = find<QLineEdit>(form, "txtTimeout");
    c.txtMaxPing = find<QLineEdit>(form, "txtMaxPing");
    c.txtForgetPing = find<QLineEdit>(form, "txtForgetPing");
    c.txtAttempts = find<QLineEdit>(form, "txtAttempts");
    c.lstServers = find<QListView>(form, "lstServers");
    c.lblTableHeaders = find<QLabel>(form, "lblTableHeaders");
    c.txtLog = find<QPlainTextEdit>(form, "txtLog");
    c.imgUpdateIcon = find<QLabel>(form, "imgUpdateIcon");
    return c;
}

// Fields whose label gives them no name (no access key, so no buddy) are named after it.
void nameForScreenReaders(const MainWidgets& c) {
    c.txtUTCTime->setAccessibleName(QStringLiteral("UTC time"));
    c.txtYourTime->setAccessibleName(QStringLiteral("Your time"));
    c.lstServers->setAccessibleName(QStringLiteral("Servers"));
    // One line per row in one font: rows need not be measured one by one (32,767 of them).
    c.lstServers->setUniformItemSizes(true);
    c.txtLog->setAccessibleName(QStringLiteral("Log"));
    c.txtTimes->setAccessibleName(QStringLiteral("Update every … hours"));
}

// Tab order as listed; a label's access key gives the focus to the next control that takes it.
void chainFocus(const QList<QWidget*>& inTabOrder) {
    QWidget* previous = nullptr;
    QLabel* waitingLabel = nullptr;
    for (QWidget* control : inTabOrder) {
        if (auto* label = qobject_cast<QLabel*>(control)) {
            waitingLabel = label->text().contains(u'&') ? label : waitingLabel;
            continue;
        }
        if (control->focusPolicy() == Qt::NoFocus)
            continue;
        if (waitingLabel)
            waitingLabel->setBuddy(control);
        waitingLabel = nullptr;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}
}  // namespace

MainWidgets buildMainLayout(QWidget& form) {
    form.setWindowTitle(QStringLiteral("Quorvel"));
    form.setFixedSize(11295 / TwipsPerPixel, 7755 / TwipsPerPixel);
    form.setAutoFillBackground(true);
    QPalette palette = form.palette();
    palette.setColor(QPalette::Window, Qt::black);
    form.setPalette(palette);

    QList<QWidget*> inTabOrder;
    for (const ControlDesign& design : Controls)
        inTabOrder.append(create(design, form));
    MainWidgets c = collect(form);

    for (QLineEdit* display : {c.txtUTCTime, c.txtYourTime})
        display->setReadOnly(true);
    c.txtLog->setReadOnly(true);
    c.txtLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Long lines wrap, so the time stamps never scroll out of view.
    c.txtLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    c.txtLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.imgUpdateIcon->hide();
    c.butDisconnect->setEnabled(false);
    c.butMoveUp->setEnabled(false);
    c.butMoveDown->setEnabled(false);
    c.chkSchedule->setChecked(true);

    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    c.lstServers->setFont(fixed);
    applyFittingFont(form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly), c.lstServers);
    c.lblTableHeaders->setText(columnHeadings(*c.lblTableHeaders, *c.lstServers));

    nameForScreenReaders(c);
    chainFocus(inTabOrder);
    return c;
}
