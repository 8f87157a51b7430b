#include "frmwizard2.h"

#include "LaunchOptionsAccess.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <initializer_list>
#include <utility>

namespace trel {
namespace {

// The page offers the four multiplayer maps only.
constexpr int kPageMaps = 4;

int SelectedRow(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.front());
}

} // namespace

frmwizard2::frmwizard2(LaunchOptionsAccess& options, QWidget* parent) : WizardPage(options, "frmwizard2", parent) {
    Label1 = makeLabel("Label1", "Start Map:", true, false);
    maps = new QListWidget(this);
    maps->setObjectName(QStringLiteral("maps"));
    maps->setSelectionMode(QAbstractItemView::SingleSelection);
    Label2 = makeLabel("Label2", "Please select which map you wish to begin with.", false, true);
    Command1 = makeButton("Command1", "Edit Maplist");
    placeControls();

    // A choice reaches the main window; so does choosing again the entry already chosen, since the
    // main window may have changed its own choice meanwhile.
    connect(maps, &QListWidget::itemSelectionChanged, this, &frmwizard2::copyToMain);
    connect(maps, &QListWidget::itemClicked, this, &frmwizard2::copyToMain);
    connect(Command1, &QPushButton::clicked, this, &frmwizard2::editMaplistRequested);

    // Opening step: vorn01 to vorn04, then the main window's choice where the page has it.
    for (int n = 1; n <= kPageMaps; ++n)
        maps->addItem(QStringLiteral("vorn0%1").arg(n));
    const int chosen = options_.startMapRow();
    if (chosen >= 0 && chosen < kPageMaps)
        maps->setCurrentRow(chosen);
}

void frmwizard2::placeControls() {
    using namespace wizardlayout;
    const std::initializer_list<std::pair<QWidget*, QRect>> places = {
        {Label1, QRect(kContentLeft, 8, kContentWidth, 17)},
        {maps, QRect(kContentLeft, 28, 129, 60)},
        {Label2, QRect(kContentLeft, 96, kContentWidth, 28)},
        {Command1, QRect(kContentLeft, 128, 81, 25)},
    };
    for (const auto& [control, place] : places)
        control->setGeometry(place);
}

void frmwizard2::copyToMain() {
    const int chosen = SelectedRow(*maps);
    if (chosen < 0)
        return; // nothing chosen on the page: the main window keeps its own choice
    // Selecting in the main window's list runs its own reaction: the preview.
    options_.setStartMapRow(chosen);
}

} // namespace trel
