#include "frmwizard4.h"

#include "CodePage.h"
#include "LaunchOptionsAccess.h"
#include "mdlwizard.h"

#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

#include <initializer_list>
#include <utility>

namespace trel {
namespace {

// Option texts are code-page text; the boxes they come from hold nothing else.
std::string ToBytes(const QString& text) {
    return ToCodePage(text).value_or(std::string());
}

} // namespace

WizardSummaryTexts SummaryTextsOf(const LaunchOptionsAccess& options) {
    WizardSummaryTexts texts;
    texts.map = ToBytes(options.startMapName());
    texts.gametype = ToBytes(options.gameTypeText());
    texts.timelimit = ToBytes(options.valueText(LaunchOptionsAccess::Value::TimeLimit));
    texts.maxgems = ToBytes(options.valueText(LaunchOptionsAccess::Value::MaxGems));
    texts.gemgoal = ToBytes(options.valueText(LaunchOptionsAccess::Value::GemGoal));
    return texts;
}

frmwizard4::frmwizard4(LaunchOptionsAccess& options, QWidget* parent) : WizardPage(options, "frmwizard4", parent) {
    Label1 = makeLabel("Label1", "You have chosen the following options, trel is now capable of running a Trel Server",
                       false, true);
    wizoptions = new QPlainTextEdit(this);
    wizoptions->setObjectName(QStringLiteral("wizoptions"));
    wizoptions->setReadOnly(true);
    wizoptions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette colours = wizoptions->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setBrush(group, QPalette::Base, colours.brush(group, QPalette::Button));
    wizoptions->setPalette(colours);
    butnext->setText(QStringLiteral("&Finish"));
    placeControls();

    // "&Finish" ends the wizard instead of leading to a next page.
    disconnect(butnext, &QPushButton::clicked, this, &WizardPage::nextRequested);
    connect(butnext, &QPushButton::clicked, this, &frmwizard4::finished);

    // Opening step: the summary. A text box shows each CR LF as one line break.
    QString shown = FromCodePage(ComposeWizardSummary(SummaryTextsOf(options_)));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    wizoptions->setPlainText(shown);
}

void frmwizard4::placeControls() {
    using namespace wizardlayout;
    const std::initializer_list<std::pair<QWidget*, QRect>> places = {
        {Label1, QRect(kContentLeft, 8, kContentWidth, 28)},
        {wizoptions, QRect(kContentLeft, 40, kContentWidth, 156)},
    };
    for (const auto& [control, place] : places)
        control->setGeometry(place);
}

} // namespace trel
