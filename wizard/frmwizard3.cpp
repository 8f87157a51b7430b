#include "frmwizard3.h"

#include "main/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <initializer_list>
#include <utility>

namespace trel {
namespace {

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption) {
    auto* box = new QCheckBox(QLatin1String(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// A value box takes any text; its list stays empty.
QComboBox* MakeValueBox(QWidget* parent, const char* name, const char* initial) {
    auto* field = new QComboBox(parent);
    field->setObjectName(QLatin1String(name));
    field->setEditable(true);
    field->setInsertPolicy(QComboBox::NoInsert);
    field->setCompleter(nullptr);
    field->setEditText(QLatin1String(initial));
    return field;
}

// A tick state, grey included, goes across unchanged; a box that leaves grey ticks and unticks only.
void CopyTick(const QCheckBox& from, QCheckBox& to) {
    to.setCheckState(from.checkState());
}

void KeepTwoStatesOnceLeftGrey(QCheckBox* box) {
    QObject::connect(box, &QCheckBox::stateChanged, box, [box](int state) {
        if (state != Qt::PartiallyChecked)
            box->setTristate(false);
    });
}

} // namespace

frmwizard3::frmwizard3(Main& main, QWidget* parent) : WizardPage(main, "frmwizard3", parent) {
    Label1 = makeLabel("Label1", "Vorn options", true, false);
    Line11 = makeLine("Line11", true);
    Line12 = makeLine("Line12", false);
    Label2 = makeLabel("Label2", "Please select which options you wish to run with this game of Vorn", false, true);
    mrespawn = MakeCheckBox(this, "mrespawn", "Monster Respawn");
    boolgemgoal = MakeCheckBox(this, "boolgemgoal", "Gem Goal:");
    valgemgoal = MakeValueBox(this, "valgemgoal", "10");
    booltimelimit = MakeCheckBox(this, "booltimelimit", "Timelimit:");
    valtimelimit = MakeValueBox(this, "valtimelimit", "0");
    boolmaxgems = MakeCheckBox(this, "boolmaxgems", "Max Gems");
    valmaxgems = MakeValueBox(this, "valmaxgems", "0");
    placeControls();

    // Each change goes straight to the main window's control of the same name, whose own reaction runs
    // (the value-field rule, the preview).
    const std::array<std::pair<QCheckBox*, QCheckBox*>, 4> boxes = {{{mrespawn, main_.mrespawn},
                                                                     {boolgemgoal, main_.boolgemgoal},
                                                                     {booltimelimit, main_.booltimelimit},
                                                                     {boolmaxgems, main_.boolmaxgems}}};
    for (const auto& [page, window] : boxes) {
        KeepTwoStatesOnceLeftGrey(page);
        connect(page, &QCheckBox::stateChanged, this, [page = page, window = window] { CopyTick(*page, *window); });
    }
    const std::array<std::pair<QComboBox*, QComboBox*>, 3> values = {
        {{valgemgoal, main_.valgemgoal}, {valtimelimit, main_.valtimelimit}, {valmaxgems, main_.valmaxgems}}};
    for (const auto& [page, window] : values)
        connect(page, &QComboBox::editTextChanged, window, &QComboBox::setEditText);

    // Opening steps, in this order; each change handling copies the value straight back.
    CopyTick(*main_.mrespawn, *mrespawn);
    CopyTick(*main_.boolgemgoal, *boolgemgoal);
    valgemgoal->setEditText(main_.valgemgoal->currentText());
    CopyTick(*main_.boolmaxgems, *boolmaxgems);
    valmaxgems->setEditText(main_.valmaxgems->currentText());
    CopyTick(*main_.booltimelimit, *booltimelimit);
    valtimelimit->setEditText(main_.valtimelimit->currentText());
}

void frmwizard3::placeControls() {
    using namespace wizardlayout;
    constexpr int kBoxWidth = 73;
    constexpr int kValueLeft = kContentLeft + 80;
    const std::initializer_list<std::pair<QWidget*, QRect>> places = {
        {Label1, QRect(kContentLeft, 8, kContentWidth, 17)},
        {Line11, kLine11},
        {Line12, kLine12},
        {Label2, QRect(kContentLeft, 40, kContentWidth, 28)},
        {mrespawn, QRect(kContentLeft, 76, 113, 17)},
        {boolgemgoal, QRect(kContentLeft, 102, kBoxWidth, 17)},
        {valgemgoal, QRect(kValueLeft, 100, 49, 21)},
        {booltimelimit, QRect(kContentLeft, 128, kBoxWidth, 17)},
        {valtimelimit, QRect(kValueLeft, 126, 49, 21)},
        {boolmaxgems, QRect(kContentLeft, 154, kBoxWidth, 17)},
        {valmaxgems, QRect(kValueLeft, 152, 49, 21)},
    };
    for (const auto& [control, place] : places)
        control->setGeometry(place);
}

} // namespace trel
