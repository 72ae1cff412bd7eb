#include <QTest>

#include "config/fieldchecks.h"

using Check = QString (*)(const QString&);
Q_DECLARE_METATYPE(Check)

class FieldChecksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lostFocus_data() {
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("checked");
        const auto row = [](const char* name, Check check, const QString& text,
                            const QString& checked) {
            QTest::newRow(name) << check << text << checked;
        };
        row("attempts 0", checkedAttempts, "0", "1");
        row("attempts 1", checkedAttempts, "1", "1");
        row("attempts 99", checkedAttempts, "99", "99");
        row("attempts 100", checkedAttempts, "100", "99");
        row("attempts fraction dropped", checkedAttempts, "2.9", "2");
        row("ms 9", checkedMilliseconds, "9", "10");
        row("ms 10", checkedMilliseconds, "10", "10");
        row("ms 995", checkedMilliseconds, "995", "990");
        row("ms no upper limit", checkedMilliseconds, "123456789012345678901",
            "123456789012345683968");
        row("period below 1", checkedUpdatePeriod, "0.9", "6");
        row("period 1", checkedUpdatePeriod, "1", "1");
        row("period fraction dropped", checkedUpdatePeriod, "12.5", "12");
    }
    void lostFocus() {
        QFETCH(Check, check);
        QFETCH(QString, text);
        QTEST(check(text), "checked");
    }

    void shutDownChecks() {
        // Milliseconds go down to a multiple of ten but keep no lower limit here.
        Settings settings{.updatePeriodText = "0.5",
                          .connectWaitText = "-0",
                          .replyWaitText = "-15",
                          .attemptsText = "500"};
        applyShutDownChecks(settings);
        QCOMPARE(settings.connectWaitText, "0");
        QCOMPARE(settings.replyWaitText, "-20");
        QCOMPARE(settings.attemptsText, "99");
        QCOMPARE(settings.updatePeriodText, "0.5");
    }
};

QTEST_APPLESS_MAIN(FieldChecksTest)
#include "tst_fieldchecks.moc"
