#include "config/startupregistration.h"

#include <QFileInfo>

#include "config/registry.h"
#include "config/autostartstore.h"

QString startUpCommand(const QString& executablePath, const QString& dataDir) {
    QString command = execArgument(executablePath);
    if (!dataDir.isEmpty())
        // Absolute, since a login session starts the program in another working folder.
        command +=
            QStringLiteral(" --data-dir ") + execArgument(QFileInfo(dataDir).absoluteFilePath());
    return command;
}

int readStartUpOption(const AutostartStore& store) {
    const RegistryValue value = ReadRegistryValue(store, RunKeyPath, StartUpValueName);
    if (const QString* text = std::get_if<QString>(&value))
        return text->isEmpty() ? 0 : 1;
    return std::holds_alternative<qint32>(value) ? 1 : 0;
}

SaveResult writeStartUpOption(AutostartStore& store, int chkLoadOnStartUp,
                              const QString& launchCommand) {
    if (chkLoadOnStartUp == 1)
        return WriteRegistryValue(store, RunKeyPath, StartUpValueName, launchCommand, RegSz);
    return DeleteRegistryValue(store, RunKeyPath, StartUpValueName);
}
