// frmAbout: product name, version, the settings file in use, and a button
// that starts the desktop's system-information viewer.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class AboutDialog;
}

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `findViewer` gives the system-information viewer to start, empty when
    // there is none; by default the desktop's own (SysInfo::viewerPath).
    AboutDialog(const QString& settingsFile, QWidget* parent = nullptr,
                std::function<QString()> findViewer = {});
    ~AboutDialog() override;

private:
    void startSysInfo();
    std::unique_ptr<Ui::AboutDialog> m_ui;
    std::function<QString()> m_findViewer;
};
