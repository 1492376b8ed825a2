// frmAbout: product name, version, the settings file in use, and a button
// that starts the desktop's system-information viewer.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class AboutDialog;
}

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const QString& settingsFile, QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    void startSysInfo();
    std::unique_ptr<Ui::AboutDialog> m_ui;
};
