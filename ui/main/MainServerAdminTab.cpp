#include "Main.h"

#include "MainParts.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace trel {

using namespace mainwindow;

// The Server Admin tab: the editors' buttons and the custom server ini.
void Main::createServerAdminTab() {
    QWidget* admin = tabPanes[kTabServerAdmin];
    Frame3 = MakeFrame(admin, "Frame3");
    Label5 = MakeLabel(Frame3, "Label5", "Editors :");
    Command3 = MakeButton(Frame3, "Command3", "Edit Maplist");
    Label6 = MakeLabel(Frame3, "Label6",
                       "Small text editor for writing your own vorn.ini's comes with a few vorn specific features "
                       "to help you along the way.");
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Command5 = MakeButton(Frame3, "Command5", "Edit MOTD");
    Label7 = MakeLabel(Frame3, "Label7", "Write your own Message of the day.");
    Label7->setWordWrap(true);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3 = MakeLabel(Frame3, "Label3", "Custom server ini :");
    serverini = MakeTextBox(Frame3, "serverini", "");
}

} // namespace trel
