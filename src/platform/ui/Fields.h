#pragma once

#include <QList>
#include <QString>

class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

#include <functional>

// A label that names a field: its mnemonic focuses the field, and a screen reader reads the
// label as the field's name.
QLabel *FieldLabel(const QString &text, QWidget *field, QWidget *parent);
// A text box that selects its whole text whenever it gets the focus.
void SelectAllOnFocus(QLineEdit *box);
// Enter in the box (or list, or grid) is swallowed and runs action instead (no default button
// presses itself).
void OnEnter(QWidget *box, std::function<void()> action);
// A button that shows only a picture: its tool tip is its name for a screen reader.
void PictureButton(QAbstractButton *button, const QString &toolTip);
// A row of dialog buttons, kept to the right as desktop dialogs do.
QHBoxLayout *ButtonRow(const QList<QAbstractButton *> &buttons);
