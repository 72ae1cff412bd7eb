#include "updaterig.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "engine/runmessages.h"

UpdateRig::UpdateRig() {
    ticker_.start();
}

UpdateRig::Run UpdateRig::run(const QString& host, const QString& port) {
    Run run;
    QEventLoop loop;
    bool ended = false;
    const QObject scope;  // ends the connections below with the run
    QObject::connect(&log_, &ActivityLog::lineAdded, &scope, [&run](const QString& line) {
        run.log.append(line.section(QStringLiteral("]  "), 1).chopped(2));
    });
    for (TimeExchange* exchange : exchanges_.table())
        QObject::connect(exchange, &TimeExchange::sampleTaken, &scope,
                         [&run](const TimeSample& sample) { run.sample = sample; });
    QObject::connect(&engine_, &UpdateEngine::runEnded, &scope, [&](const QString& message) {
        run.updated = message == RunMessage::LastUpdated;
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &scope, [&loop] { loop.quit(); });

    servers_.select(-1);
    servers_.setAddress(host, port);
    QElapsedTimer timer;
    timer.start();
    engine_.startUpdate(QStringLiteral("Command-line update:"));
    if (!ended)
        loop.exec();
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    if (!ended)
        engine_.cancelUpdate();
    return run;
}
