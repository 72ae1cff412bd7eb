#pragma once

#include "ui/maincontrols.h"

class QWidget;

// Builds the main window's controls on the form: names, captions, design-time values, fixed
// places (the layout's twips divided by 15), fonts, colours and tab order.
MainControls buildMainLayout(QWidget& form);
