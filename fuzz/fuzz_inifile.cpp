// libFuzzer target: arbitrary bytes as the text of corvane.INI, read as the
// settings reader reads a file (one character a byte). Looking keys up and
// parsing their values must cope with anything; a key written into the text
// reads back as written, and every other key reads as it did before.
#include "config/inifile.h"
#include "config/settingsstore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>

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

std::optional<QString> valueOf(const QString& text, const Key& k) {
    QString v;
    if (!cIniFile::lookup(text, QLatin1String(k.section), QLatin1String(k.name), &v))
        return std::nullopt;
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));

    std::optional<QString> before[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        before[i] = valueOf(text, kKeys[i]);
        if (before[i]) {
            (void)cIniFile::leadingInt(*before[i]);
            (void)roundedWholeNumber(*before[i]);
            (void)storedBoolean(*before[i]);
        }
    }

    // The key written is chosen by the input, so each is replaced as often
    // as it is added.
    const size_t chosen = size == 0 ? 0 : data[0] % std::size(kKeys);
    const Key& k = kKeys[chosen];
    const QString value = QStringLiteral("/dev/ttyUSB1");
    const QString after =
        cIniFile::withKey(text, QLatin1String(k.section), QLatin1String(k.name), value);
    // Section and key names match without regard to case.
    QString got;
    if (!cIniFile::lookup(after, QString::fromLatin1(k.section).toUpper(),
                          QString::fromLatin1(k.name).toLower(), &got) ||
        got != value)
        std::abort();
    for (size_t i = 0; i < std::size(kKeys); ++i)
        if (i != chosen && valueOf(after, kKeys[i]) != before[i])
            std::abort();
    return 0;
}
