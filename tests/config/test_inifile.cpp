// cIniFile against the files corvane.INI is found as: written by us, by
// Windows, or by hand in an editor.
#include "config/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

const QByteArray kHandWritten = "; Corvane settings, edited by hand\r\n"
                                "[Comm Port]\r\n"
                                "CommPort=2\r\n"
                                "Com1=/dev/ttyUSB0\r\n"
                                "Com4=/dev/pts/7\r\n"
                                "\r\n"
                                "# site notes\r\n"
                                "[Site]\r\n"
                                "Technician=J. Smith\r\n"
                                "\r\n"
                                "[program]\r\n"
                                "password=False\r\n"
                                "; keep the target low for the ORBIT pumps\r\n"
                                "Startup Screen = -1\r\n"
                                "\r\n"
                                "[Trailer]\r\n"
                                "Kept=yes";

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readKeys_data();
    void readKeys();
    void emptySectionOrFileDoesNothing();
    void writeKeepsTheRest_data();
    void writeKeepsTheRest();
    void roundTrip_data();
    void roundTrip();
    void unreadableFileIsNotReplaced_data();
    void unreadableFileIsNotReplaced();
    void writeIntoMissingFolderFails();
    void lineEndInValueStaysOneLine();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestIniFile::init() {
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("corvane.INI"));
    QFile::remove(m_path);
    QDir(m_path).removeRecursively();
}

// One file, one key: what ReadString and ReadInt make of it.
void TestIniFile::readKeys_data() {
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("number");

    // Defaults used below: text "dflt", number 42.
    QTest::newRow("no file") << QByteArray() << "Program"
                             << "Target"
                             << "dflt" << 42;
    QTest::newRow("missing key") << QByteArray("[Program]\nTarget=5\n") << "Program"
                                 << "Loging"
                                 << "dflt" << 42;
    QTest::newRow("key in another section")
        << QByteArray("[Comm Port]\nTarget=5\n[Program]\n") << "Program"
        << "Target"
        << "dflt" << 42;
    QTest::newRow("section and key in any case")
        << QByteArray("[PROGRAM]\ntarget=1500\n") << "Program"
        << "Target"
        << "1500" << 1500;
    QTest::newRow("key with blanks") << QByteArray("[Program]\nStartup Screen=-1\n") << "program"
                                     << "STARTUP SCREEN"
                                     << "-1" << -1;
    QTest::newRow("blanks around name and value")
        << QByteArray("[ Program ]\n  Timing on  =  1  \n") << "Program"
        << "Timing on"
        << "1" << 1;
    QTest::newRow("True") << QByteArray("[Program]\nPassword=True\n") << "Program"
                          << "Password"
                          << "True" << 0;
    QTest::newRow("False") << QByteArray("[Program]\nPassword=False\n") << "Program"
                           << "Password"
                           << "False" << 0;
    QTest::newRow("leading digits") << QByteArray("[Program]\nLoging=12abc\n") << "Program"
                                    << "Loging"
                                    << "12abc" << 12;
    QTest::newRow("no digits") << QByteArray("[Program]\nLoging=abc\n") << "Program"
                               << "Loging"
                               << "abc" << 0;
    QTest::newRow("empty value: text empty, number default")
        << QByteArray("[Program]\nLoging=\n") << "Program"
        << "Loging"
        << "" << 42;
    QTest::newRow("plus sign is no digit") << QByteArray("[Program]\nLoging=+5\n") << "Program"
                                           << "Loging"
                                           << "+5" << 0;
    QTest::newRow("beyond 32 bits saturates")
        << QByteArray("[Program]\nTarget=99999999999999999999\n") << "Program"
        << "Target"
        << "99999999999999999999" << 2147483647;
    QTest::newRow("CRLF file") << QByteArray("[Comm Port]\r\nCommPort=3\r\n[Program]\r\n")
                               << "Comm Port"
                               << "CommPort"
                               << "3" << 3;
    QTest::newRow("LF file") << QByteArray("[Comm Port]\nCommPort=4\n") << "Comm Port"
                             << "CommPort"
                             << "4" << 4;
    QTest::newRow("last line without line end")
        << QByteArray("[Comm Port]\r\nCommPort=1") << "Comm Port"
        << "CommPort"
        << "1" << 1;
    QTest::newRow("commented-out key") << QByteArray("[Program]\n;Target=900\n") << "Program"
                                       << "Target"
                                       << "dflt" << 42;
    QTest::newRow("first of two") << QByteArray("[Program]\nTarget=1\nTarget=2\n") << "Program"
                                  << "Target"
                                  << "1" << 1;
    QTest::newRow("byte-order mark before first section")
        << QByteArray("\xEF\xBB\xBF[Comm Port]\r\nCommPort=2\r\n") << "Comm Port"
        << "CommPort"
        << "2" << 2;
    QTest::newRow("value keeps its '='") << QByteArray("[Program]\nStrt_dttm=a=b\n") << "Program"
                                         << "Strt_dttm"
                                         << "a=b" << 0;
    const QByteArray x249(249, 'x');
    const QByteArray x250(250, 'x');
    const QByteArray x400(400, 'x');
    QTest::newRow("249 characters") << QByteArray("[P]\nK=" + x249 + "\n") << "P"
                                    << "K" << QString(x249) << 0;
    QTest::newRow("250 characters cut to 249") << QByteArray("[P]\nK=" + x250 + "\n") << "P"
                                               << "K" << QString(x249) << 0;
    QTest::newRow("400 characters cut to 249") << QByteArray("[P]\nK=" + x400 + "\n") << "P"
                                               << "K" << QString(x249) << 0;
}

void TestIniFile::readKeys() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(qint32, number);
    if (!file.isEmpty())
        putFile(m_path, file);

    cIniFile ini;
    ini.filename = m_path;
    ini.Section = section;
    QString gotText = QStringLiteral("unset");
    qint32 gotNumber = -7;
    QVERIFY(ini.ReadString(key, gotText, QStringLiteral("dflt")));
    QVERIFY(ini.ReadInt(key, gotNumber, 42));
    QCOMPARE(gotText, text);
    if (text != QLatin1String("True") && text != QLatin1String("False"))
        QCOMPARE(gotNumber, number);
    QCOMPARE(QFile::exists(m_path), !file.isEmpty()); // reading never creates the file
}

void TestIniFile::emptySectionOrFileDoesNothing() {
    const struct {
        const char* section;
        bool withFile;
    } cases[] = {{"", true}, {"Program", false}, {"", false}};
    for (const auto& c : cases) {
        cIniFile ini;
        ini.Section = QLatin1String(c.section);
        ini.filename = c.withFile ? m_path : QString();
        QString text = QStringLiteral("kept");
        qint32 number = 9;
        QVERIFY(!ini.ReadString(QStringLiteral("Target"), text, QStringLiteral("d")));
        QVERIFY(!ini.ReadInt(QStringLiteral("Target"), number, 1));
        QVERIFY(!ini.WriteString(QStringLiteral("Target"), QStringLiteral("5")));
        QVERIFY(!ini.WriteInt(QStringLiteral("Target"), 5));
        QCOMPARE(text, QStringLiteral("kept"));
        QCOMPARE(number, 9);
        QVERIFY(!QFile::exists(m_path));
    }
}

// A write changes one line, or adds one, and leaves every other byte alone.
void TestIniFile::writeKeepsTheRest_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    // The hand-written file's last line has no line end; a save ends it.

    QTest::newRow("no file") << QByteArray() << "Comm Port"
                             << "CommPort"
                             << "1" << QByteArray("[Comm Port]\r\nCommPort=1\r\n");
    QTest::newRow("replace key matched in other case")
        << kHandWritten << "Program"
        << "Password"
        << "True" << QByteArray(kHandWritten).replace("password=False", "Password=True") + "\r\n";
    QTest::newRow("replace key with blanks")
        << kHandWritten << "PROGRAM"
        << "Startup Screen"
        << "0"
        << QByteArray(kHandWritten).replace("Startup Screen = -1", "Startup Screen=0") + "\r\n";
    QTest::newRow("new key goes after the section's last key")
        << kHandWritten << "Program"
        << "Timing on"
        << "1"
        << QByteArray(kHandWritten)
                   .replace("Startup Screen = -1\r\n", "Startup Screen = -1\r\nTiming on=1\r\n") +
               "\r\n";
    QTest::newRow("new key in first section keeps port mapping")
        << kHandWritten << "comm port"
        << "Com2"
        << "/dev/ttyS9"
        << QByteArray(kHandWritten)
                   .replace("Com4=/dev/pts/7\r\n", "Com4=/dev/pts/7\r\nCom2=/dev/ttyS9\r\n") +
               "\r\n";
    QTest::newRow("new section appended, line end added")
        << kHandWritten << "Extra"
        << "A b"
        << "c" << QByteArray(kHandWritten + "\r\n\r\n[Extra]\r\nA b=c\r\n");
    QTest::newRow("LF file stays LF") << QByteArray("[Program]\nMeasure=0\n# note\n") << "Program"
                                      << "Measure"
                                      << "-1" << QByteArray("[Program]\nMeasure=-1\n# note\n");
    QTest::newRow("LF file, new key")
        << QByteArray("[Program]\nMeasure=0\n\n[Other]\nX=1\n") << "Program"
        << "Volumetric"
        << "0" << QByteArray("[Program]\nMeasure=0\nVolumetric=0\n\n[Other]\nX=1\n");
    QTest::newRow("byte-order mark kept")
        << QByteArray("\xEF\xBB\xBF[Program]\r\nTarget=1\r\n") << "Program"
        << "Target"
        << "2" << QByteArray("\xEF\xBB\xBF[Program]\r\nTarget=2\r\n");
    QTest::newRow("bytes of another code page kept")
        << QByteArray("; caf\xE9 \xC3\xA9\n[Program]\nTarget=1\n") << "Program"
        << "Target"
        << "3" << QByteArray("; caf\xE9 \xC3\xA9\n[Program]\nTarget=3\n");
    QTest::newRow("empty value written") << QByteArray("[P]\nK=1\n") << "P"
                                         << "K"
                                         << "" << QByteArray("[P]\nK=\n");
}

void TestIniFile::writeKeepsTheRest() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        putFile(m_path, before);

    cIniFile ini;
    ini.filename = m_path;
    ini.Section = section;
    QVERIFY(ini.WriteString(key, value));
    QCOMPARE(fileBytes(m_path), after);
    // The save went through a temporary file that is gone again.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"corvane.INI"});
}

void TestIniFile::roundTrip_data() {
    QTest::addColumn<qint32>("number");
    QTest::newRow("-1") << -1;
    QTest::newRow("0") << 0;
    QTest::newRow("4") << 4;
    QTest::newRow("int max") << qint32(2147483647);
    QTest::newRow("int min") << qint32(-2147483647 - 1);
}

void TestIniFile::roundTrip() {
    QFETCH(qint32, number);
    putFile(m_path, kHandWritten);
    cIniFile ini;
    ini.filename = m_path;
    ini.Section = QStringLiteral("Program");
    QVERIFY(ini.WriteInt(QStringLiteral("Startup Screen"), number));
    QVERIFY(ini.WriteString(QStringLiteral("Strt_dttm"), QString(300, QLatin1Char('d'))));
    qint32 back = 99;
    QString text;
    QVERIFY(ini.ReadInt(QStringLiteral("startup screen"), back, 99));
    QVERIFY(ini.ReadString(QStringLiteral("Strt_dttm"), text, QString()));
    QCOMPARE(back, number);
    QCOMPARE(text, QString(249, QLatin1Char('d')));
    QVERIFY(fileBytes(m_path).contains("Startup Screen=" + QByteArray::number(number) + "\r\n"));
    QVERIFY(fileBytes(m_path).contains(QByteArray(300, 'd'))); // written whole, read cut
    // Everything else of the hand-written file is still there.
    ini.Section = QStringLiteral("Comm Port");
    QVERIFY(ini.ReadString(QStringLiteral("Com4"), text, QString()));
    QCOMPARE(text, QStringLiteral("/dev/pts/7"));
    ini.Section = QStringLiteral("Trailer");
    QVERIFY(ini.ReadString(QStringLiteral("Kept"), text, QString()));
    QCOMPARE(text, QStringLiteral("yes"));
    QVERIFY(fileBytes(m_path).contains("; keep the target low for the ORBIT pumps\r\n"));
}

// A file that is there but cannot be read is not ours to replace: the write
// fails and the file is left exactly as it was.
void TestIniFile::unreadableFileIsNotReplaced_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("no read permission") << "mode";
    QTest::newRow("a folder by that name") << "folder";
    QTest::newRow("far too large to be settings") << "large";
}

void TestIniFile::unreadableFileIsNotReplaced() {
    QFETCH(QString, how);
    QByteArray original = "[Program]\r\nTarget=1\r\n";
    if (how == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(m_path + QStringLiteral("/inside")));
    } else {
        if (how == QLatin1String("large"))
            original += QByteArray(2 * 1024 * 1024, ';');
        putFile(m_path, original);
        if (how == QLatin1String("mode")) {
            if (geteuid() == 0)
                QSKIP("root reads every file");
            QVERIFY(QFile::setPermissions(m_path, QFileDevice::WriteOwner));
        }
    }

    cIniFile ini;
    ini.filename = m_path;
    ini.Section = QStringLiteral("Program");
    QVERIFY(!ini.WriteString(QStringLiteral("Target"), QStringLiteral("2")));
    QString text;
    QVERIFY(ini.ReadString(QStringLiteral("Target"), text, QStringLiteral("dflt")));
    QCOMPARE(text, QStringLiteral("dflt"));

    if (how == QLatin1String("folder")) {
        QVERIFY(QFileInfo(m_path + QStringLiteral("/inside")).isDir());
    } else {
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(fileBytes(m_path), original);
    }
}

void TestIniFile::writeIntoMissingFolderFails() {
    cIniFile ini;
    ini.filename = m_dir.filePath(QStringLiteral("no/such/folder/corvane.INI"));
    ini.Section = QStringLiteral("Program");
    QVERIFY(!ini.WriteInt(QStringLiteral("Target"), 1));
    QVERIFY(!QFile::exists(ini.filename));
}

void TestIniFile::lineEndInValueStaysOneLine() {
    cIniFile ini;
    ini.filename = m_path;
    ini.Section = QStringLiteral("Program");
    QVERIFY(ini.WriteString(QStringLiteral("Strt_dttm"), QStringLiteral("a\r\n[Evil]\nX=1")));
    QVERIFY(ini.WriteString(QStringLiteral("Target"), QStringLiteral("7")));
    QString text;
    ini.Section = QStringLiteral("Evil");
    QVERIFY(ini.ReadString(QStringLiteral("X"), text, QStringLiteral("none")));
    QCOMPARE(text, QStringLiteral("none"));
    ini.Section = QStringLiteral("Program");
    QVERIFY(ini.ReadString(QStringLiteral("Target"), text, QString()));
    QCOMPARE(text, QStringLiteral("7"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
