#pragma once

#include "platform/db/Engine.h"

namespace db {

// The database file's engine, through the toolkit's SQLite driver and the engine's own
// interface where the driver offers nothing.
class SqliteEngine final : public Engine
{
public:
    Kind kind() const override { return Kind::File; }
    void open(const QString &name, const QString &source, bool readOnly) override;
    QString statementText(const QString &sql) const override { return sql; }
    void begin(const QSqlDatabase &database) override;
    bool inTransaction(const QSqlDatabase &database) const override;
    bool writable(const QSqlDatabase &database) const override;
    bool fileMoved(const QSqlDatabase &database) const override;
    int storedSchemaVersion(Connection &connection) const override;
    void storeSchemaVersion(Connection &connection, int version) const override;
    const QString &ownScript(const TableScripts &scripts) const override;
    void executeAsWritten(Connection &connection, const QString &sql) const override;
    QStringList columnsOf(Connection &connection, const QString &table) const override;
    QStringList lackingColumns(Connection &connection, const QString &schemaSql,
                               const QStringList &added) const override;
    TableFacts factsOf(const QSqlDatabase &database, const QString &table) const override;
    qint64 forEachTextRow(
            Connection &connection, const QString &sql, const QVariantList &values,
            const std::function<void(std::span<const QByteArrayView>)> &visit) const override;
    QString caselessMatch(const QString &expression) const override;
    QString withReturnedKey(const QString &insert, const QString &) const override
    {
        return insert;
    }
    QVariant enlargeCache(Connection &connection) const override;
    void restoreCache(Connection &connection, const QVariant &usual) const override;
    QStringList indexesToSetAside(Connection &connection, const QString &table,
                                  const QString &column, const QVariant &value) const override;
    void serialise(Connection &, const QString &) const override { }
    void writeBackLog(Connection &connection) const override;
    void markTransaction(Connection &, const QString &) const override { }
    QString dropTrigger(const QString &trigger, const QString &) const override
    {
        return QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger);
    }
    qint64 moveRows(Connection &connection, const QString &from, const QString &to,
                    const QStringList &columns, const QString &orderBy) const override;
};

} // namespace db
