#include "WizardPage.h"

#include "ProgramFont.h"
#include "auxiliary/Resources.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

#include <initializer_list>
#include <utility>

namespace trel {

WizardPage::WizardPage(LaunchOptionsAccess& options, const char* name, QWidget* parent)
    : QWidget(parent, Qt::Dialog), options_(options) {
    InitResources();
    setObjectName(QLatin1String(name));
    setWindowTitle(QStringLiteral("Trel Setup Wizard..."));
    setFont(ProgramFont());
    setFixedSize(wizardlayout::kWidth, wizardlayout::kHeight);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(ResourcePixmap(Picture::Logo));
    Line1 = makeLine("Line1", true);
    Line2 = makeLine("Line2", false);
    butback = makeButton("butback", "<- &Back");
    butnext = makeButton("butnext", "&Next ->");
    butcancel = makeButton("butcancel", "&Cancel");
    // The parts every page shares stand in the same places on all four.
    using namespace wizardlayout;
    for (const auto& [control, place] : std::initializer_list<std::pair<QWidget*, QRect>>{{Picture1, kPicture},
                                                                                          {Line1, kLine1},
                                                                                          {Line2, kLine2},
                                                                                          {butback, kBack},
                                                                                          {butnext, kNext},
                                                                                          {butcancel, kCancel}})
        control->setGeometry(place);

    connect(butback, &QPushButton::clicked, this, &WizardPage::backRequested);
    connect(butnext, &QPushButton::clicked, this, &WizardPage::nextRequested);
    connect(butcancel, &QPushButton::clicked, this, &WizardPage::cancelled);
}

void WizardPage::closeEvent(QCloseEvent* event) {
    event->accept();
    emit cancelled();
}

QFrame* WizardPage::makeLine(const char* name, bool dark) {
    auto* line = new QFrame(this);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette colours = line->palette();
    colours.setColor(QPalette::Window, colours.color(dark ? QPalette::Dark : QPalette::Light));
    line->setPalette(colours);
    return line;
}

QLabel* WizardPage::makeLabel(const char* name, const char* caption, bool bold, bool wrap) {
    auto* label = new QLabel(QLatin1String(caption), this);
    label->setObjectName(QLatin1String(name));
    label->setFont(bold ? ProgramBoldFont() : ProgramFont());
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* WizardPage::makeButton(const char* name, const char* caption) {
    auto* button = new QPushButton(QLatin1String(caption), this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace trel
