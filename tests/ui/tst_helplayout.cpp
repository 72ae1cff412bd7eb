#include <QTest>

#include "ui/helplayout.h"

// The help window's resize rule, in twips, at the sizes that matter: the minimum and around it,
// and a window 13,095 wide, where banner and advert line are centred on the outer width.
class TstHelpLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void laysOut_data();
    void laysOut();
};

void TstHelpLayout::laysOut_data() {
    QTest::addColumn<QSizeF>("window");
    QTest::addColumn<QSizeF>("kept");
    QTest::addColumn<QRectF>("text");
    QTest::addColumn<QPointF>("banner");
    QTest::addColumn<QPointF>("advert");
    const QRectF smallText(180, 180, 6620, 1950);
    QTest::newRow("centred on 13095")
        << QSizeF(13095, 9625) << QSizeF(13095, 9625) << QRectF(180, 180, 12615, 7575)
        << QPointF(3037.5, 7930) << QPointF(3030, 8890);
    QTest::newRow("exactly the minimum") << QSizeF(7100, 4000) << QSizeF(7100, 4000) << smallText
                                         << QPointF(40, 2305) << QPointF(32.5, 3265);
    QTest::newRow("both sides too small") << QSizeF(3000, 1500) << QSizeF(7100, 4000) << smallText
                                          << QPointF(40, 2305) << QPointF(32.5, 3265);
    QTest::newRow("too low") << QSizeF(13095, 3999) << QSizeF(13095, 4000)
                             << QRectF(180, 180, 12615, 1950) << QPointF(3037.5, 2305)
                             << QPointF(3030, 3265);
    QTest::newRow("too narrow") << QSizeF(7099, 9625) << QSizeF(7100, 9625)
                                << QRectF(180, 180, 6620, 7575) << QPointF(40, 7930)
                                << QPointF(32.5, 8890);
}

void TstHelpLayout::laysOut() {
    QFETCH(QSizeF, window);
    const HelpLayout layout = layOutHelpWindow(window);
    QTEST(layout.window, "kept");
    QTEST(layout.text, "text");
    QTEST(layout.banner, "banner");
    QTEST(layout.advert, "advert");
}

QTEST_APPLESS_MAIN(TstHelpLayout)
#include "tst_helplayout.moc"
