#include "frmwizard1.h"

#include "LaunchOptionsAccess.h"
#include "mdlvariables.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <initializer_list>
#include <string_view>
#include <utility>

namespace trel {

frmwizard1::frmwizard1(LaunchOptionsAccess& options, QWidget* parent) : WizardPage(options, "frmwizard1", parent) {
    Label2 = makeLabel("Label2", "Welcome!", true, false);
    Line11 = makeLine("Line11", true);
    Line12 = makeLine("Line12", false);
    Label1 = makeLabel("Label1",
                       "Welcome to the Trel Setup Wizard, simply fill in all the settings you wish when prompted and "
                       "it will automatically setup the server for you.",
                       false, true);
    Label3 = makeLabel("Label3", "Please select which gametype you wish to run :", false, true);

    gametype = new QComboBox(this);
    gametype->setObjectName(QStringLiteral("gametype"));
    gametype->setEditable(true);
    gametype->setInsertPolicy(QComboBox::NoInsert);
    gametype->setCompleter(nullptr); // a typed text stays as typed, never completed to an entry
    for (const std::string_view name : kGameTypeNames)
        gametype->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    // With no entry chosen the box shows "Deathmatch", as the main window's box does, in ordinary text.
    gametype->lineEdit()->setPlaceholderText(
        QString::fromLatin1(kGameTypeNames[kGameTypeDeathmatch].data(),
                            static_cast<qsizetype>(kGameTypeNames[kGameTypeDeathmatch].size())));
    QPalette colours = gametype->lineEdit()->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setBrush(group, QPalette::PlaceholderText, colours.brush(group, QPalette::Text));
    gametype->lineEdit()->setPalette(colours);

    butback->setEnabled(false); // the first page has nothing before it
    placeControls();

    connect(gametype, &QComboBox::currentIndexChanged, this, &frmwizard1::copyToMain);
    connect(gametype, &QComboBox::editTextChanged, this, &frmwizard1::copyToMain);

    // Opening step: the main window's game type; its change handling copies it straight back.
    gametype->setCurrentIndex(options_.gameTypePosition());
    if (gametype->currentIndex() < 0)
        gametype->clearEditText();
}

void frmwizard1::placeControls() {
    using namespace wizardlayout;
    const std::initializer_list<std::pair<QWidget*, QRect>> places = {
        {Label2, QRect(kContentLeft, 8, kContentWidth, 17)},
        {Line11, kLine11},
        {Line12, kLine12},
        {Label1, QRect(kContentLeft, 40, kContentWidth, 54)},
        {Label3, QRect(kContentLeft, 100, kContentWidth, 28)},
        {gametype, QRect(kContentLeft, 132, 161, 21)},
    };
    for (const auto& [control, place] : places)
        control->setGeometry(place);
}

int frmwizard1::selectedPosition() const {
    const QString shown = gametype->currentText();
    const int chosen = gametype->currentIndex();
    if (chosen >= 0 && gametype->itemText(chosen) == shown)
        return chosen;
    return gametype->findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void frmwizard1::copyToMain() {
    // Setting the main window's box runs its own reaction: the game-type rules and the preview.
    options_.setGameTypePosition(selectedPosition());
}

} // namespace trel
