#pragma once

#include <QString>
#include <QVariantList>

class QWidget;

// Runs sql (with its bound values) on a connection of its own and shows the rows in the named
// report layout, modally, to preview, print, save as PDF or export as CSV. A caption replaces the
// layout's title in the window's title bar. Throws db::DbError.
void ShowReport(const QString &layout, const QString &sql, const QVariantList &values = {},
                const QString &caption = {}, QWidget *owner = nullptr);
