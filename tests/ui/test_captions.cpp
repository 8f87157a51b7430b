// The manual's windows: no caption is cut with the program's font; each picture goes to TREL_SCREENSHOT_DIR.

#include "LinkedNetwork.h"
#include "Wizard.h"
#include "WizardPage.h"
#include "addressbook.h"
#include "auxiliary/Aboutform.h"
#include "auxiliary/Resources.h"
#include "mapedit.h"
#include "seams/DocumentOpener.h"
#include "seams/GameStarter.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

using namespace trel;

namespace {

QString Caption(QString text) { return text.replace("&&", "\x01").remove('&').replace('\x01', '&'); }

// The captions of window's named controls (not the toolkit's own qt_ parts) that need more room than they have.
QStringList CutCaptions(const QWidget& window) {
    QStringList cut;
    const auto check = [&](const QWidget* w, int needed, int has, const QString& what) {
        if (needed > has)
            cut << QStringLiteral("%1 %2 needs %3 px, has %4").arg(w->objectName(), what).arg(needed).arg(has);
    };
    for (const QWidget* w : window.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^(?!qt_).")))) {
        if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
            check(w, w->sizeHint().width(), w->width(), {});
        else if (const auto* button = qobject_cast<const QPushButton*>(w))
            check(w, button->fontMetrics().horizontalAdvance(Caption(button->text())) +
                         button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button), w->width(), {});
        else if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty())
            label->wordWrap() ? check(w, label->heightForWidth(w->width()), w->height(), "(height)")
                              : check(w, w->sizeHint().width(), w->width(), {});
        else if (const auto* frame = qobject_cast<const QGroupBox*>(w))
            check(w, QFontMetrics(frame->font()).horizontalAdvance(frame->title()) + 16, w->width(), {});
        else if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                check(w, tabs->tabBar()->fontMetrics().horizontalAdvance(Caption(tabs->tabText(i))),
                      tabs->tabBar()->tabRect(i).width(), QStringLiteral("(tab %1)").arg(i));
            check(w, tabs->tabBar()->sizeHint().width(), w->width(), "(tab row)");
        }
    }
    return cut;
}

// Checks the window's captions, then saves its picture.
void CheckAndShoot(QWidget& window, const QString& name) {
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QStringList cut = CutCaptions(window);
    QVERIFY2(cut.isEmpty(), qPrintable(name + QLatin1Char('\n') + cut.join(QLatin1Char('\n'))));
    const QString folder = qEnvironmentVariable("TREL_SCREENSHOT_DIR", QT_TESTCASE_BUILDDIR "/screenshots");
    QVERIFY(QDir().mkpath(folder) && window.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace

class TestCaptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        test::PrepareUiTest();
        InitResources();
#ifdef _WIN32 // Trel's style on Windows: the windows platform picks windowsvista, the offscreen one Fusion
        QApplication::setStyle(QStringLiteral("windowsvista"));
        QCOMPARE(QApplication::style()->name(), QStringLiteral("windowsvista"));
#else // the layout's font must really be there, or every measurement is of another font
        QCOMPARE(QFontInfo(ProgramFont()).family(), QStringLiteral("Liberation Sans Narrow"));
#endif
    }

    void everyWindow() {
        const auto window = test::LoadedMain(1, 0, 1028); // the main window on each tab, then the wizard's pages
        for (const int tab : {0, 1, 2}) {
            window->maintab->setCurrentIndex(tab);
            CheckAndShoot(*window, QStringList{"main-general", "main-server-options", "main-server-admin"}[tab]);
        }
        window->gametype->setCurrentIndex(3);
        window->maps->setCurrentRow(1);
        window->valtimelimit->setEditText(QStringLiteral("20"));
        Wizard wizard(*window);
        wizard.open();
        for (int page = 1; page <= 4; wizard.page()->butnext->click(), ++page) {
            QTRY_COMPARE_WITH_TIMEOUT(wizard.pageNumber(), page, 5000);
            CheckAndShoot(*wizard.page(), QStringLiteral("wizard-%1").arg(page));
        }

        QTemporaryDir dir; // the other windows on a start folder and a Quake 2 folder of their own
        const QString quake = dir.filePath(QStringLiteral("Quake 2"));
        QVERIFY(QDir().mkpath(quake + "/vorn") && test::WriteAll(quake + "/vorn/vorn.ini",
            "# Map details of our server\r\n[ vorn01 ]\r\ngametype 2\r\ngem_goal 20\r\nvorn_timelimit 20\r\n"
            "max_gems 20\r\n\r\n[ vorn02 ]\r\ngametype 3\r\ngem_goal 10\r\nvorn_timelimit 15\r\nmax_gems 30\r\n"));
        QVERIFY(test::WriteAll(dir.filePath(QStringLiteral("trel.ini")), "[AddressBook]\r\nServerName 1=Home server\r\n"
                               "ServerIp 1=127.0.0.1:27910\r\nServerName 2=Friday league\r\n"
                               "ServerIp 2=localhost:27911\r\n"));
        SharedValues shared;
        shared.StartDir = QFile::encodeName(dir.path()).toStdString();
        shared.Quake2Path = (shared.Quake2Folder = QFile::encodeName(quake).toStdString()) + "/quake2";
        RecordedMessageBoxes boxes;
        RecordedDocumentOpener documents;
        ProcessGameStarter starter;
        LinkedNetworkSource network;
        mapedit editor(shared, [] { return std::string(); }, boxes);
        addressbook book(shared, SettingsFile(shared), boxes, starter, network);
        Aboutform about(documents, boxes, QDir::temp().filePath(QStringLiteral("manual.html")));
        QVERIFY(editor.open());
        const std::pair<QWidget*, const char*> shots[] = {{&editor, "map-editor"}, {&book, "address-book"},
                                                          {&about, "about"}};
        for (const auto& [shown, name] : shots) {
            shown->show();
            CheckAndShoot(*shown, QLatin1String(name));
        }
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestCaptions)
#include "test_captions.moc"
