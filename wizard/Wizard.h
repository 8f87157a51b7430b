#pragma once
// The quick-start wizard as a whole: at most one of its four pages exists at a time. Moving between
// pages closes the page shown and builds the next one afresh from the main window's current values.

#include <QObject>
#include <QPointer>

class QWidget;

namespace trel {

class LaunchOptionsAccess;
class WizardPage;

class Wizard : public QObject {
    Q_OBJECT
public:
    /// The wizard of the main window's options; make it a child of that window, so that it and its page end
    /// with it.
    explicit Wizard(LaunchOptionsAccess& options, QObject* parent = nullptr);
    ~Wizard() override;

    /// "Quick Start &Wizard...": shows page 1, or brings the page already open forward.
    void open();

    /// The page shown now, or nullptr when the wizard is closed.
    WizardPage* page() const;

    /// 1 to 4 for the page shown, 0 when the wizard is closed.
    int pageNumber() const;

signals:
    void finished();             // "&Finish" on page 4: the wizard is closed; refresh the preview
    void editMaplistRequested(); // "Edit Maplist" on page 2: run the map-details editor

private:
    void show(int number);
    void closePage();

    LaunchOptionsAccess& options_;
    QPointer<WizardPage> page_;
    int number_ = 0;
    unsigned serial_ = 0; // counts the pages built; a queued request names the page it came from
};

} // namespace trel
