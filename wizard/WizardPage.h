#pragma once
// What the four quick-start wizard pages share: the window title and size, the logo, the etched
// separator above the buttons, the three buttons along the bottom right, and the navigation signals.
// A page keeps no state of its own: it shows the main window's values when it opens and writes every
// change straight into the main window's control.

#include <QRect>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace trel {

class LaunchOptionsAccess;

namespace wizardlayout {

// Every page is the same size: the logo upper left, the page's own content to its right, the
// separator and the buttons along the bottom.
inline constexpr int kWidth = 504;
inline constexpr int kHeight = 248;
inline constexpr QRect kPicture(8, 8, 254, 154);
inline constexpr int kContentLeft = 272;
inline constexpr int kContentWidth = kWidth - kContentLeft - 8;
inline constexpr QRect kLine1(8, 204, kWidth - 16, 1);
inline constexpr QRect kLine2(8, 205, kWidth - 16, 1);
inline constexpr QRect kBack(269, 215, 73, 25);
inline constexpr QRect kNext(342, 215, 73, 25);
inline constexpr QRect kCancel(423, 215, 73, 25);
// The second separator under the heading of pages 1 and 3.
inline constexpr QRect kLine11(kContentLeft, 28, kContentWidth, 1);
inline constexpr QRect kLine12(kContentLeft, 29, kContentWidth, 1);

} // namespace wizardlayout

class WizardPage : public QWidget {
    Q_OBJECT
public:
    /// The title "Trel Setup Wizard...", the fixed size, the logo, the separator and the three buttons
    /// "<- &Back", "&Next ->" and "&Cancel" (placed by the page with the rest of its controls).
    WizardPage(LaunchOptionsAccess& options, const char* name, QWidget* parent);

signals:
    void backRequested(); // "<- &Back"
    void nextRequested(); // "&Next ->"
    void cancelled();     // "&Cancel" or the title-bar close box: every change already sits in the main window

protected:
    void closeEvent(QCloseEvent* event) override;

    /// An etched separator is a dark line with a light line under it.
    QFrame* makeLine(const char* name, bool dark);
    QLabel* makeLabel(const char* name, const char* caption, bool bold, bool wrap);
    QPushButton* makeButton(const char* name, const char* caption);

    LaunchOptionsAccess& options_; // the main window's options

public:
    QLabel* Picture1 = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QPushButton* butback = nullptr;
    QPushButton* butnext = nullptr;
    QPushButton* butcancel = nullptr;
};

} // namespace trel
