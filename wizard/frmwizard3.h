#pragma once
// Quick-start wizard, page 3: monster respawn, gem goal, time limit and maximum gems.

#include "WizardPage.h"

#include <array>

class QCheckBox;
class QComboBox;

namespace trel {

class frmwizard3 : public WizardPage {
    Q_OBJECT
public:
    /// Shows the main window's ticks and values. Every control is usable whatever the game type, and
    /// typed text reaches the main window's value boxes unfiltered.
    explicit frmwizard3(LaunchOptionsAccess& options, QWidget* parent = nullptr);

private:
    void placeControls();

public:
    QLabel* Label1 = nullptr; // "Vorn options"
    QFrame* Line11 = nullptr;
    QFrame* Line12 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* mrespawn = nullptr;
    QCheckBox* boolgemgoal = nullptr;
    QComboBox* valgemgoal = nullptr;
    QCheckBox* booltimelimit = nullptr;
    QComboBox* valtimelimit = nullptr;
    QCheckBox* boolmaxgems = nullptr;
    QComboBox* valmaxgems = nullptr;
};

} // namespace trel
