#include "logs/logdecoder.h"

#include "core/controlnames.h"
#include "core/numbertext.h"

#include <cmath>
#include <vector>

namespace {

using Name = LogField::Name;
using Show = LogField::Shown;

// A field's place in the line: what it holds, where it goes in the table and
// how it is shown there.
struct Field {
    Name name;
    int column;
    int start; // 1-based
    int length;
    Show show;
    const char* prefix = "";
};

enum class Role { Record, Title, End };

struct LogType {
    const char* key; // compared with the first eight characters of the line
    Role role = Role::Record;
    int titleShown = 0;
    const char* titlePad = "";
    int dateAt = 0;
    int dateLength = 16;
    std::vector<Field> fields;
};

// The full set of sampling fields; each stands one separator after the
// previous one, so the battery's position fixes the rest.
std::vector<Field> fullRecord(int battery, Show dp = Show::Differential) {
    return {{Name::Battery, 3, battery, 3, Show::Battery},
            {Name::Temperature, 4, battery + 4, 3, Show::Temperature},
            {Name::Bp, 5, battery + 8, 5, Show::Barometric},
            {Name::Dp, 6, battery + 14, 5, dp},
            {Name::Elapsed, 7, battery + 20, 5, Show::AsIs},
            {Name::Flow, 8, battery + 26, 6, Show::Flow},
            {Name::Volume, 9, battery + 33, 8, Show::AsIs},
            {Name::StpVolume, 10, battery + 42, 9, Show::AsIs}};
}

// The kinds in the order they are tested; the first match decides.
const std::vector<LogType>& logTypes() {
    static const std::vector<LogType> table = {
        {"Run Upda", Role::Record, 10, "", 12, 16, fullRecord(29)},
        {"LogType,", Role::Title, 0, "", 0, 0, {}},
        {"Log Init", Role::Record, 8, "", 10, 16, {}},
        {"Low Batt", Role::Record, 11, "", 13, 16, {}},
        {"Power On", Role::Record, 8, "", 10, 16, {}},
        {"Power Of", Role::Record, 9, "", 11, 16, {}},
        {"Clear Da", Role::Record, 10, "", 12, 16, {}},
        {"Calibrat", Role::Record, 11, "", 13, 16, {{Name::Flow, 8, 30, 6, Show::AsIs}}},
        {"Start Sa", Role::Record, 14, "", 16, 17, {}},
        {"User Hol", Role::Record, 9, "", 11, 16, fullRecord(28)},
        {"No Flow,", Role::Record, 7, "", 9, 16, fullRecord(26)},
        {"Change T", Role::Record, 11, "", 13, 16, {}},
        {"Change F", Role::Record, 11, "", 13, 16, {}},
        {"Change D", Role::Record, 11, "", 13, 16, {}},
        {"Change R", Role::Record, 11, "", 13, 16, {{Name::Flow, 8, 30, 6, Show::AsIs}}},
        {"Pump Pro", Role::Record, 12, "", 14, 16, fullRecord(31)},
        {"Event En", Role::Record, 9, "", 11, 16, {}},
        {"Break1 B", Role::Record, 12, "", 14, 16, {}},
        {"Lunch Be", Role::Record, 11, "", 13, 16, {}},
        {"Break2 B", Role::Record, 12, "", 14, 16, {}},
        {"Duty Beg", Role::Record, 10, "", 13, 16, {}},
        {"Stop Sam", Role::Record, 13, "", 15, 16, {}},
        {"Trimauto",
         Role::Record,
         22,
         "",
         24,
         16,
         {{Name::Other, 3, 41, 6, Show::AsIs, "Serial Number:"},
          {Name::Flow, 4, 48, 6, Show::Flow, " Flow "}}},
        {"Verify C",
         Role::Record,
         16,
         "",
         18,
         16,
         {{Name::Other, 3, 35, 6, Show::AsIs}, {Name::Flow, 8, 42, 6, Show::Flow}}},
        {"Verify F", Role::Record, 11, "", 13, 16, {{Name::Flow, 8, 30, 6, Show::Flow}}},
        {"5% Shut ", Role::Record, 12, "     ", 14, 16, fullRecord(31)},
        {"Filter O", Role::Record, 10, "", 12, 16, fullRecord(29, Show::AsIs)},
        {"Program ",
         Role::Record,
         17,
         "",
         19,
         16,
         {{Name::Other, 3, 36, 6, Show::AsIs, "Serial Number:"},
          {Name::Other, 4, 43, 6, Show::AsIs}}},
        {"Done ok", Role::End, 0, "", 0, 0, {}},
    };
    return table;
}

QString flowText(double v) {
    if (v < 5000)
        return NumberText::whole(v);
    // value / 1000 to two decimals is value / 10 in hundredths; halves round
    // away from zero as the display pattern does.
    return QString::number(std::round(v / 10.0) / 100.0, 'f', 2);
}

// A numeric field that holds no number (garbled, blank, cut short) is shown
// as its characters stand, without a unit: a unit would claim a value the
// pump never sent.
QString shown(const LogField& field, bool metric) {
    const QString& text = field.text;
    const Show show = field.shown;
    if (show == Show::AsIs)
        return text;
    if (!metric && show == Show::Barometric)
        return text + QLatin1String(" ''");
    if (!metric && show == Show::Differential)
        return text + QLatin1String("''");
    const auto& v = field.number;
    if (!v)
        return text;
    switch (show) {
    case Show::Battery:
        return NumberText::whole(*v) + QLatin1Char('%');
    case Show::Temperature:
        return metric ? NumberText::whole(NumberText::roundHalfEven((*v - 32) * 5 / 9)) +
                            QLatin1Char('C')
                      : NumberText::whole(*v) + QLatin1Char('F');
    case Show::Barometric:
        return NumberText::plain(std::trunc(NumberText::decimalProduct(*v, 25.4))) +
               QLatin1String(" mm");
    case Show::Differential:
        return NumberText::plain(std::trunc(NumberText::decimalProduct(*v, 25.4))) +
               QLatin1String("mm");
    case Show::Flow:
        return flowText(*v);
    case Show::AsIs:
        break;
    }
    return text;
}

QStringView cut(const QString& line, int start, int length) {
    return QStringView(line).mid(std::min<qsizetype>(start - 1, line.size()), length);
}

const LogType* findType(const QString& line) {
    // "Done ok" is seven characters: only the line that is exactly that has
    // it as its first eight.
    const QStringView key = QStringView(line).left(8);
    for (const LogType& t : logTypes())
        if (key == QLatin1String(t.key))
            return &t;
    return nullptr;
}

LogRecord recordOf(const QString& line, const LogType& type) {
    LogRecord r;
    r.key = QLatin1String(type.key);
    r.title = line.left(type.titleShown) + QLatin1String(type.titlePad);
    r.date = cut(line, type.dateAt, type.dateLength).toString();
    r.full = type.fields.size() == 8;
    r.fields.reserve(qsizetype(type.fields.size()));
    for (const Field& f : type.fields) {
        LogField field;
        field.name = f.name;
        field.shown = f.show;
        field.column = f.column;
        field.prefix = f.prefix;
        field.text = cut(line, f.start, f.length).toString();
        field.number = NumberText::parse(field.text);
        r.fields.append(std::move(field));
    }
    return r;
}

} // namespace

std::optional<double> LogRecord::number(LogField::Name name) const {
    for (const LogField& f : fields)
        if (f.name == name)
            return f.number;
    return std::nullopt;
}

namespace Decode {

std::optional<LogRecord> logRecord(const QString& line) {
    const LogType* type = findType(line);
    if (!type || type->role != Role::Record)
        return std::nullopt;
    return recordOf(line, *type);
}

QMap<int, QString> logCells(const LogRecord& record, bool metric) {
    QMap<int, QString> cells;
    cells.insert(1, record.title);
    cells.insert(2, record.date);
    for (const LogField& f : record.fields)
        cells.insert(f.column, QLatin1String(f.prefix) + shown(f, metric));
    return cells;
}

LogLineResult logLine(const QString& line, int captureCount, AppState& state) {
    LogLineResult r;
    r.changes.text.insert(Control::kDownloadCounter,
                          QStringLiteral("Reading Log Number : ") + QString::number(captureCount));
    r.changes.bars.insert(Control::kDownloadBar, captureCount);

    const LogType* type = findType(line);
    if (!type)
        return r;
    switch (type->role) {
    case Role::Title:
        r.kind = LogLineResult::Kind::Title;
        return r;
    case Role::End:
        r.kind = LogLineResult::Kind::End;
        state.CaptureMode = false;
        return r;
    case Role::Record:
        break;
    }
    r.kind = LogLineResult::Kind::Record;
    r.record = recordOf(line, *type);
    r.record.row = captureCount - 1;
    r.cells = logCells(r.record, state.UnitsFlag != 0);
    return r;
}

} // namespace Decode
