#include "config/windowplacement.h"

#include <QSettings>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kFallbackDpi = 96.0;

const QString kGroup = QStringLiteral("Settings");
const QString kLeft = QStringLiteral("MainLeft");
const QString kTop = QStringLiteral("MainTop");
const QString kWidth = QStringLiteral("MainWidth");
const QString kHeight = QStringLiteral("MainHeight");
const QString kLogFolder = QStringLiteral("LogFolder");

double usableDpi(double dpi) {
    return std::isfinite(dpi) && dpi > 0 ? dpi : kFallbackDpi;
}

int roundedInt(double v) {
    if (!std::isfinite(v))
        return 0;
    const double limit = std::numeric_limits<int>::max();
    return static_cast<int>(std::lround(std::clamp(v, -limit, limit)));
}

// The stored text as a number of twips; no value when it is not a number.
std::optional<int> storedTwips(const QSettings& s, const QString& key) {
    bool ok = false;
    const double v = s.value(key).toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return roundedInt(v);
}

} // namespace

WindowPlacementStore::WindowPlacementStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Corvane"),
                                             QStringLiteral("Corvane"))) {}

WindowPlacementStore::WindowPlacementStore(const QString& path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

WindowPlacementStore::~WindowPlacementStore() = default;

WindowPlacement WindowPlacementStore::load() const {
    WindowPlacement p;
    m_settings->beginGroup(kGroup);
    p.left = storedTwips(*m_settings, kLeft).value_or(p.left);
    p.top = storedTwips(*m_settings, kTop).value_or(p.top);
    // A size of nothing would leave an invisible window behind.
    const auto width = storedTwips(*m_settings, kWidth);
    if (width && *width > 0)
        p.width = *width;
    const auto height = storedTwips(*m_settings, kHeight);
    if (height && *height > 0)
        p.height = *height;
    m_settings->endGroup();
    return p;
}

bool WindowPlacementStore::save(const WindowPlacement& p) {
    m_settings->beginGroup(kGroup);
    m_settings->setValue(kLeft, QString::number(p.left));
    m_settings->setValue(kTop, QString::number(p.top));
    m_settings->setValue(kWidth, QString::number(p.width));
    m_settings->setValue(kHeight, QString::number(p.height));
    m_settings->endGroup();
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString WindowPlacementStore::logFolder() const {
    return m_settings->value(kGroup + QLatin1Char('/') + kLogFolder).toString();
}

void WindowPlacementStore::setLogFolder(const QString& folder) {
    m_settings->setValue(kGroup + QLatin1Char('/') + kLogFolder, folder);
}

int twipsToPixels(int twips, double logicalDpi) {
    return roundedInt(twips * usableDpi(logicalDpi) / kTwipsPerInch);
}

int pixelsToTwips(int pixels, double logicalDpi) {
    return roundedInt(pixels * kTwipsPerInch / usableDpi(logicalDpi));
}

QRect placementToPixels(const WindowPlacement& p, double dpi) {
    return QRect(twipsToPixels(p.left, dpi), twipsToPixels(p.top, dpi), twipsToPixels(p.width, dpi),
                 twipsToPixels(p.height, dpi));
}

WindowPlacement placementFromPixels(const QRect& frame, double dpi) {
    return {pixelsToTwips(frame.left(), dpi), pixelsToTwips(frame.top(), dpi),
            pixelsToTwips(frame.width(), dpi), pixelsToTwips(frame.height(), dpi)};
}
