#include "app/windowsystem.h"

#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {
QtMessageHandler qtHandler = nullptr;
struct HeldMessage {
    QtMsgType type;
    QString text;
};
QList<HeldMessage>* heldMessages = nullptr;

QString environmentValue(const char* name) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QStringLiteral("unset") : value;
}

void holdWhileOpening(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        heldMessages->append({type, text});
        return;
    }
    Q_UNUSED(context);
    const QString line =
        QStringLiteral(
            "quorvel: cannot open a window: no X11 or Wayland display could be reached "
            "(DISPLAY %1, WAYLAND_DISPLAY %2); \"quorvel --once\" updates without one\n")
            .arg(environmentValue("DISPLAY"), environmentValue("WAYLAND_DISPLAY"));
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    // Qt is half set up: leave without running anything more of it.
    std::_Exit(1);
}
}  // namespace

std::unique_ptr<QApplication> openWindowSystem(int& argc, char** argv) {
    QList<HeldMessage> held;
    heldMessages = &held;
    qtHandler = qInstallMessageHandler(holdWhileOpening);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(qtHandler);
    heldMessages = nullptr;
    for (const HeldMessage& message : held)
        qt_message_output(message.type, QMessageLogContext(), message.text);
    return application;
}
