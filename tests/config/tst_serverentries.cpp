#include <QRandomGenerator>
#include <QTest>

#include "config/serverentries.h"

// Empty, ASCII, beyond Latin-1, a lone surrogate (only UTF-16 keeps it), long and Latin-1.
const QString Texts[] = {QString(), "time.example.org", QString::fromUtf16(u"\u6642\U0001F552:1"),
                         QString(QChar(0xd800)), QString(300, u'\u00ff')};

static void compareAll(const ServerEntries& packed, const QList<ServerEntry>& plain) {
    QCOMPARE(packed.size(), plain.size());
    for (qsizetype index = 0; index < plain.size(); ++index)
        QCOMPARE(packed.at(index), plain.at(index));
}

class ServerEntriesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Many rounds of edits, and of giving back the space they leave, keep what a plain list keeps.
    void editsMatchAPlainList() {
        QRandomGenerator random(1610);
        const auto anyText = [&random] { return Texts[random.bounded(int(std::size(Texts)))]; };
        ServerEntries packed;
        QList<ServerEntry> plain;
        for (int step = 0; step < 5000; ++step) {
            const ServerEntry entry{anyText(), anyText()};
            const qsizetype index = plain.isEmpty() ? 0 : random.bounded(plain.size());
            const int kind = plain.size() < 4 ? 0 : random.bounded(5);
            const auto edit = [&](auto& list) {
                if (kind < 2)
                    list.insert(index, entry);
                else if (kind < 4)
                    list.replace(index, entry);
                else
                    list.removeAt(index);
            };
            edit(packed);
            edit(plain);
            if (step % 100 == 0)
                compareAll(packed, plain);
        }
        const ServerEntries copy = packed;
        packed.truncate(3);
        compareAll(packed, plain.first(3));
        compareAll(copy, plain);  // a copy is its own
    }
};

QTEST_APPLESS_MAIN(ServerEntriesTest)
#include "tst_serverentries.moc"
