#pragma once
// The splash screen, shown with the logo while start-up loads the settings.

#include <QWidget>

class QLabel;

namespace trel {

class splashscreen : public QWidget {
    Q_OBJECT
public:
    explicit splashscreen(QWidget* parent = nullptr);
    /// Keeps the window above all others while on is true.
    void setTopmost(bool on);

public:
    QLabel* Picture1 = nullptr;
};

} // namespace trel
