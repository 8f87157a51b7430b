#include "splashscreen.h"

#include "Resources.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

namespace trel {

splashscreen::splashscreen(QWidget* parent) : QWidget(parent, Qt::Tool) {
    InitResources();
    setObjectName(QStringLiteral("splashscreen"));
    setWindowTitle(QStringLiteral("Welcome..."));
    setFixedSize(254, 154);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(rect());
    Picture1->setPixmap(ResourcePixmap(Picture::Logo));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(), size());
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
}

void splashscreen::setTopmost(bool on) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    // Changing a window's flags hides it; a splash screen that was up must stay up.
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible)
        show();
}

} // namespace trel
