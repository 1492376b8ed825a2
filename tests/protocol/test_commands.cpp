// The command texts. Every one of them is checked byte for byte where it is
// used (the sequences, the poll, the download, the clock, the shutdown);
// what is left here is what no use shows: an argument goes out as given.
#include "protocol/commands.h"

#include <QTest>

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void argumentNotChecked() {
        QCOMPARE(Commands::targetFlow("12a ").toLatin1(), QByteArray("W04 12a \r"));
        QCOMPARE(Commands::setClock("5 14 6 12 26").toLatin1(), QByteArray("W16 5 14 6 12 26\r"));
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
