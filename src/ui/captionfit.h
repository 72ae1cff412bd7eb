#pragma once

#include <QList>

class QFont;
class QWidget;

// True when the control's caption, in the given font, shows whole inside the control.
bool captionFits(const QWidget& control, const QFont& font);

// The layout's boxes were measured for a narrower font than most desktops have: gives every
// control but the one excepted the default sans-serif font at the largest size, 8 points at
// most, at which every caption fits.
void applyFittingFont(const QList<QWidget*>& controls, const QWidget* except);
