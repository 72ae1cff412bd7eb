#include <QRandomGenerator>
#include <QTest>

#include "config/serverentries.h"

namespace {

// Texts of every kind an entry holds: empty, ASCII, Latin-1, beyond Latin-1 (a pair of
// surrogates, and a lone one, which no encoding but UTF-16 keeps), and long.
const QString Texts[] = {
    QString(),
    QStringLiteral("time.example.org"),
    QStringLiteral("zeit-\u00e4\u00ff"),
    QStringLiteral("\u6642\u523b.example"),
    QString::fromUtf16(u"\U0001F552:123"),
    QString(QChar(0xd800)),
    QString(300, u'h'),
};

void compareWhole(const ServerEntries& packed, const QList<ServerEntry>& expected) {
    QCOMPARE(packed.size(), expected.size());
    for (qsizetype index = 0; index < expected.size(); ++index)
        QCOMPARE(packed.at(index), expected.at(index));
}

}  // namespace

class ServerEntriesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every change made to both a packed list and a plain one leaves them holding the same entries,
    // through many rounds of giving back the space that replaced and removed entries leave.
    void editsKeepEveryEntry() {
        QRandomGenerator random(1610);
        const auto anyText = [&random] { return Texts[random.bounded(int(std::size(Texts)))]; };
        ServerEntries packed;
        QList<ServerEntry> expected;
        for (int step = 0; step < 5000; ++step) {
            const ServerEntry entry{anyText(), anyText()};
            const qsizetype size = expected.size();
            const qsizetype index = size ? random.bounded(size) : 0;
            switch (size < 4 ? 0 : random.bounded(5)) {
                case 0:
                case 1:
                    packed.insert(index, entry);
                    expected.insert(index, entry);
                    break;
                case 2:
                case 3:
                    packed.replace(index, entry);
                    expected.replace(index, entry);
                    break;
                default:
                    packed.removeAt(index);
                    expected.removeAt(index);
            }
            if (step % 100 == 0)
                compareWhole(packed, expected);
        }
        compareWhole(packed, expected);

        const ServerEntries copy = packed;
        packed.truncate(3);
        compareWhole(packed, expected.first(3));
        compareWhole(copy, expected);  // a copy is its own
        QVERIFY(!(copy == packed));
        packed.clear();
        QVERIFY(packed.isEmpty());
    }
};

QTEST_APPLESS_MAIN(ServerEntriesTest)
#include "tst_serverentries.moc"
