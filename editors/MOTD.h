#pragma once
// The message-of-the-day editor: vorn/motd.txt as free text.

#include "mdlmapeditcode.h"
#include "mdlvariables.h"

#include <QWidget>

#include <filesystem>

class QPlainTextEdit;
class QPushButton;

namespace trel {

class MessageBoxes;

class MOTD : public QWidget {
    Q_OBJECT
public:
    MOTD(const SharedValues& shared, MessageBoxes& boxes, QWidget* parent = nullptr);

    /// Loads motd.txt whole (a missing file is an empty text; "Save" creates it) and shows the window.
    /// A file that exists but cannot be read is reported in a "Warning!" box naming it and the reason;
    /// then nothing is shown and the result is false (the caller deletes the window).
    bool open();

    /// A request to open the editor while it is open: the window comes forward as it is, nothing is
    /// reloaded.
    void bringForward();

    /// Writes the text followed by CR LF. A failure is reported naming the file and the reason; the
    /// window stays open with its text either way.
    bool save();

    const std::filesystem::path& file() const { return file_; }

signals:
    /// The window closed by "Exit" or its close box, without saving.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public:
    QPlainTextEdit* EditWindow = nullptr;
    QPushButton* Command2 = nullptr; // Save
    QPushButton* Command1 = nullptr; // Exit

private:
    void placeControls();

    std::filesystem::path file_;
    LoadedText loaded_; // the file as opened: its lines' ends
    MessageBoxes& boxes_;
};

} // namespace trel
