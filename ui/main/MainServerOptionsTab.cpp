#include "Main.h"

#include "CodePage.h"
#include "MainParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace trel {

using namespace mainwindow;

// The Server Options tab: the sixteen deathmatch flags and their running total, and the server's
// ticks and values.
void Main::createServerOptionsTab(QCompleter& standIn) {
    QWidget* server = tabPanes[kTabServerOptions];
    framedm = new QGroupBox(QStringLiteral("Deathmatch Spawnflags"), server);
    framedm->setObjectName(QStringLiteral("framedm"));
    for (std::size_t i = 0; i < q2option.size(); ++i) {
        const std::int32_t flag = kDmFlagValues[i];
        const int index = flag == kFixedFovFlag ? kFixedFovIndex : flag;
        q2option[i] = new QCheckBox(QLatin1String(kDmFlagCaptions[i]), framedm);
        q2option[i]->setObjectName(QStringLiteral("q2option(%1)").arg(index));
    }
    dmlines[0] = MakeEtchedLine(framedm, "dmline1", QFrame::VLine);
    dmlines[1] = MakeEtchedLine(framedm, "dmline2", QFrame::VLine);
    lbldmflag = MakeLabel(framedm, "lbldmflag", "DM flags value:");
    dmflagval = MakeTextBox(framedm, "dmflagval", "0");
    Frame2 = MakeFrame(server, "Frame2");
    mrespawn = MakeCheckBox(Frame2, "mrespawn", "Monster Respawn");
    dedserver = MakeCheckBox(Frame2, "dedserver", "Dedicated Server");
    forcejoin = MakeCheckBox(Frame2, "forcejoin", "Forcejoin");
    boolmaxgems = MakeCheckBox(Frame2, "boolmaxgems", "Max Gems");
    valmaxgems = MakeValueField(Frame2, "valmaxgems", "0", standIn);
    boolmaxclients = MakeCheckBox(Frame2, "boolmaxclients", "Maxclients:");
    valmaxclients = MakeValueField(Frame2, "valmaxclients", "0", standIn);
    booltimelimit = MakeCheckBox(Frame2, "booltimelimit", "Timelimit:");
    valtimelimit = MakeValueField(Frame2, "valtimelimit", "0", standIn);
}

void Main::onDmFlagToggled(std::size_t box, bool ticked) {
    // The total is only ever added to and taken from, never recomputed from the boxes.
    const std::int32_t flag = kDmFlagValues[box];
    dmflagsTotal_ = AddDmFlag(dmflagsTotal_, ticked ? flag : -flag);
    showDmFlagsTotal();
    emit optionsChanged();
}

void Main::showDmFlagsTotal() {
    dmflagval->setText(QString::number(dmflagsTotal_));
}

void Main::TickDmFlag(std::int32_t flag) {
    const auto* found = std::find(kDmFlagValues.begin(), kDmFlagValues.end(), flag);
    if (found == kDmFlagValues.end())
        return; // no box carries that value
    q2option[static_cast<std::size_t>(found - kDmFlagValues.begin())]->setChecked(true);
    dmflagsTotal_ = AddDmFlag(dmflagsTotal_, -flag);
    showDmFlagsTotal();
}

std::string Main::dmflagText() const {
    return ToCodePage(dmflagval->text()).value_or(std::string()); // the box refuses what does not fit
}

} // namespace trel
