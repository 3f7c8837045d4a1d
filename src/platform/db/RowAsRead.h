#pragma once

#include "platform/db/DbError.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

namespace db {

class Connection;

// What a save says when its row is no longer as the window read it; the error traps show it
// after "Error: ". The fields keep what was typed either way.
inline const QString kChangedAtAnotherDesk =
        QStringLiteral("The record was changed at another desk. Your changes are kept; show the "
                       "record again to see the other desk's values.");
inline const QString kRemovedAtAnotherDesk =
        QStringLiteral("The record was removed at another desk. Your changes are kept, but there "
                       "is no record left to save them to.");

// What a delete says when its row was changed since the window read it.
inline const QString kChangedBeforeDelete =
        QStringLiteral("The record was changed at another desk since it was shown, so it is not "
                       "deleted. Show the record again to see the other desk's values.");

// A save refused because its row was changed or removed since the window read it.
class RowChangedError : public DbError
{
public:
    explicit RowChangedError(bool removed)
        : RowChangedError(removed ? kRemovedAtAnotherDesk : kChangedAtAnotherDesk, removed)
    { }
    RowChangedError(const QString &message, bool removed)
        : DbError(message)
        , removed_(removed)
    { }
    bool removed() const { return removed_; }

private:
    bool removed_;
};

// One row as a window read it and showed it: its table, its key, and the columns the window
// shows with the values they held then (a null kept as null). A save through it writes the row
// only while each of those columns still holds what was read, so two desks that edit one row
// never overwrite each other's change unseen: the second save is refused instead, and says
// whether the row was changed or removed. A row with no columns read only guards against its
// removal. Comparing the values themselves needs no version column, so files made by earlier
// versions work unchanged.
class RowAsRead
{
public:
    RowAsRead() = default;
    RowAsRead(const QString &table, const QString &keyColumn, const QVariant &key);

    bool isEmpty() const { return table_.isEmpty(); }
    void clear();
    QVariant key() const { return key_; }
    // Records a column's value as read, or as the window last wrote it.
    void read(const QString &column, const QVariant &value);

    // update ends in the WHERE condition that finds this row, its values bound in order, with no
    // OR outside parentheses. Adds that each column read still holds its value ("IS", which
    // takes two nulls as equal on either engine), runs it, and hands back the rows changed.
    // When it changed none, reads the row again and throws RowChangedError. Throws DbError.
    qint64 Update(Connection &connection, const QString &update, const QVariantList &values) const;
    // The same for a delete of the row: a row changed since it was read is kept, and
    // RowChangedError (kChangedBeforeDelete) thrown; one already removed at another desk is
    // gone as the user wanted, and 0 is handed back.
    qint64 Delete(Connection &connection, const QString &del, const QVariantList &values) const;
    // The statement Update runs, and its values.
    QString guarded(const QString &update) const;
    QVariantList guardedValues(const QVariantList &values) const;

private:
    [[noreturn]] void refuse(Connection &connection) const;
    bool stillThere(Connection &connection) const;

    QString table_;
    QString keyColumn_;
    QVariant key_;
    QList<std::pair<QString, QVariant>> columns_;
};

} // namespace db
