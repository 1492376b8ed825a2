// Where the main window was last: four keys in the per-user settings store
// (organisation and application "Corvane", group "Settings"), in twips as the
// pump program has always kept them, stored as text.
#pragma once

#include <QRect>
#include <QString>

#include <memory>

class QSettings;

struct WindowPlacement {
    // Twips (1440 an inch); the outer frame of the main window.
    int left = 100;
    int top = 1000;
    int width = 8580;
    int height = 7290;

    bool operator==(const WindowPlacement& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

class WindowPlacementStore {
public:
    // The platform's own per-user store.
    WindowPlacementStore();
    // An INI file at `path` instead (tests, portable installs).
    explicit WindowPlacementStore(const QString& path);
    ~WindowPlacementStore();

    // Each key that is missing, not a number, or (for the size) not positive
    // gives its default.
    WindowPlacement load() const;
    bool save(const WindowPlacement& placement);

    // The folder the log file dialogs start in ("LogFolder" in the same
    // group); empty when none was kept. Saved with the placement.
    QString logFolder() const;
    void setLogFolder(const QString& folder);

private:
    std::unique_ptr<QSettings> m_settings;
};

// Twips to the window system's pixels and back at the screen's logical DPI
// (96 when the screen does not say), rounded to the nearest whole unit.
int twipsToPixels(int twips, double logicalDpi);
int pixelsToTwips(int pixels, double logicalDpi);
QRect placementToPixels(const WindowPlacement& placement, double logicalDpi);
WindowPlacement placementFromPixels(const QRect& frame, double logicalDpi);
