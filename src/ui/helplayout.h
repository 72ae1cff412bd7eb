#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Where the help window's controls go for an outer window size, all in twips (15 to the pixel).
// The window is kept at least 7100 by 4000; the text box keeps its top-left corner and takes up
// the rest of the window above the banner; banner and advert line stay centred on the outer
// width (their sizes are fixed).
struct HelpLayout {
    QSizeF window;   // the outer size, grown to the minimum where it was smaller
    QRectF text;     // txtHelpFile
    QPointF banner;  // top-left corner of imgAdvert
    QPointF advert;  // top-left corner of lblAdvert
};

inline constexpr QSizeF kHelpBannerTwips{7020, 900};
inline constexpr QSizeF kHelpAdvertTwips{7035, 195};

HelpLayout layOutHelpWindow(QSizeF window);
