#pragma once

#include <QStringList>
#include <QTest>
#include <QWidget>

// Presses keys on a window as a person would: each goes to the control that has the focus (the
// window itself when none has). Keys are named by what is written on them, separated by blanks:
// "7", "+", ".", "enter", "back", "del", "esc", "left", "pgup", "home"; "pad" before a key
// presses the number pad's key, "shift+" before it holds Shift.
inline void PressKeys(QWidget *window, const QString &keys)
{
    static const QMap<QString, Qt::Key> named = {
            {"+", Qt::Key_Plus},      {"-", Qt::Key_Minus},       {"*", Qt::Key_Asterisk},
            {"/", Qt::Key_Slash},     {"=", Qt::Key_Equal},       {".", Qt::Key_Period},
            {",", Qt::Key_Comma},     {"enter", Qt::Key_Return},  {"back", Qt::Key_Backspace},
            {"del", Qt::Key_Delete},  {"esc", Qt::Key_Escape},    {"left", Qt::Key_Left},
            {"right", Qt::Key_Right}, {"up", Qt::Key_Up},         {"down", Qt::Key_Down},
            {"pgup", Qt::Key_PageUp}, {"pgdn", Qt::Key_PageDown}, {"home", Qt::Key_Home},
            {"space", Qt::Key_Space}, {"f1", Qt::Key_F1},         {"tab", Qt::Key_Tab},
    };
    for (QString key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        Qt::KeyboardModifiers modifiers;
        if (key.startsWith(QLatin1String("shift+"))) {
            modifiers |= Qt::ShiftModifier;
            key = key.mid(6);
        }
        if (key.startsWith(QLatin1String("pad")) && key.size() > 3) {
            modifiers |= Qt::KeypadModifier;
            key = key.mid(3);
        }
        Qt::Key code = Qt::Key_unknown;
        if (key.size() == 1 && key[0].isDigit())
            code = Qt::Key(Qt::Key_0 + key[0].digitValue());
        else if (key.size() == 1 && key[0].isLetter())
            code = Qt::Key(Qt::Key_A + (key[0].toUpper().unicode() - 'A'));
        else if (key == QLatin1String("enter") && modifiers.testFlag(Qt::KeypadModifier))
            code = Qt::Key_Enter;
        else
            code = named.value(key, Qt::Key_unknown);
        QVERIFY2(code != Qt::Key_unknown, qPrintable(key));
        QWidget *target = window->focusWidget() ? window->focusWidget() : window;
        QTest::keyClick(target, code, modifiers);
    }
}
