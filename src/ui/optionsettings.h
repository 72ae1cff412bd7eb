#pragma once

#include <QString>

#include "ui/mainwindow.h"

struct Settings;

// The settings that the main window's options and number fields stand for.
int Settings::*settingOf(MainWindow::Option option);
// Null for the address fields, which are the server list's, not settings.
QString Settings::*settingOf(MainWindow::Field field);
