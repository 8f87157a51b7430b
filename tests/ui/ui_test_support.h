#pragma once
// Shared set-up of the window tests: the program's font, no animations, and a way to find controls.

#include "ProgramFont.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace trel::test {

/// Call from initTestCase(): the font the layout is made for, no animations, no desktop effects.
inline void PrepareUiTest() {
    ApplyProgramFont();
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);
    QApplication::setEffectEnabled(Qt::UI_FadeMenu, false);
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, false);
}

/// The child of window with the given object name; fails the test when there is none.
template <typename T> T* Control(const QObject* window, const QString& name) {
    T* found = window->findChild<T*>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

} // namespace trel::test
