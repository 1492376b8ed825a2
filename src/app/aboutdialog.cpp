#include "app/aboutdialog.h"

#include "core/sysinfo.h"
#include "ui_aboutdialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>

AboutDialog::AboutDialog(const QString& settingsFile, QWidget* parent,
                         std::function<QString()> findViewer)
    : QDialog(parent), m_ui(std::make_unique<Ui::AboutDialog>()),
      m_findViewer(findViewer ? std::move(findViewer) : [] { return SysInfo::viewerPath(); }) {
    m_ui->setupUi(this);
    const QString title = QApplication::applicationName();
    setWindowTitle(QStringLiteral("About ") + title);
    m_ui->lblProductName->setText(title);
    m_ui->lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                                  .arg(CORVANE_VERSION_MAJOR)
                                  .arg(CORVANE_VERSION_MINOR)
                                  .arg(CORVANE_VERSION_PATCH));
    m_ui->lblSettingsFile->setText(QStringLiteral("Settings file: ") + settingsFile);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(m_ui->cmdSysInfo, &QPushButton::clicked, this, &AboutDialog::startSysInfo);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::startSysInfo() {
    const QString viewer = m_findViewer();
    if (viewer.isEmpty() || !QProcess::startDetached(viewer, {})) {
        // Under the program's title, as every message of the program.
        auto* box =
            new QMessageBox(QMessageBox::NoIcon, QApplication::applicationName(),
                            QStringLiteral("System Information Is Unavailable At This Time"),
                            QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}
