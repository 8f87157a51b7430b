#pragma once
// Quick-start wizard, page 2: the start map.

#include "WizardPage.h"

class QListWidget;

namespace trel {

class frmwizard2 : public WizardPage {
    Q_OBJECT
public:
    /// Lists vorn01 to vorn04 with the main window's start map selected; the main window's fifth map
    /// has no entry here, so it shows no selection and the main window keeps its choice.
    explicit frmwizard2(LaunchOptionsAccess& options, QWidget* parent = nullptr);

signals:
    void editMaplistRequested(); // "Edit Maplist": the map-details editor, as from the main window

private:
    void placeControls();
    void copyToMain();

public:
    QLabel* Label1 = nullptr; // "Start Map:"
    QListWidget* maps = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command1 = nullptr; // "Edit Maplist"
};

} // namespace trel
