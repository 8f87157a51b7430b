#pragma once
// The map-details editor: the multiplayer and the single-player map-details files as free text on two
// tabs, a generator for one map's block, and the colouring of section heads and comments.

#include "mdlmapeditcode.h"
#include "mdlvariables.h"

#include <QWidget>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTextDocument;

namespace trel {

class MessageBoxes;

/// The text of a single-byte text box: one character per byte, every line break as one LF.
std::string EditorTextOf(const QTextDocument& document);

/// Puts editor text (line breaks as LF, see EditorTextFromFile) into a text box, one character per byte.
void SetEditorText(QPlainTextEdit& box, std::string_view text);

/// Puts editor text into a text box with runs (sorted, non-overlapping, as ColourPasses gives them)
/// already coloured; the caret stands at the start and there is nothing to undo.
void SetColouredText(QPlainTextEdit& box, std::string_view text, const std::vector<ColourSpan>& runs);

class mapedit : public QWidget {
    Q_OBJECT
public:
    /// The Quake 2 folder is taken from shared now. serverini gives the text of the main window's
    /// server-ini box; it is asked at opening (which file the multiplayer tab edits) and again whenever
    /// the multiplayer tab comes back (its heading).
    mapedit(const SharedValues& shared, std::function<std::string()> serverini, MessageBoxes& boxes,
            QWidget* parent = nullptr);

    /// Loads both map-details files (a missing one is created empty), fills the lists and the preview,
    /// colours the texts and shows the window. A file that cannot be created or read is reported in a
    /// "Warning!" box naming it and the reason; then nothing is shown and the result is false (the
    /// caller deletes the window). Call once, after the Quake 2 path check (CheckMapEditorPath).
    bool open();

    /// A request to open the editor while it is open: the window comes forward as it is, nothing is
    /// reloaded.
    void bringForward();

    /// Writes both texts back, each followed by CR LF. A file that cannot be written is reported in a
    /// "Warning!" box naming it and the reason; the window stays open with its text either way.
    bool savemapdetails();

    /// colourheads and then colourcomments over both edit windows; the caret of each goes back where it
    /// was, with nothing selected.
    void colourPasses();

    /// The files the two tabs edit, fixed at opening.
    const std::array<std::filesystem::path, 2>& files() const { return files_; }

signals:
    /// The window closed by "E&xit" or its close box, without saving: the main window comes back.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    QLabel* mapedithelp = nullptr;
    QTabWidget* SSTab2 = nullptr;
    std::array<QPlainTextEdit*, 2> EditWindow{}; // 0 multiplayer, 1 single player
    QFrame* Frame1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label7 = nullptr;
    QComboBox* varmapgametype = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QWidget* mapsTab = nullptr;
    QWidget* optionsTab = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* maps = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* valmaptimelimit = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* valmaxgems = nullptr;
    QLabel* gemgoal = nullptr;
    QComboBox* valgemgoal = nullptr;
    QLabel* Label6 = nullptr;
    QPlainTextEdit* sample = nullptr;
    QPushButton* insertmap = nullptr;
    QPushButton* butsave = nullptr;
    QPushButton* butexit = nullptr;

private:
    void createControls();
    void placeControls();
    void connectReactions();

    void rebuildPreview();
    void onTabChanged(int index);
    void onInsert();
    void colourWindow(std::size_t index);
    void applyColours(QTextDocument& document, const std::vector<ColourSpan>& spans);
    void onTyped(std::size_t index, char32_t character);
    bool isValueBox(QObject* watched) const;
    QString heading(const std::filesystem::path& file) const;

    std::string quake2Folder_;
    std::function<std::string()> serverini_;
    MessageBoxes& boxes_;
    std::array<std::filesystem::path, 2> files_;
    std::array<LoadedText, 2> loaded_; // the files as opened: their lines' ends
    bool multiplayer_ = true;   // the current-tab state: what an insert targets, whether gem_goal is built
    OpenHead openHead_;         // the typing colour's "[", shared by both edit windows
    bool colouring_ = false;    // colour changes of the passes are not edits the record must forget

    // What each edit window's passes left on screen, so a pass over a large text touches only changes.
    struct Colouring {
        ColourRecord record;
        bool changed = true; // text or colour changed since the last pass
    };
    std::array<Colouring, 2> colourState_;
};

} // namespace trel
