#pragma once

#include "platform/db/Engine.h"

namespace db {

// A database server's engine, through the toolkit's PostgreSQL driver. The program's statements
// are written for the file's engine: this one puts them into the server's words (see
// ServerStatement) and refuses those it cannot.
class ServerEngine final : public Engine
{
public:
    Kind kind() const override { return Kind::Server; }
    void open(const QString &name, const QString &source, bool readOnly) override;
    void beforeStatement(const QSqlDatabase &database) override;
    QString statementText(const QString &sql) const override;
    bool sendsUnprepared() const override { return true; }
    void checkValue(const QString &sql, const QVariant &value) const override;
    QString fieldName(const QString &sql, const QString &name) const override;
    void begin(const QSqlDatabase &database) override;
    void ended() override { transaction_ = false; }
    bool inTransaction(const QSqlDatabase &database) const override;
    bool writable(const QSqlDatabase &database) const override;
    int storedSchemaVersion(Connection &connection) const override;
    void storeSchemaVersion(Connection &connection, int version) const override;
    const QString &ownScript(const TableScripts &scripts) const override;
    void executeAsWritten(Connection &connection, const QString &sql) const override;
    QStringList columnsOf(Connection &connection, const QString &table) const override;
    // None: the server's tables were made by the program itself.
    QStringList lackingColumns(Connection &, const QString &, const QStringList &) const override
    {
        return {};
    }
    TableFacts factsOf(const QSqlDatabase &database, const QString &table) const override;
    qint64 forEachTextRow(
            Connection &connection, const QString &sql, const QVariantList &values,
            const std::function<void(std::span<const QByteArrayView>)> &visit) const override;
    QString caselessMatch(const QString &expression) const override;
    QString withReturnedKey(const QString &insert, const QString &key) const override;
    QVariant enlargeCache(Connection &) const override { return {}; }
    void restoreCache(Connection &, const QVariant &) const override { }
    QStringList indexesToSetAside(Connection &, const QString &, const QString &,
                                  const QVariant &) const override
    {
        return {};
    }
    void serialise(Connection &connection, const QString &name) const override;
    void writeBackLog(Connection &) const override { }
    void markTransaction(Connection &connection, const QString &flag) const override;
    QString dropTrigger(const QString &trigger, const QString &table) const override
    {
        return QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(trigger, table);
    }
    qint64 moveRows(Connection &connection, const QString &from, const QString &to,
                    const QStringList &columns, const QString &orderBy) const override;

private:
    // A transaction begun and not yet ended.
    bool transaction_ = false;
};

} // namespace db
