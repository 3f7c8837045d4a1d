#include "platform/db/TextRows.h"

#include "platform/db/Connection.h"
#include "platform/db/DbError.h"
#include "platform/db/Engine.h"
#include "platform/db/Statement.h"
#include "platform/db/Tokens.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace db {

namespace {

struct Finalize
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using EngineStatement = std::unique_ptr<sqlite3_stmt, Finalize>;

[[noreturn]] void fail(const QString &sql, sqlite3 *engine)
{
    StatementFailed(sql, QString::fromUtf8(sqlite3_errmsg(engine)));
}

int bind(sqlite3_stmt *statement, int position, const QVariant &value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, position);
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(statement, position, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, position, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob64(statement, position, bytes.constData(),
                                   static_cast<sqlite3_uint64>(bytes.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text64(statement, position, text.constData(),
                                   static_cast<sqlite3_uint64>(text.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }
    }
}

[[noreturn]] void valueCountFailed(const QString &sql, qsizetype wanted, qsizetype given)
{
    StatementFailed(
            sql, QStringLiteral("The statement takes %1 values, not %2.").arg(wanted).arg(given));
}

} // namespace

// A server's rows come through the toolkit's driver as values, made text here.
qint64 ServerTextRows(Connection &connection, const QString &sql, const QVariantList &values,
                      const std::function<void(std::span<const QByteArrayView>)> &visit)
{
    if (const auto tokens = tokens::tokenize(sql)) {
        const auto marks = std::count_if(tokens->begin(), tokens->end(), [](const auto &token) {
            return token.kind == tokens::Kind::Mark;
        });
        if (marks != values.size())
            valueCountFailed(sql, marks, values.size());
    }
    QSqlQuery query = RunStatement(connection.database(), sql, values);
    const int count = query.record().count();
    std::vector<QByteArray> texts(static_cast<size_t>(count));
    std::vector<QByteArrayView> columns(static_cast<size_t>(count));
    qint64 rows = 0;
    while (query.next()) {
        for (int i = 0; i < count; ++i) {
            texts[static_cast<size_t>(i)] = query.value(i).toString().toUtf8();
            columns[static_cast<size_t>(i)] = texts[static_cast<size_t>(i)];
        }
        visit(columns);
        ++rows;
    }
    if (query.lastError().isValid())
        StatementFailed(sql, query.lastError());
    return rows;
}

qint64 ForEachTextRow(Connection &connection, const QString &sql, const QVariantList &values,
                      const std::function<void(std::span<const QByteArrayView>)> &visit)
{
    return connection.engine().forEachTextRow(connection, sql, values, visit);
}

qint64 FileTextRows(sqlite3 *engine, const QString &sql, const QVariantList &values,
                    const std::function<void(std::span<const QByteArrayView>)> &visit)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(engine, text.constData(), static_cast<int>(text.size()), &prepared,
                           nullptr)
        != SQLITE_OK)
        fail(sql, engine);
    const EngineStatement statement(prepared);
    if (!statement)
        return 0; // nothing but blanks or comments
    if (values.size() != sqlite3_bind_parameter_count(prepared))
        valueCountFailed(sql, sqlite3_bind_parameter_count(prepared), values.size());
    for (int i = 0; i < values.size(); ++i) {
        if (bind(prepared, i + 1, values[i]) != SQLITE_OK)
            fail(sql, engine);
    }
    std::vector<QByteArrayView> columns(static_cast<size_t>(sqlite3_column_count(prepared)));
    qint64 rows = 0;
    for (;;) {
        const int step = sqlite3_step(prepared);
        if (step == SQLITE_DONE)
            return rows;
        if (step != SQLITE_ROW)
            fail(sql, engine);
        for (size_t i = 0; i < columns.size(); ++i) {
            const int column = static_cast<int>(i);
            const auto *bytes =
                    reinterpret_cast<const char *>(sqlite3_column_text(prepared, column));
            columns[i] = QByteArrayView(bytes, bytes ? sqlite3_column_bytes(prepared, column) : 0);
        }
        visit(columns);
        ++rows;
    }
}

} // namespace db
