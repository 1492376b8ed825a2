// The "Pump Communication" page: the port options Com1 to Com4, the pump's
// identity and the step-by-step help for connecting a pump.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class CommunicationPage;
}
class QButtonGroup;
class SerialDevices;

class CommunicationPage : public QWidget {
    Q_OBJECT
public:
    explicit CommunicationPage(QWidget* parent = nullptr);
    ~CommunicationPage() override;

    // The page's controls are made on its first show (or by build()): a
    // window that opens on another page does not carry them meanwhile.
    void build();
    bool isBuilt() const { return m_ui != nullptr; }
    // Option7_0 to Option7_3, with the ids 0 to 3 (Com1 to Com4), from the
    // page's build on.
    QButtonGroup* portGroup() const { return m_ports; }
    // Where the device list comes from (not owned); the list is read each
    // time the page is shown, just after it is drawn (at once when it is
    // shown already).
    void setDeviceSource(const SerialDevices* devices);
    void refillDevices();

signals:
    // "Refresh Current Pump Data" was clicked.
    void refreshPumpDataRequested();
    // "Use this device for the chosen port": the device's location.
    void deviceChosen(const QString& location);
    // The controls exist from now on; what they are to show can be set.
    void built();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::unique_ptr<Ui::CommunicationPage> m_ui;
    QButtonGroup* m_ports = nullptr;
    const SerialDevices* m_devices = nullptr;
    bool m_listStale = false; // shown since the list was last read
};
