#include "ui/runpresenter.h"

#include "common/dateform.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "ui/mainwindow.h"
#include "ui/trayicon.h"

namespace {
// The tooltip has little room: the two daylight-saving reasons are shortened there.
QString toolTipReason(const QString& message) {
    if (message == RunMessage::StartOfDaylightSaving)
        return QStringLiteral("Update cancelled due to start of DST");
    if (message == RunMessage::EndOfDaylightSaving)
        return QStringLiteral("Update cancelled due to end of DST");
    return message;
}
}  // namespace

RunPresenter::RunPresenter(UpdateEngine& engine, MainWindow& window, TrayIcon& tray,
                           const ActivityLog& log, QLocale locale, QObject* parent)
    : QObject(parent),
      engine_(engine),
      window_(window),
      tray_(tray),
      log_(log),
      locale_(std::move(locale)) {
    connect(&engine, &UpdateEngine::runBegun, this, &RunPresenter::showBegun);
    connect(&engine, &UpdateEngine::runEnded, this, &RunPresenter::showEnded);
    connect(&engine, &UpdateEngine::displaysChanged, this, &RunPresenter::showDisplays);
}

void RunPresenter::showBegun() {
    window_.setRunUnderWay(true);
    tray_.show(TrayIcon::Picture::Updating, QStringLiteral("Quorvel - Updating"));
}

void RunPresenter::showEnded(const QString& message) {
    tray_.show(TrayIcon::Picture::Idle, QStringLiteral("Quorvel - ") + toolTipReason(message) +
                                            QStringLiteral(" at ") + log_.timeStamp());
    window_.setRunUnderWay(false);
}

void RunPresenter::showDisplays() {
    window_.showClockTexts(DateForm::generalDateTime(engine_.shownTime(), locale_),
                           DateForm::generalDateTime(engine_.shownUtc(), locale_));
}
