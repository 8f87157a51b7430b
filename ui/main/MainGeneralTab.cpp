#include "Main.h"

#include "MainParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabWidget>
#include <initializer_list>
#include <string_view>

namespace trel {

using namespace mainwindow;

namespace {

const QString kNoGameTypeText = QStringLiteral("Deathmatch");

QStringList NumberListTexts() {
    QStringList texts;
    texts.reserve(kNumberListSize);
    for (int n = 1; n <= kNumberListSize; ++n)
        texts.append(QString::number(n));
    return texts;
}

} // namespace

// The General tab: the executable, the game type, the command-line switch, the start map, the gem goal
// and the map cycle button, the additional parameters; with the game type's enabling rules.
void Main::createGeneralTab(QCompleter& standIn) {
    QWidget* general = tabPanes[kTabGeneral];
    Frame4 = MakeFrame(general, "Frame4");
    Label4 = MakeLabel(Frame4, "Label4", "Quake2 executable:");
    quake2dir = MakeTextBox(Frame4, "quake2dir", "c:\\quake2\\quake2.exe");
    quake2dir->setReadOnly(true);
    findquake2dir = MakeButton(Frame4, "findquake2dir", "...");
    Label9 = MakeLabel(Frame4, "Label9", "Gametype:");
    gametype = new QComboBox(Frame4);
    gametype->setObjectName(QStringLiteral("gametype"));
    // With no entry chosen the box shows "Deathmatch" as its ordinary text, not as a greyed hint.
    gametype->setPlaceholderText(kNoGameTypeText);
    QPalette gametypePalette = gametype->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        gametypePalette.setBrush(group, QPalette::PlaceholderText, gametypePalette.brush(group, QPalette::ButtonText));
    gametype->setPalette(gametypePalette);
    for (const std::string_view name : kGameTypeNames)
        gametype->addItem(FromView(name));
    gametype->setCurrentIndex(-1);
    ShowCommandLine = MakeCheckBox(Frame4, "ShowCommandLine", "View Commandline");
    Label1 = MakeLabel(general, "Label1", "Start Map:");
    maps = new QListWidget(general);
    maps->setObjectName(QStringLiteral("maps"));
    maps->setSelectionMode(QAbstractItemView::SingleSelection);
    Frame1 = MakeFrame(general, "Frame1");
    boolgemgoal = MakeCheckBox(Frame1, "boolgemgoal", "Gem Goal:");
    boolgemgoal->setEnabled(false);
    valgemgoal = MakeValueField(Frame1, "valgemgoal", "10", standIn);
    valgemgoal->setEnabled(false);
    editmapcycle = MakeButton(Frame1, "editmapcycle", "Edit Map Cycle");
    Label2 = MakeLabel(general, "Label2", "Additional Parameters:");
    addparam = MakeTextBox(general, "addparam", "");
}

void Main::onGameTypeChosen(int index) {
    // Leaving every entry (a text on the wizard's first page that names none) is a change like any other: the
    // rules run with an empty text, and the box shows that empty text from now on.
    if (index < 0)
        gametype->setPlaceholderText(QString());
    const QString chosen = index < 0 ? QString() : gametype->itemText(index);
    const bool singlePlayer = chosen == FromView(kGameTypeNames[kGameTypeSinglePlayer]);
    if (singlePlayer) {
        // The server tabs mean nothing to a single player; their page must not stay in front.
        if (maintab->currentIndex() != kTabGeneral)
            maintab->setCurrentIndex(kTabGeneral);
        maintab->setTabEnabled(kTabServerOptions, false);
        maintab->setTabEnabled(kTabServerAdmin, false);
        boolgemgoal->setEnabled(true);
        valgemgoal->setEnabled(true);
    } else {
        maintab->setTabEnabled(kTabServerOptions, true);
        maintab->setTabEnabled(kTabServerAdmin, true);
        boolgemgoal->setCheckState(Qt::Unchecked);
        boolgemgoal->setEnabled(false);
        valgemgoal->setEnabled(false);
    }
    mapCycleByGameType_ = singlePlayer;
    updateMapCycleButton();

    if (chosen == FromView(kGameTypeNames[1])) {
        mrespawn->setEnabled(true);
    } else {
        mrespawn->setCheckState(Qt::Unchecked);
        mrespawn->setEnabled(false);
    }
    emit optionsChanged();
}

void Main::onValueBoxChanged(QComboBox* field, int state) {
    field->setEnabled(state == Qt::Checked);
    emit optionsChanged();
}

void Main::updateMapCycleButton() {
    editmapcycle->setEnabled(mapCycleAvailable_ && mapCycleByGameType_);
}

QString Main::gametypeText() const {
    return gametype->currentIndex() < 0 ? gametype->placeholderText() : gametype->currentText();
}

void Main::fillNumberList(QComboBox* field) {
    // Filling a list would pick its first entry; the text the user sees stays what it was.
    const QSignalBlocker blocker(field);
    const QString shown = field->currentText();
    field->clear();
    field->addItems(NumberListTexts());
    field->setCurrentIndex(-1);
    field->setEditText(shown);
}

void Main::fillMapList() {
    maps->clear();
    for (const std::string_view name : kStandardMaps)
        maps->addItem(FromView(name));
}

void Main::selectMap(int row) {
    if (row < 0 || row >= maps->count()) {
        maps->setCurrentRow(-1);
        maps->clearSelection();
        return;
    }
    maps->setCurrentRow(row);
}

int Main::gameTypePosition() const {
    return gametype->currentIndex();
}

void Main::setGameTypePosition(int position) {
    gametype->setCurrentIndex(position);
}

int Main::startMapRow() const {
    const QList<QListWidgetItem*> selected = maps->selectedItems();
    return selected.isEmpty() ? -1 : maps->row(selected.front());
}

QString Main::startMapName() const {
    const QList<QListWidgetItem*> selected = maps->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

void Main::setStartMapRow(int row) {
    maps->setCurrentRow(row);
}

QCheckBox* Main::tickBox(Tick tick) const {
    switch (tick) {
    case Tick::MonsterRespawn:
        return mrespawn;
    case Tick::GemGoal:
        return boolgemgoal;
    case Tick::TimeLimit:
        return booltimelimit;
    case Tick::MaxGems:
        break;
    }
    return boolmaxgems;
}

QComboBox* Main::valueBox(Value value) const {
    switch (value) {
    case Value::GemGoal:
        return valgemgoal;
    case Value::TimeLimit:
        return valtimelimit;
    case Value::MaxGems:
        break;
    }
    return valmaxgems;
}

Qt::CheckState Main::tickState(Tick tick) const {
    return tickBox(tick)->checkState();
}

void Main::setTickState(Tick tick, Qt::CheckState state) {
    tickBox(tick)->setCheckState(state);
}

QString Main::valueText(Value value) const {
    return valueBox(value)->currentText();
}

void Main::setValueText(Value value, const QString& text) {
    valueBox(value)->setEditText(text);
}

} // namespace trel
