#include "frmwizard3.h"

#include "CodePage.h"
#include "LaunchOptionsAccess.h"

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

void KeepTwoStatesOnceLeftGrey(QCheckBox* box) {
    QObject::connect(box, &QCheckBox::stateChanged, box, [box](int state) {
        if (state != Qt::PartiallyChecked)
            box->setTristate(false);
    });
}

} // namespace

frmwizard3::frmwizard3(LaunchOptionsAccess& options, QWidget* parent) : WizardPage(options, "frmwizard3", parent) {
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
    using Tick = LaunchOptionsAccess::Tick;
    using Value = LaunchOptionsAccess::Value;
    const std::array<std::pair<QCheckBox*, Tick>, 4> boxes = {{{mrespawn, Tick::MonsterRespawn},
                                                               {boolgemgoal, Tick::GemGoal},
                                                               {booltimelimit, Tick::TimeLimit},
                                                               {boolmaxgems, Tick::MaxGems}}};
    for (const auto& [page, tick] : boxes) {
        KeepTwoStatesOnceLeftGrey(page);
        connect(page, &QCheckBox::stateChanged, this,
                [this, page = page, tick = tick] { options_.setTickState(tick, page->checkState()); });
    }
    const std::array<std::pair<QComboBox*, Value>, 3> values = {
        {{valgemgoal, Value::GemGoal}, {valtimelimit, Value::TimeLimit}, {valmaxgems, Value::MaxGems}}};
    for (const auto& [page, value] : values) {
        // The main window stores these texts in the system's code page.
        RefuseOutsideCodePage(*page->lineEdit(), [this](const QString& message) { options_.refuseText(message); });
        connect(page, &QComboBox::editTextChanged, this,
                [this, value = value](const QString& text) { options_.setValueText(value, text); });
    }

    // Opening steps, in this order; each change handling copies the value straight back. A tick state,
    // grey included, goes across unchanged.
    mrespawn->setCheckState(options_.tickState(Tick::MonsterRespawn));
    boolgemgoal->setCheckState(options_.tickState(Tick::GemGoal));
    valgemgoal->setEditText(options_.valueText(Value::GemGoal));
    boolmaxgems->setCheckState(options_.tickState(Tick::MaxGems));
    valmaxgems->setEditText(options_.valueText(Value::MaxGems));
    booltimelimit->setCheckState(options_.tickState(Tick::TimeLimit));
    valtimelimit->setEditText(options_.valueText(Value::TimeLimit));
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
