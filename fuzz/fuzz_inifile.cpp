// libFuzzer target: arbitrary bytes as the content of corvane.INI, read as
// the settings reader reads a file (8-bit, UTF-8 or UTF-16 by its byte-order
// mark). Looking keys up and parsing their values must cope with anything; a
// key written reads back as written once the text is written out and read
// again, and every other key reads as it did before.
#include "config/inidocument.h"
#include "config/settingsstore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>

namespace {

struct Key {
    const char* section;
    const char* name;
};

// Keys the program reads, plus one it never writes.
constexpr Key kKeys[] = {
    {"Comm Port", "CommPort"}, {"Comm Port", "Com1"},  {"Comm Port", "Com2"},
    {"Program", "Password"},   {"Program", "Loging"},  {"Program", "Startup Screen"},
    {"Program", "Target"},     {"Program", "Measure"}, {"Other", "Key"},
};

const QString kMissing = QStringLiteral("\x01missing");

QString valueOf(const IniDocument& doc, const Key& k) {
    return doc.readString(QLatin1String(k.section), QLatin1String(k.name), kMissing);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniDocument doc;
    doc.parse(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));

    QString before[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        before[i] = valueOf(doc, kKeys[i]);
        (void)doc.readInt(QLatin1String(kKeys[i].section), QLatin1String(kKeys[i].name), -7);
        (void)roundedWholeNumber(before[i]);
        (void)storedBoolean(before[i]);
    }

    // The key written is chosen by the input, so each is replaced as often
    // as it is added.
    const size_t chosen = size == 0 ? 0 : data[0] % std::size(kKeys);
    const Key& k = kKeys[chosen];
    const QString value = QStringLiteral("/dev/ttyUSB1");
    doc.writeString(QLatin1String(k.section), QLatin1String(k.name), value);

    IniDocument again;
    again.parse(doc.bytes());
    // Section and key names match without regard to case.
    if (again.readString(QString::fromLatin1(k.section).toUpper(),
                         QString::fromLatin1(k.name).toLower(), kMissing) != value)
        std::abort();
    for (size_t i = 0; i < std::size(kKeys); ++i)
        if (i != chosen && valueOf(again, kKeys[i]) != before[i])
            std::abort();
    return 0;
}
