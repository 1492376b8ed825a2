// IniDocument against the files corvane.INI is found as: written by us, by
// Windows, or by hand in an editor, one key read or written per load.
#include "config/inidocument.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The last line has no line end; a save ends it.
const QByteArray kHandWritten =
    "; Corvane settings, edited by hand\r\n[Comm Port]\r\nCommPort=2\r\n"
    "Com1=/dev/ttyUSB0\r\n\r\n# site notes\r\n[program]\r\n"
    "password=False\r\n; keep the target low\r\nStartup Screen = -1\r\n"
    "\r\n[Trailer]\r\nKept=yes";

QByteArray edited(const char* from, const char* to) {
    return QByteArray(kHandWritten).replace(from, to) + "\r\n";
}

// Far too large to be settings: not ours to read, nor to replace.
const QByteArray kTooLarge = "[Program]\r\nTarget=1\r\n" + QByteArray(2 << 20, ';');

// A file of `size` bytes with section [P] and a comment; writing "K=1" into it
// adds 5 bytes.
QByteArray padded(int size) {
    return "[P]\r\n;" + QByteArray(size - 8, 'x') + "\r\n";
}

// A place name that no 8-bit code page of ours holds.
const QString kLodz = QStringLiteral("\u0141\u00F3d\u017A");

// As Notepad saves "Unicode" (little-endian) and "Unicode big endian".
QByteArray utf16(QStringView text, bool bigEndian = false) {
    QByteArray out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return out;
}
} // namespace

class TestIniDocument : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

    IniDocument loaded() const {
        IniDocument ini;
        ini.load(m_path);
        return ini;
    }

private slots:
    void init() {
        m_path = m_dir.filePath(QStringLiteral("corvane.INI"));
        QFile::remove(m_path);
    }

    // One file, one key in section "Program": what readString and readInt
    // make of it ("text|number"), with the defaults "dflt" and 42.
    void readKeys_data() {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QByteArray& file, const char* key, QString want) {
            QTest::newRow(name) << file << QString(key) << want;
        };
        const QString x249(249, 'x');
        row("no file", "", "Target", "dflt|42");
        row("other section, commented out", "[Comm Port]\nT=5\n[Program]\n;T=9\n", "T", "dflt|42");
        row("names in any case, blanks", "[ PROGRAM ]\r\n Startup Screen = -1 \r\n",
            "startup SCREEN", "-1|-1");
        row("empty value", "[Program]\nLoging=\n", "Loging", "|42");
        row("smallest", "[Program]\nT=-2147483648", "T", "-2147483648|-2147483648");
        row("beyond 32 bits saturates", "[Program]\nT=99999999999", "T", "99999999999|2147483647");
        row("byte-order mark", "\xEF\xBB\xBF[Program]\r\nCommPort=2\r\n", "CommPort", "2|2");
        row("cut to 249", "[Program]\nK=" + x249.toLatin1() + "yyy\n", "K", x249 + "|0");
        row("far too large", kTooLarge, "Target", "dflt|42");
        row("'#' comment is no key", "[Program]\r\n#T=3\r\n", "#T", "dflt|42");
        row("UTF-16 LE", utf16(u"; caf\u00E9\r\n[Program]\r\nT=-5\r\n"), "t", "-5|-5");
        row("UTF-16 BE, non-Latin-1 text", utf16("[Program]\r\nT=" + kLodz + "\r\n", true), "T",
            kLodz + "|0");
    }
    void readKeys() {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        if (!file.isEmpty())
            putFile(m_path, file);
        const IniDocument ini = loaded();
        const QString text = ini.readString("Program", key, "dflt");
        QCOMPARE(text + '|' + QString::number(ini.readInt("Program", key, 42)), expected);
        QCOMPARE(QFile::exists(m_path), !file.isEmpty()); // reading never creates the file
    }

    // A write changes one line, or adds one, and leaves every other byte
    // alone; a file it cannot read it refuses to replace (no "after" below).
    // A new file is checked with the settings store.
    void writeKeepsTheRest_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("entry"); // "Section:key=value"
        QTest::addColumn<QByteArray>("after");
        auto row = [](const char* name, const QByteArray& before, const QString& entry,
                      QByteArray after) { QTest::newRow(name) << before << entry << after; };
        row("key in other case", kHandWritten, "Program:Password=True",
            edited("password=False", "Password=True"));
        row("new key after the section's last", kHandWritten, "comm port:Com2=/dev/ttyS9",
            edited("Com1=/dev/ttyUSB0\r\n", "Com1=/dev/ttyUSB0\r\nCom2=/dev/ttyS9\r\n"));
        row("new section", kHandWritten, "Extra:A b=c",
            kHandWritten + "\r\n\r\n[Extra]\r\nA b=c\r\n");
        row("LF, byte-order mark and other code page kept",
            "\xEF\xBB\xBF; caf\xE9 \xC3\xA9\n[P]\nM=0\n\n[O]\nX=1\n", "P:V=0",
            "\xEF\xBB\xBF; caf\xE9 \xC3\xA9\n[P]\nM=0\nV=0\n\n[O]\nX=1\n");
        row("line end in a value stays one line", "", "P:S=a\r\n[Evil]\nX=1",
            "[P]\r\nS=a  [Evil] X=1\r\n");
        row("far too large: refused", kTooLarge, "Program:Target=2", QByteArray());
        // The next start must be able to read what a write leaves.
        row("filled to the read limit", padded((1 << 20) - 5), "P:K=1",
            padded((1 << 20) - 5).replace("[P]\r\n", "[P]\r\nK=1\r\n"));
        row("one byte past the read limit: refused", padded((1 << 20) - 4), "P:K=1", QByteArray());
        row("'#' comment kept as it is", "[Comm Port]\r\n#CommPort=3\r\n", "comm port:CommPort=4",
            "[Comm Port]\r\nCommPort=4\r\n#CommPort=3\r\n");
        // Notepad's "Unicode": UTF-16 with a byte-order mark, both byte orders.
        row("UTF-16 LE kept", utf16(u"; caf\u00E9\r\n[P]\r\nT=1\r\n# n=1\r\n[O]\r\nX=1\r\n"),
            "P:Site=" + kLodz,
            utf16("; caf\u00E9\r\n[P]\r\nT=1\r\nSite=" + kLodz + "\r\n# n=1\r\n[O]\r\nX=1\r\n"));
        row("UTF-16 BE kept", utf16(u"[P]\nM=0\n", true), "p:m=-1", utf16(u"[P]\nm=-1\n", true));
        // An 8-bit write into a UTF-16 file can leave an odd byte count; the
        // stray last byte is kept, not read.
        row("UTF-16 with a stray last byte", utf16(u"[P]\r\nM=0\r\n") + "\r", "P:M=2",
            utf16(u"[P]\r\nM=2\r\n") + "\r");
    }
    void writeKeepsTheRest() {
        QFETCH(QByteArray, before);
        QFETCH(QString, entry);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            putFile(m_path, before);
        const QString key = entry.section(':', 1).section('=', 0, 0);
        IniDocument ini = loaded();
        ini.writeString(entry.section(':', 0, 0), key, entry.section('=', 1));
        QCOMPARE(ini.save(), !after.isNull());
        QCOMPARE(fileBytes(m_path), after.isNull() ? before : after);
        // The save went through a temporary file that is gone again.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"corvane.INI"});
    }
};

QTEST_GUILESS_MAIN(TestIniDocument)
#include "test_inidocument.moc"
