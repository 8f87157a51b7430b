#pragma once
// The about box: the logo, the version, the credits and a link to more about Vorn and Trel.

#include <QString>
#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace trel {

class DocumentOpener;
class MessageBoxes;

class Aboutform : public QWidget {
    Q_OBJECT
public:
    /// The web site Trel was built with (the TREL_WEB_SITE build setting), or manualFile while the
    /// setting is empty: what the about box's link opens.
    static QString WebSiteOr(const QString& manualFile);

    /// link is a web address, or the full path of the manual; the box shows the address, or the
    /// manual's file name, and opens it when clicked. The box deletes itself when closed.
    Aboutform(DocumentOpener& documents, MessageBoxes& boxes, const QString& link, QWidget* parent = nullptr);

    /// What the link opens.
    QString link() const { return link_; }

signals:
    void closed(); // "Ok" or the title-bar close box

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeControls();
    void openLink();

    DocumentOpener& documents_;
    MessageBoxes& boxes_;
    QString link_;
    bool linkPressed_ = false;

public:
    QLabel* Picture1 = nullptr;
    QLabel* version = nullptr;
    QPushButton* Command1 = nullptr; // "Ok"
    QLabel* Label11 = nullptr;       // rights notice
    QLabel* Label1 = nullptr;        // "Author:"
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr; // "Special Thanks:"
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr; // "Thanks:"
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;     // the logo's credit
    QLabel* Label13 = nullptr;     // the invitation to follow the link
    QLabel* Label14 = nullptr;     // the link
    std::array<QFrame*, 8> Line{}; // four etched separators, each a dark line over a light one
};

} // namespace trel
