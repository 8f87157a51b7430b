#pragma once
// Quick-start wizard, page 1: the game type.

#include "WizardPage.h"

class QComboBox;

namespace trel {

class frmwizard1 : public WizardPage {
    Q_OBJECT
public:
    /// Shows the main window's game type; choosing or typing one sets the main window's at once.
    explicit frmwizard1(LaunchOptionsAccess& options, QWidget* parent = nullptr);

    /// The entry the typed or chosen text names: the chosen entry, the entry whose text the typed text
    /// equals exactly, or -1 for none.
    int selectedPosition() const;

private:
    void placeControls();
    void copyToMain();

public:
    QLabel* Label2 = nullptr; // "Welcome!"
    QFrame* Line11 = nullptr;
    QFrame* Line12 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* gametype = nullptr;
};

} // namespace trel
