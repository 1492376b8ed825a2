// The "Program Pump" page: the run program (target flow with its arrows,
// start and stop, three pauses, duration), the progress frame of "Program
// Pump" and the PC's time.
#pragma once

#include "core/pagevalues.h"

#include <QWidget>
#include <memory>

namespace Ui {
class ProgramPage;
}
struct StoredSettings;
class QDateTime;
class QGroupBox;
class UpDownButtons;

class ProgramPage : public QWidget {
    Q_OBJECT
public:
    explicit ProgramPage(QWidget* parent = nullptr);
    ~ProgramPage() override;

    // What the fields hold now, texts as shown.
    ProgramValues values() const;
    // Sets the target flow from the settings file.
    void applyStored(const StoredSettings& stored);
    // The start and stop pickers show the PC's date and time, and the six
    // pause pickers the empty-pause time 12:00:00.00.
    void showStartValues(const QDateTime& now);

    // UpDown1: its bounds are the attached model's flow limits.
    UpDownButtons* flowUpDown() const;
    // Frame20 with pbar3: the progress of "Program Pump".
    QGroupBox* progressFrame() const;

private:
    std::unique_ptr<Ui::ProgramPage> m_ui;
};
