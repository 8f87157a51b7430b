#include "Wizard.h"

#include "LaunchOptionsAccess.h"
#include "frmwizard1.h"
#include "frmwizard2.h"
#include "frmwizard3.h"
#include "frmwizard4.h"

#include <QGuiApplication>
#include <QScreen>

namespace trel {

WizardPage* Wizard::page() const {
    return page_;
}
int Wizard::pageNumber() const {
    return page_ ? number_ : 0;
}

Wizard::Wizard(LaunchOptionsAccess& options, QObject* parent) : QObject(parent), options_(options) {
    // A page writes into the main window's controls; it must not outlive them.
    connect(&options_.optionsWindow(), &QObject::destroyed, this, &Wizard::closePage);
}

Wizard::~Wizard() {
    delete page_;
}

void Wizard::open() {
    if (!page_) {
        show(1);
        return;
    }
    if (page_->isMinimized())
        page_->showNormal();
    page_->show();
    page_->raise();
    page_->activateWindow();
}

void Wizard::show(int number) {
    if (number < 1 || number > 4)
        return;
    // The new page stands where the one before it stood; the first one in the middle of the screen
    // that shows the main window.
    QPoint where;
    const bool hadPage = page_;
    if (hadPage)
        where = page_->pos();
    closePage();

    WizardPage* page = nullptr;
    switch (number) {
    case 1:
        page = new frmwizard1(options_);
        break;
    case 2: {
        auto* second = new frmwizard2(options_);
        connect(second, &frmwizard2::editMaplistRequested, this, &Wizard::editMaplistRequested);
        page = second;
        break;
    }
    case 3:
        page = new frmwizard3(options_);
        break;
    default:
        page = new frmwizard4(options_);
        break;
    }
    page_ = page;
    number_ = number;
    // Queued: the page is deleted here, after its button has finished its click. A request still
    // queued from a page already gone (a second quick click) is dropped.
    const unsigned serial = ++serial_;
    const auto fromThisPage = [this, serial](auto action) {
        return [this, serial, action] {
            if (serial == serial_ && page_)
                action();
        };
    };
    connect(page, &WizardPage::backRequested, this, fromThisPage([this] { show(number_ - 1); }), Qt::QueuedConnection);
    connect(page, &WizardPage::nextRequested, this, fromThisPage([this] { show(number_ + 1); }), Qt::QueuedConnection);
    connect(page, &WizardPage::cancelled, this, fromThisPage([this] { closePage(); }), Qt::QueuedConnection);
    if (auto* last = qobject_cast<frmwizard4*>(page)) {
        connect(last, &frmwizard4::finished, this, fromThisPage([this] {
                    closePage();
                    emit finished();
                }),
                Qt::QueuedConnection);
    }

    if (hadPage) {
        page->move(where);
    } else if (const QScreen* screen = options_.optionsWindow().screen() ? options_.optionsWindow().screen()
                                                                         : QGuiApplication::primaryScreen()) {
        QRect area(QPoint(), page->frameGeometry().size());
        area.moveCenter(screen->availableGeometry().center());
        page->move(area.topLeft());
    }
    page->show();
    page->activateWindow();
}

void Wizard::closePage() {
    delete page_;
    number_ = 0;
}

} // namespace trel
