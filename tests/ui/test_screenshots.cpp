// Renders the windows offscreen into pictures for the README and the manual. The pictures land in the
// folder named by TREL_SCREENSHOT_DIR (the build folder's "screenshots" by default); the test checks that
// each one shows the window whole.

#include "LinkedNetwork.h"
#include "MOTD.h"
#include "Wizard.h"
#include "addressbook.h"
#include "mapcycle.h"
#include "mapedit.h"
#include "WizardPage.h"
#include "auxiliary/Aboutform.h"
#include "auxiliary/Resources.h"
#include "main/Main.h"
#include "mdlmaincode.h"
#include "seams/DocumentOpener.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace trel;

namespace {

QString ShotFolder() {
    const QString folder = qEnvironmentVariableIsSet("TREL_SCREENSHOT_DIR")
                               ? qEnvironmentVariable("TREL_SCREENSHOT_DIR")
                               : QStringLiteral(QT_TESTCASE_BUILDDIR "/screenshots");
    QDir().mkpath(folder);
    return folder;
}

// Saves the window's picture and checks it is the window's size and not one flat colour.
void Shoot(QWidget& window, const QString& name) {
    const QPixmap picture = window.grab();
    QCOMPARE(picture.size(), window.size());
    const QImage image = picture.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 8, qPrintable(name + QStringLiteral(" is nearly blank")));
    QVERIFY(picture.save(ShotFolder() + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace

class TestScreenshots : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        test::PrepareUiTest();
        InitResources();
    }

    void mainWindow() {
        Main window;
        SettingsLoad load;
        load.Quake2Path = "C:\\Quake2\\quake2.exe";
        load.DMflags = 1028;
        window.LoadSettings(load);
        window.setQuake2Path(load.Quake2Path);
        window.gametype->setCurrentIndex(1);
        window.maps->setCurrentRow(0);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Shoot(window, QStringLiteral("main-general"));
        window.maintab->setCurrentIndex(1);
        Shoot(window, QStringLiteral("main-server-options"));
        window.maintab->setCurrentIndex(2);
        Shoot(window, QStringLiteral("main-server-admin"));
    }

    void wizardPages() {
        Main window;
        SettingsLoad load;
        load.Quake2Path = "C:\\Quake2\\quake2.exe";
        load.DMflags = 0;
        window.LoadSettings(load);
        window.gametype->setCurrentIndex(3);
        window.maps->setCurrentRow(1);
        window.valtimelimit->setEditText(QStringLiteral("20"));
        Wizard wizard(window);
        wizard.open();
        for (int page = 1; page <= 4; ++page) {
            QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), page, 5000);
            QVERIFY(QTest::qWaitForWindowExposed(wizard.page()));
            Shoot(*wizard.page(), QStringLiteral("wizard-%1").arg(page));
            if (page < 4)
                wizard.page()->butnext->click();
        }
    }

    void otherWindows() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString quake = dir.filePath(QStringLiteral("Quake 2"));
        QVERIFY(QDir().mkpath(quake + QStringLiteral("/vorn")));
        QVERIFY(test::WriteAll(quake + QStringLiteral("/vorn/vorn.ini"),
                               "# Map details of our server\r\n[ vorn01 ]\r\ngametype 2\r\ngem_goal 20\r\n"
                               "vorn_timelimit 20\r\nmax_gems 20\r\n\r\n[ vorn02 ]\r\ngametype 3\r\n"
                               "gem_goal 10\r\nvorn_timelimit 15\r\nmax_gems 30\r\n"));
        QVERIFY(test::WriteAll(quake + QStringLiteral("/vorn/motd.txt"), "Welcome to our Vorn server!\r\n"));
        QVERIFY(test::WriteAll(dir.filePath(QStringLiteral("trel.ini")),
                               "[AddressBook]\r\nServerName 1=Home server\r\nServerIp 1=127.0.0.1:27910\r\n"
                               "ServerName 2=Friday league\r\nServerIp 2=localhost:27911\r\n"));
        SharedValues shared;
        shared.StartDir = QFile::encodeName(dir.path()).toStdString();
        shared.Quake2Folder = QFile::encodeName(quake).toStdString();
        shared.Quake2Path = shared.Quake2Folder + "/quake2";
        RecordedMessageBoxes boxes;
        RecordedDocumentOpener documents;
        ProcessGameStarter starter;
        LinkedNetworkSource network;
        mapedit editor(shared, [] { return std::string(); }, boxes);
        mapcycle cycle(shared, boxes);
        MOTD motd(shared, boxes);
        addressbook book(shared, SettingsFile(shared), boxes, starter, network);
        Aboutform about(documents, boxes, QDir::temp().filePath(QStringLiteral("manual.html")));
        QVERIFY(editor.open());
        cycle.open();
        QVERIFY(motd.open());
        book.show();
        about.show();
        const std::pair<QWidget*, const char*> shots[] = {
            {&editor, "map-editor"}, {&cycle, "map-cycle"}, {&motd, "motd"}, {&book, "address-book"}, {&about, "about"}};
        for (const auto& [window, name] : shots) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            Shoot(*window, QString::fromLatin1(name));
        }
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestScreenshots)
#include "test_screenshots.moc"
