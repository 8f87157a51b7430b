// Every caption fits its control: with the program's font no button, check box, label, frame title or tab
// shows a cut caption. The positions and sizes are fixed, so a wider font would cut them.

#include "auxiliary/Aboutform.h"
#include "auxiliary/Resources.h"
#include "auxiliary/dirfinder.h"
#include "auxiliary/frmCommand.h"
#include "auxiliary/splashscreen.h"
#include "main/Main.h"
#include "mdlmaincode.h"
#include "frmwizard1.h"
#include "frmwizard2.h"
#include "frmwizard3.h"
#include "frmwizard4.h"
#include "seams/DocumentOpener.h"
#include "seams/MessageBoxes.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace trel;

namespace {

QString Caption(QString text) { return text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove('&').replace('\x01', '&'); }

QString Describe(const QWidget* w, int needed) {
    return QStringLiteral("%1 (%2) needs %3 px, has %4 x %5")
        .arg(w->objectName(), w->metaObject()->className())
        .arg(needed)
        .arg(w->width())
        .arg(w->height());
}

// The captions of window's controls that need more room than their control has.
QStringList CutCaptions(const QWidget& window) {
    QStringList cut;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
            if (w->sizeHint().width() > w->width())
                cut << Describe(w, w->sizeHint().width());
        } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
            const int needed = button->fontMetrics().horizontalAdvance(Caption(button->text())) +
                               button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            if (needed > button->width())
                cut << Describe(w, needed);
        } else if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->text().isEmpty())
                continue;
            if (label->wordWrap()) {
                if (label->heightForWidth(label->width()) > label->height())
                    cut << Describe(w, label->heightForWidth(label->width())) + QStringLiteral(" (height)");
            } else if (label->sizeHint().width() > label->width()) {
                cut << Describe(w, label->sizeHint().width());
            }
        } else if (const auto* frame = qobject_cast<const QGroupBox*>(w)) {
            const int needed = QFontMetrics(frame->font()).horizontalAdvance(frame->title()) + 16;
            if (needed > frame->width())
                cut << Describe(w, needed);
        } else if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) {
            const QTabBar* bar = tabs->tabBar();
            for (int i = 0; i < bar->count(); ++i) {
                const int needed = bar->fontMetrics().horizontalAdvance(Caption(bar->tabText(i)));
                if (needed > bar->tabRect(i).width())
                    cut << Describe(w, needed) + QStringLiteral(" (tab %1)").arg(i);
            }
            if (bar->sizeHint().width() > tabs->width())
                cut << Describe(w, bar->sizeHint().width()) + QStringLiteral(" (tab row)");
        }
    }
    return cut;
}

} // namespace

class TestCaptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        test::PrepareUiTest();
        InitResources();
#ifdef _WIN32
        // The style Trel has on Windows: the windows platform's theme picks windowsvista (shipped beside the
        // program), the offscreen platform's theme Fusion, whose check boxes take more room.
        QApplication::setStyle(QStringLiteral("windowsvista"));
        QCOMPARE(QApplication::style()->name(), QStringLiteral("windowsvista"));
#else
        // The layout's font on this platform must really be there, or every measurement below is of another font.
        QCOMPARE(QFontInfo(ProgramFont()).family(), QStringLiteral("Liberation Sans Narrow"));
#endif
    }

    // Every window, and the main window on each of its tabs.
    void captionsFit() {
        Main window;
        SettingsLoad load;
        load.DMflags = 0;
        window.LoadSettings(load);
        RecordedMessageBoxes boxes;
        RecordedDocumentOpener documents;
        dirfinder locator(boxes);
        frmCommand viewer;
        splashscreen splash;
        frmwizard1 page1(window);
        frmwizard2 page2(window);
        frmwizard3 page3(window);
        frmwizard4 page4(window);
        Aboutform about(documents, boxes, QStringLiteral("/usr/share/trel/manual.html"));
        QList<QPair<QWidget*, int>> shown;
        for (int tab = 0; tab < window.maintab->count(); ++tab)
            shown.append({&window, tab});
        for (QWidget* w : std::initializer_list<QWidget*>{&locator, &viewer, &splash, &page1, &page2, &page3, &page4, &about})
            shown.append({w, -1});
        for (const auto& [w, tab] : shown) {
            if (tab >= 0)
                window.maintab->setCurrentIndex(tab);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            const QStringList cut = CutCaptions(*w);
            QVERIFY2(cut.isEmpty(), qPrintable(w->objectName() + QLatin1Char('\n') + cut.join(QLatin1Char('\n'))));
        }
    }
};

QTEST_MAIN(TestCaptions)
#include "test_captions.moc"
