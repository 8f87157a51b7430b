#pragma once
// Quick-start wizard, page 4: the summary of the chosen options, and "&Finish".

#include "WizardPage.h"

class QPlainTextEdit;

namespace trel {

struct WizardSummaryTexts;

/// The main window's texts that the summary shows, as single-byte text.
WizardSummaryTexts SummaryTextsOf(const LaunchOptionsAccess& options);

class frmwizard4 : public WizardPage {
    Q_OBJECT
public:
    /// Shows the summary of the main window's current options.
    explicit frmwizard4(LaunchOptionsAccess& options, QWidget* parent = nullptr);

signals:
    void finished(); // "&Finish": the wizard ends; the preview is refreshed

private:
    void placeControls();

public:
    QLabel* Label1 = nullptr;
    QPlainTextEdit* wizoptions = nullptr;
};

} // namespace trel
