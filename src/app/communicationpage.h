// The "Pump Communication" page: the port options Com1 to Com4, the pump's
// identity and the step-by-step help for connecting a pump.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class CommunicationPage;
}
class QButtonGroup;

class CommunicationPage : public QWidget {
    Q_OBJECT
public:
    explicit CommunicationPage(QWidget* parent = nullptr);
    ~CommunicationPage() override;

    // Option7_0 to Option7_3, with the ids 0 to 3 (Com1 to Com4).
    QButtonGroup* portGroup() const { return m_ports; }

signals:
    // "Refresh Current Pump Data" was clicked.
    void refreshPumpDataRequested();

private:
    std::unique_ptr<Ui::CommunicationPage> m_ui;
    QButtonGroup* m_ports = nullptr;
};
