#include "ui/helplayout.h"

HelpLayout layOutHelpWindow(QSizeF window) {
    // Exactly the minimum is left alone; only a smaller side grows.
    if (window.height() < 4000)
        window.setHeight(4000);
    if (window.width() < 7100)
        window.setWidth(7100);
    HelpLayout layout;
    layout.window = window;
    layout.text = QRectF(180, 180, window.width() - 480, window.height() - 2050);
    layout.banner =
        QPointF(window.width() / 2 - kHelpBannerTwips.width() / 2, layout.text.bottom() + 175);
    layout.advert = QPointF(window.width() / 2 - kHelpAdvertTwips.width() / 2,
                            layout.banner.y() + kHelpBannerTwips.height() + 60);
    return layout;
}
