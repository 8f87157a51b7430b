#include "mapedit.h"

#include "CodePage.h"
#include "ProgramFont.h"
#include "seams/MessageBoxes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>

namespace trel {
namespace {

// The colours of the heads and comments, and of typing after anything but a bracket.
const QColor kHeadColour(0, 0, 160);
const QColor kCommentColour(0, 100, 0);
const QColor kTypingColour(0, 0, 0);

constexpr int kValueEntries = 60;         // the value boxes offer "1" to "60"
constexpr int kPreselectedTimelimit = 19; // the twentieth entry, "20"

// Window layout, in pixels of the program's font: the generator frame keeps its size on the right, the
// edit tabs take the rest.
constexpr int kStartWidth = 640;
constexpr int kStartHeight = 461;
constexpr int kHeadingHeight = 17;
constexpr int kMargin = 4;
constexpr int kFrameWidth = 193;
constexpr int kFrameHeight = 436;
constexpr int kMinimumEditWidth = 160;

QString FromPathText(const std::string& text) { return QFile::decodeName(QByteArray::fromStdString(text)); }

std::string ToSingleByte(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QComboBox* MakeValueBox(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    // Only what the user types or picks is the value: no completion, and typed text is never added.
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(12);
    for (int n = 1; n <= kValueEntries; ++n)
        box->addItem(QString::number(n));
    box->setCurrentIndex(-1);
    box->setEditText(QStringLiteral("0"));
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QTextCharFormat ColourFormat(const QColor& colour) {
    QTextCharFormat format;
    format.setForeground(colour);
    return format;
}

} // namespace

std::string EditorTextOf(const QTextDocument& document) {
    // The raw text keeps every character, no-break spaces included; block and line separators are the
    // line breaks.
    const QString raw = document.toRawText();
    std::string text(static_cast<std::size_t>(raw.size()), '\0');
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char16_t c = raw.at(i).unicode();
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            text[static_cast<std::size_t>(i)] = '\n';
        else
            text[static_cast<std::size_t>(i)] = c <= 0xFF ? static_cast<char>(c) : '?';
    }
    return text;
}

void SetEditorText(QPlainTextEdit& box, std::string_view text) {
    box.setPlainText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void SetColouredText(QPlainTextEdit& box, std::string_view text, const std::vector<ColourSpan>& runs) {
    box.setPlainText(QString()); // caret, scrolling and undo start afresh
    QTextDocument& document = *box.document();
    const QTextCharFormat plain;
    const QTextCharFormat head = ColourFormat(kHeadColour);
    const QTextCharFormat comment = ColourFormat(kCommentColour);
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    const auto piece = [&](std::size_t from, std::size_t to, const QTextCharFormat& format) {
        if (to > from)
            cursor.insertText(QString::fromLatin1(text.data() + from, static_cast<qsizetype>(to - from)), format);
    };
    std::size_t at = 0;
    for (const ColourSpan& run : runs) {
        piece(at, run.start, plain);
        piece(run.start, run.end(), run.kind == ColourKind::Head ? head : comment);
        at = run.end();
    }
    piece(at, text.size(), plain);
    cursor.endEditBlock();
    document.setUndoRedoEnabled(true);
    box.setTextCursor(QTextCursor(&document));
}

mapedit::mapedit(const SharedValues& shared, std::function<std::string()> serverini, MessageBoxes& boxes,
                 QWidget* parent)
    : QWidget(parent, Qt::Window), quake2Folder_(shared.Quake2Folder), serverini_(std::move(serverini)),
      boxes_(boxes) {
    setObjectName(QStringLiteral("mapedit"));
    setFont(ProgramFont());
    createControls();
    connectReactions();
    setMinimumSize(3 * kMargin + kMinimumEditWidth + kFrameWidth, kHeadingHeight + 2 * kMargin + kFrameHeight);
    resize(kStartWidth, kStartHeight);
    placeControls();
}

void mapedit::createControls() {
    mapedithelp = MakeLabel(this, "mapedithelp", "Editing - ");
    // The heading is drawn in the system's selection colours.
    mapedithelp->setAutoFillBackground(true);
    mapedithelp->setBackgroundRole(QPalette::Highlight);
    mapedithelp->setForegroundRole(QPalette::HighlightedText);
    mapedithelp->setIndent(kMargin);

    SSTab2 = new QTabWidget(this);
    SSTab2->setObjectName(QStringLiteral("SSTab2"));
    const std::array<const char*, 2> tabCaptions = {"Multiplayer Vorn", "Single Player Vorn"};
    for (std::size_t i = 0; i < EditWindow.size(); ++i) {
        auto* edit = new QPlainTextEdit;
        edit->setObjectName(QStringLiteral("EditWindow(%1)").arg(i));
        edit->setFont(ProgramFont());
        edit->installEventFilter(this);
        EditWindow[i] = edit;
        SSTab2->addTab(edit, QString::fromLatin1(tabCaptions[i]));
    }

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Label2 = MakeLabel(Frame1, "Label2", "Gametype:");
    // Seen only while the game-type box above it is hidden.
    Label7 = MakeLabel(Frame1, "Label7", "Single Player Game");
    varmapgametype = new QComboBox(Frame1);
    varmapgametype->setObjectName(QStringLiteral("varmapgametype"));
    varmapgametype->addItems({QStringLiteral("Teamplay with mnstrs"), QStringLiteral("Teamplay w/o mnstrs"),
                              QStringLiteral("Deathmatch")});
    // "Deathmatch" stands in the box, in the normal text colour, while no game type is picked.
    varmapgametype->setPlaceholderText(QStringLiteral("Deathmatch"));
    QPalette colours = varmapgametype->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::PlaceholderText, colours.color(group, QPalette::ButtonText));
    varmapgametype->setPalette(colours);
    varmapgametype->setCurrentIndex(-1);
    varmapgametype->setToolTip(QStringLiteral("Gametype"));
    varmapgametype->installEventFilter(this);

    SSTab1 = new QTabWidget(Frame1);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    mapsTab = new QWidget;
    mapsTab->setObjectName(QStringLiteral("mapsTab"));
    optionsTab = new QWidget;
    optionsTab->setObjectName(QStringLiteral("optionsTab"));
    SSTab1->addTab(mapsTab, QStringLiteral("Maps"));
    SSTab1->addTab(optionsTab, QStringLiteral("Game Options"));

    Label1 = MakeLabel(mapsTab, "Label1", "Maps:");
    maps = new QListWidget(mapsTab);
    maps->setObjectName(QStringLiteral("maps"));
    for (const std::string_view name : kStandardMaps)
        maps->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));

    Label3 = MakeLabel(optionsTab, "Label3", "Timelimit ");
    valmaptimelimit = MakeValueBox(optionsTab, "valmaptimelimit");
    valmaptimelimit->setToolTip(QStringLiteral("Timelimit"));
    valmaptimelimit->setCurrentIndex(kPreselectedTimelimit);
    Label5 = MakeLabel(optionsTab, "Label5", "Maxgems :");
    valmaxgems = MakeValueBox(optionsTab, "valmaxgems");
    gemgoal = MakeLabel(optionsTab, "gemgoal", "Gem goal :");
    valgemgoal = MakeValueBox(optionsTab, "valgemgoal");
    for (QComboBox* box : {valmaptimelimit, valmaxgems, valgemgoal}) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }

    Label6 = MakeLabel(Frame1, "Label6", "Options Set :");
    sample = new QPlainTextEdit(Frame1);
    sample->setObjectName(QStringLiteral("sample"));
    sample->setFont(ProgramFont());
    sample->setLineWrapMode(QPlainTextEdit::NoWrap);
    insertmap = MakeButton(Frame1, "insertmap", "<-- Insert Map Details");
    insertmap->setToolTip(QStringLiteral("Inserts map details where you've placed the cursor."));
    butsave = MakeButton(Frame1, "butsave", "&Save");
    butexit = MakeButton(Frame1, "butexit", "E&xit");
}

void mapedit::placeControls() {
    struct Place {
        QWidget* control;
        int x, y, width, height; // a label without a size takes its caption's size
    };
    // The heading runs across the top, the frame keeps its size at the right edge, the edit tabs take the
    // rest. Inside the frame and on SSTab1's pages: relative to their corner.
    const int w = width();
    const int h = height();
    const int top = kHeadingHeight + kMargin;
    const Place places[] = {
        {mapedithelp, 0, 0, w, kHeadingHeight},
        {SSTab2, kMargin, top, w - 3 * kMargin - kFrameWidth, h - top - kMargin},
        {Frame1, w - kMargin - kFrameWidth, top, kFrameWidth, kFrameHeight},
        {Label2, 8, 8, 0, 0},
        {varmapgametype, 8, 24, 177, 22},
        {Label7, 8, 24, 177, 22},
        {SSTab1, 8, 54, 177, 190},
        {Label1, 8, 6, 0, 0},
        {maps, 8, 22, 157, 125},
        {Label3, 8, 12, 0, 0},
        {valmaptimelimit, 84, 8, 73, 22},
        {Label5, 8, 44, 0, 0},
        {valmaxgems, 84, 40, 73, 22},
        {gemgoal, 8, 76, 0, 0},
        {valgemgoal, 84, 72, 73, 22},
        {Label6, 8, 252, 0, 0},
        {sample, 8, 268, 177, 97},
        {insertmap, 8, 372, 177, 25},
        {butsave, 8, 404, 81, 25},
        {butexit, 104, 404, 81, 25},
    };
    for (const Place& place : places) {
        if (place.width == 0) {
            place.control->move(place.x, place.y);
            place.control->adjustSize();
        } else {
            place.control->setGeometry(place.x, place.y, place.width, place.height);
        }
    }
}

void mapedit::connectReactions() {
    connect(maps, &QListWidget::itemSelectionChanged, this, &mapedit::rebuildPreview);
    connect(maps, &QListWidget::itemClicked, this, &mapedit::rebuildPreview);
    // A pick by the user or by the program rebuilds the preview; typing into a value box does not.
    for (QComboBox* box : {varmapgametype, valmaptimelimit, valmaxgems, valgemgoal}) {
        connect(box, &QComboBox::activated, this, &mapedit::rebuildPreview);
        connect(box, &QComboBox::currentIndexChanged, this, &mapedit::rebuildPreview);
    }
    connect(SSTab2, &QTabWidget::currentChanged, this, &mapedit::onTabChanged);
    connect(insertmap, &QPushButton::clicked, this, &mapedit::onInsert);
    connect(butsave, &QPushButton::clicked, this, &mapedit::savemapdetails);
    connect(butexit, &QPushButton::clicked, this, &mapedit::close);
    for (std::size_t i = 0; i < EditWindow.size(); ++i) {
        connect(EditWindow[i]->document(), &QTextDocument::contentsChange, this,
                [this, i](int position, int removed, int added) {
                    if (colouring_)
                        return;
                    colourState_[i].record.edited(static_cast<std::size_t>(position), static_cast<std::size_t>(removed),
                                                  static_cast<std::size_t>(added));
                    colourState_[i].changed = true;
                });
    }
}

bool mapedit::open() {
    const std::string serverini = serverini_ ? serverini_() : std::string();
    if (const auto refusal = ServerIniNameRefusal(serverini)) {
        boxes_.warning(parentWidget(), FromCodePage(*refusal));
        return false;
    }
    files_ = {MultiplayerMapFile(quake2Folder_, serverini), SinglePlayerMapFile(quake2Folder_)};
    std::array<std::string, 2> texts;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const TextFileLoad load = LoadTextFile(files_[i], WhenMissing::CreateEmpty);
        if (!load.ok) {
            // Not opened: a save would otherwise replace the file the user could not see with an empty text.
            boxes_.warning(parentWidget(), QStringLiteral("The map list editor cannot open this file:\n\n") +
                                               FromPathText(load.why));
            return false;
        }
        loaded_[i] = LoadTextLines(load.bytes);
        texts[i] = loaded_[i].text;
    }
    // The texts go in with their colours: the same screen as loading and then running both passes,
    // without touching every head and comment of a large file a second time.
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const std::vector<ColourSpan> coloured = ColourPasses(texts[i]);
        colouring_ = true;
        SetColouredText(*EditWindow[i], texts[i], coloured);
        colouring_ = false;
        colourState_[i].record.clear();
        colourState_[i].record.applied(coloured);
        colourState_[i].changed = false;
    }

    mapedithelp->setText(heading(files_[0]));
    setWindowTitle(QString::fromStdString(MapEditorTitle()));
    multiplayer_ = true;
    maps->setCurrentRow(0); // the pick rebuilds the preview
    rebuildPreview();
    show();
    return true;
}

void mapedit::bringForward() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

bool mapedit::savemapdetails() {
    QStringList failures;
    for (std::size_t i = 0; i < EditWindow.size(); ++i) {
        std::string why;
        if (!SaveTextFile(files_[i], EditorTextOf(*EditWindow[i]->document()), why, loaded_[i]))
            failures << FromPathText(why);
    }
    if (failures.isEmpty())
        return true;
    boxes_.warning(this, QStringLiteral("Your changes could not be saved; they are still in the editor.\n\n") +
                             failures.join(QLatin1Char('\n')));
    return false;
}

void mapedit::colourPasses() {
    for (std::size_t i = 0; i < EditWindow.size(); ++i)
        colourWindow(i);
}

void mapedit::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void mapedit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

bool mapedit::isValueBox(QObject* watched) const {
    for (QComboBox* box : {valmaptimelimit, valmaxgems, valgemgoal}) {
        if (watched == box || watched == box->lineEdit())
            return true;
    }
    return false;
}

bool mapedit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        // Tab and Shift+Tab move the focus out of the filtered boxes; they are not typed characters.
        const bool filtered = !typed.isEmpty() && key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab;
        if (watched == varmapgametype && filtered)
            return true; // the game type is only picked from the list
        if (isValueBox(watched) && filtered && key->key() != Qt::Key_Delete) {
            const QChar c = typed.at(0);
            const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
            return !(digit || c == QChar(8)); // digits and backspace only
        }
        // Ctrl with a letter is a shortcut (copy, select all), not typing; Ctrl with Alt is AltGr typing.
        const Qt::KeyboardModifiers held = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        const bool shortcut = held == Qt::ControlModifier;
        for (std::size_t i = 0; i < EditWindow.size(); ++i) {
            if (watched == EditWindow[i] && !typed.isEmpty() && !shortcut)
                onTyped(i, typed.at(0).unicode());
        }
    } else if (event->type() == QEvent::FocusOut && isValueBox(watched)) {
        // Leaving a value box makes the box take up a typed value that matches an entry, as if it had
        // been picked; the preview waits for the next real pick.
        auto* box = qobject_cast<QComboBox*>(watched);
        if (box == nullptr)
            box = qobject_cast<QComboBox*>(watched->parent());
        const QSignalBlocker quiet(box);
        return static_cast<QObject*>(watched)->event(event);
    }
    return QWidget::eventFilter(watched, event);
}

void mapedit::rebuildPreview() {
    const QList<QListWidgetItem*> picked = maps->selectedItems();
    const std::string map = picked.isEmpty() ? std::string() : ToSingleByte(picked.first()->text());
    const std::string block =
        buildmapdetails(map, varmapgametype->currentIndex(), ToSingleByte(valgemgoal->currentText()),
                        ToSingleByte(valmaptimelimit->currentText()), ToSingleByte(valmaxgems->currentText()),
                        multiplayer_);
    SetEditorText(*sample, EditorTextFromFile(block));
}

QString mapedit::heading(const std::filesystem::path& file) const { return FromPathText(EditingHeading(file)); }

void mapedit::onTabChanged(int index) {
    multiplayer_ = index == 0;
    if (multiplayer_) {
        // The heading names the file the main window's box names now.
        mapedithelp->setText(
            heading(MultiplayerMapFile(quake2Folder_, serverini_ ? serverini_() : std::string())));
    } else {
        mapedithelp->setText(heading(files_[1]));
    }
    varmapgametype->setVisible(multiplayer_);
    gemgoal->setVisible(multiplayer_);
    valgemgoal->setVisible(multiplayer_);
    colourPasses();
}

void mapedit::onInsert() {
    const std::string block = EditorTextOf(*sample->document());
    QPlainTextEdit* edit = EditWindow[multiplayer_ ? 0 : 1];
    QTextCursor cursor = edit->textCursor();
    // The block goes in plain; the passes then colour its head.
    cursor.insertText(QString::fromLatin1(block.data(), static_cast<qsizetype>(block.size())), QTextCharFormat());
    edit->setTextCursor(cursor);
    colourPasses();
}

void mapedit::colourWindow(std::size_t index) {
    QPlainTextEdit& edit = *EditWindow[index];
    Colouring& state = colourState_[index];
    const int caret = edit.textCursor().selectionStart();
    // A text unchanged since its last pass already shows what the pass would give.
    if (state.changed) {
        const std::vector<ColourSpan> wanted = ColourPasses(EditorTextOf(*edit.document()));
        applyColours(*edit.document(), state.record.missing(wanted));
        state.record.applied(wanted);
        state.changed = false;
    }
    QTextCursor back(edit.document());
    back.setPosition(caret);
    edit.setTextCursor(back);
}

void mapedit::applyColours(QTextDocument& document, const std::vector<ColourSpan>& spans) {
    if (spans.empty())
        return;
    const QTextCharFormat head = ColourFormat(kHeadColour);
    const QTextCharFormat comment = ColourFormat(kCommentColour);
    colouring_ = true;
    // Colours are no edit the user could undo; one edit block lays the text out once at the end.
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (const ColourSpan& span : spans) {
        cursor.setPosition(static_cast<int>(span.start));
        cursor.setPosition(static_cast<int>(span.end()), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(span.kind == ColourKind::Head ? head : comment);
    }
    cursor.endEditBlock();
    document.setUndoRedoEnabled(true);
    colouring_ = false;
}

void mapedit::onTyped(std::size_t index, char32_t character) {
    QPlainTextEdit& edit = *EditWindow[index];
    const auto caret = static_cast<std::size_t>(edit.textCursor().selectionStart());
    const TypedResult result = TypedCharacter(openHead_, character, caret);
    switch (result.effect) {
    case TypedEffect::None:
    case TypedEffect::HeadOpened:
        break;
    case TypedEffect::ColourHead: {
        QTextDocument& document = *edit.document();
        document.setUndoRedoEnabled(false);
        QTextCursor head(&document);
        head.setPosition(static_cast<int>(result.span.start));
        head.setPosition(static_cast<int>(result.span.end()), QTextCursor::KeepAnchor);
        head.mergeCharFormat(ColourFormat(kHeadColour));
        document.setUndoRedoEnabled(true);
        // A fresh caret types in the colour of the text before it, so the "]" joins the head.
        QTextCursor back(&document);
        back.setPosition(static_cast<int>(caret));
        edit.setTextCursor(back);
        break;
    }
    case TypedEffect::TypeBlack:
        edit.mergeCurrentCharFormat(ColourFormat(kTypingColour));
        break;
    }
}

} // namespace trel
