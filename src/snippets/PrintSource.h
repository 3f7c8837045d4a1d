#pragma once

#include <QString>

class QWidget;

// The name of the print preview of a snippet's code, and of the document it prints.
inline const QString kSourcePreview = QStringLiteral("prvSource");
inline const QString kSourceDocument = QStringLiteral("rtbCodeWindow2");

// Shows code modally in a print preview, set in the fixed-pitch font with its tabs and blanks as
// they are, from which the user prints it or saves it as PDF (kSavePdf). The title names the
// printed document.
void PrintSource(const QString &title, const QString &code, QWidget *owner);
