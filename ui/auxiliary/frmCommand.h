#pragma once
// The command-line viewer: a small window under the main window showing the preview text.

#include <QWidget>

class QPlainTextEdit;

namespace trel {

class frmCommand : public QWidget {
    Q_OBJECT
public:
    explicit frmCommand(QWidget* parent = nullptr);

    /// Puts the window just below mainWindow, left edges aligned.
    void placeBelow(const QWidget& mainWindow);
    void setCommandText(const QString& text);
    QString commandText() const;

signals:
    void closedByUser(); // the title-bar close box

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public:
    QPlainTextEdit* commandline = nullptr;
};

} // namespace trel
