#include "platform/db/GridModel.h"

#include "platform/db/Connection.h"
#include "platform/db/Dialect.h"
#include "platform/db/GridQuery.h"
#include "platform/db/Statement.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <climits>

namespace db {

namespace {

using Row = std::vector<QVariant>;

struct Page
{
    std::vector<Row> rows;
    // Hidden values of the first and last rows, for reading the pages beside this one; empty
    // when the page came back short (the table changed since the count) and cannot be trusted.
    QVariantList firstKeys;
    QVariantList lastKeys;
    quint64 used = 0;
};

// Where a page read starts: how many rows it skips, in which direction, after which row.
struct Start
{
    qint64 skip;
    bool backward;
    QVariantList after;
};

// Runs a statement and hands its rows over, finishing the read before it returns: a read left
// part-way would keep the connection on the snapshot it began with, so that a later read missed
// what other connections wrote since and a write of its own failed as busy.
template<typename EachRow>
QSqlRecord readAll(const Connection &connection, const BoundStatement &statement, EachRow eachRow)
{
    QSqlQuery query = RunStatement(connection.database(), statement.sql, statement.values);
    const QSqlRecord record = query.record();
    while (query.next())
        eachRow(query);
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        StatementFailed(statement.sql, error);
    return record;
}

qint64 countOf(const Connection &connection, const BoundStatement &statement)
{
    qint64 count = 0;
    readAll(connection, statement, [&](QSqlQuery &query) { count = query.value(0).toLongLong(); });
    return count;
}

QVariantList valuesOf(const QSqlQuery &query, int first, int count)
{
    QVariantList values;
    values.reserve(count);
    for (int i = first; i < first + count; ++i)
        values << query.value(i);
    return values;
}

} // namespace

// One loaded record source: its statements, its row count, its fields and the pages read.
class GridModel::Source
{
public:
    Source(const Connection &connection, std::unique_ptr<GridQuery> query, const QString &sql,
           const QVariantList &values, int pageRows, int cachedPages)
        : connection(connection)
        , query(std::move(query))
        , sql(sql)
        , values(values)
        , pageRows(pageRows)
        , cachedPages(cachedPages)
    { }

    const Row &row(qint64 row);
    // Reads the page that holds row, if any: with no rows, the empty first page still names
    // the fields.
    void readAround(qint64 row) { page(row / pageRows); }
    qint64 heldRows() const;

    const Connection &connection;
    const std::unique_ptr<GridQuery> query;
    const QString sql;
    const QVariantList values;
    const int pageRows;
    const int cachedPages;
    qint64 count = 0;
    QStringList fields;

private:
    const Page &page(qint64 index);
    Page read(qint64 index);
    Start startFor(qint64 index, qint64 first, qint64 limit) const;
    void evict(qint64 keep);

    std::map<qint64, Page> pages_; // by page number, in order, to find the nearest known rows
    quint64 clock_ = 0;
};

const Row &GridModel::Source::row(qint64 row)
{
    const Page &found = page(row / pageRows);
    return found.rows[static_cast<size_t>(row % pageRows)];
}

qint64 GridModel::Source::heldRows() const
{
    qint64 held = 0;
    for (const auto &[index, page] : pages_)
        held += static_cast<qint64>(page.rows.size());
    return held;
}

const Page &GridModel::Source::page(qint64 index)
{
    auto found = pages_.find(index);
    if (found == pages_.end()) {
        found = pages_.emplace(index, read(index)).first;
        evict(index);
    }
    found->second.used = ++clock_;
    return found->second;
}

void GridModel::Source::evict(qint64 keep)
{
    while (pages_.size() > static_cast<size_t>(cachedPages)) {
        auto oldest = pages_.end();
        for (auto it = pages_.begin(); it != pages_.end(); ++it)
            if (it->first != keep
                && (oldest == pages_.end() || it->second.used < oldest->second.used))
                oldest = it;
        pages_.erase(oldest);
    }
}

// The cheapest start for a page: from the first row, back from the last row, or from the
// nearest page already read on either side, whichever leaves the fewest rows to skip.
Start GridModel::Source::startFor(qint64 index, qint64 first, qint64 limit) const
{
    Start best{first, false, {}};
    if (!query->keyed())
        return best;
    const auto consider = [&](qint64 skip, bool backward, const QVariantList &after) {
        if (skip >= 0 && skip < best.skip)
            best = {skip, backward, after};
    };
    consider(count - first - limit, true, {});
    const auto above = pages_.upper_bound(index);
    if (above != pages_.end() && !above->second.firstKeys.isEmpty())
        consider(above->first * pageRows - first - limit, true, above->second.firstKeys);
    if (above != pages_.begin()) {
        const auto below = std::prev(above);
        const qint64 end = below->first * pageRows + static_cast<qint64>(below->second.rows.size());
        if (!below->second.lastKeys.isEmpty())
            consider(first - end, false, below->second.lastKeys);
    }
    return best;
}

Page GridModel::Source::read(qint64 index)
{
    const qint64 first = index * pageRows;
    const qint64 limit = std::clamp<qint64>(count - first, 0, pageRows);
    const Start start = startFor(index, first, limit);
    const int hidden = query->hiddenColumns();
    Page page;
    page.rows.reserve(static_cast<size_t>(limit));
    int visible = -1;
    const QSqlRecord record =
            readAll(connection, query->rows(start.skip, limit, start.backward, start.after),
                    [&](QSqlQuery &rows) {
                        if (visible < 0)
                            visible = rows.record().count() - hidden;
                        Row row;
                        row.reserve(static_cast<size_t>(visible));
                        for (int i = 0; i < visible; ++i)
                            row.push_back(rows.value(i));
                        page.rows.push_back(std::move(row));
                        const QVariantList keys = valuesOf(rows, visible, hidden);
                        if (page.firstKeys.isEmpty())
                            page.firstKeys = keys;
                        page.lastKeys = keys;
                    });
    if (fields.isEmpty())
        for (int i = 0; i < record.count() - hidden; ++i)
            fields << FieldName(connection.database(), sql, record.fieldName(i));
    if (start.backward) {
        std::reverse(page.rows.begin(), page.rows.end());
        std::swap(page.firstKeys, page.lastKeys);
    }
    if (static_cast<qint64>(page.rows.size()) != limit || hidden == 0) {
        page.firstKeys.clear();
        page.lastKeys.clear();
        page.rows.resize(static_cast<size_t>(limit), Row(static_cast<size_t>(fields.size())));
    }
    return page;
}

GridModel::GridModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

GridModel::~GridModel() = default;

std::unique_ptr<GridModel::Source>
GridModel::open(const Connection &connection, std::unique_ptr<GridQuery> query, qint64 row) const
{
    const BoundStatement count = query->count();
    const QString sql = query->statement();
    const QVariantList values = query->values();
    auto source = std::make_unique<Source>(connection, std::move(query), sql, values, pageRows_,
                                           cachedPages_);
    source->count = countOf(connection, count);
    source->readAround(std::clamp<qint64>(row, 0, std::max<qint64>(source->count - 1, 0)));
    return source;
}

void GridModel::load(const Connection &connection, const Select &select, qint64 row)
{
    std::unique_ptr<Source> source;
    try {
        source = open(connection, std::make_unique<GridQuery>(connection.database(), select), row);
    } catch (const DbError &) {
        // A server that dropped the connection (it restarted) fails the first statement after;
        // the connection is asked again at the next one, and the grid's reads are safe to run
        // again, so a refresh goes on instead of showing the loss.
        source = open(connection, std::make_unique<GridQuery>(connection.database(), select), row);
    }
    adopt(std::move(source));
}

void GridModel::load(const Connection &connection, const QString &sql, const QVariantList &values,
                     qint64 row)
{
    const auto select = ParseSimpleSelect(sql, values);
    std::unique_ptr<Source> source;
    if (select) {
        try {
            source = open(connection, std::make_unique<GridQuery>(connection.database(), *select),
                          row);
        } catch (const DbError &) {
            // A text that looked like a Select but that the grid's own statements cannot read
            // (an ORDER BY names a column alias) is read as written.
        }
    }
    if (!source)
        source = open(connection, std::make_unique<GridQuery>(sql, values), row);
    adopt(std::move(source));
}

void GridModel::adopt(std::unique_ptr<Source> source)
{
    const bool sameSource = source_ && source && source_->sql == source->sql
            && source_->values == source->values && source_->fields == source->fields;
    if (!sameSource) {
        beginResetModel();
        source_ = std::move(source);
        endResetModel();
        return;
    }
    const int before = rowCount();
    const int after = static_cast<int>(std::min<qint64>(source->count, INT_MAX));
    if (after > before)
        beginInsertRows({}, before, after - 1);
    else if (after < before)
        beginRemoveRows({}, after, before - 1);
    source_ = std::move(source);
    if (after > before)
        endInsertRows();
    else if (after < before)
        endRemoveRows();
    if (after > 0)
        emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
}

void GridModel::clear()
{
    if (!source_)
        return;
    beginResetModel();
    source_.reset();
    endResetModel();
}

qint64 GridModel::count() const
{
    return source_ ? source_->count : 0;
}

int GridModel::fieldIndex(const QString &name) const
{
    if (!source_)
        return -1;
    for (qsizetype i = 0; i < source_->fields.size(); ++i)
        if (source_->fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

QVariant GridModel::value(qint64 row, int column) const
{
    if (!source_ || row < 0 || row >= source_->count || column < 0
        || column >= source_->fields.size())
        throw DbError(kNoCurrentRecord);
    return source_->row(row)[static_cast<size_t>(column)];
}

qint64 GridModel::rowOf(const QVariant &rowid) const
{
    if (!source_ || !source_->query->keyed())
        return -1;
    QVariantList keys;
    const int hidden = source_->query->hiddenColumns();
    readAll(source_->connection, source_->query->keysOf(rowid),
            [&](QSqlQuery &query) { keys = valuesOf(query, 0, hidden); });
    if (keys.isEmpty())
        return -1;
    return countOf(source_->connection, source_->query->countBefore(keys));
}

QString GridModel::rowKey() const
{
    return source_ && source_->query->keyed() ? source_->query->rowKey() : QString();
}

void GridModel::setCaption(const QString &field, const QString &caption)
{
    captions_.insert(field.toLower(), caption);
    const int column = fieldIndex(field);
    if (column >= 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

void GridModel::setPaging(int pageRows, int cachedPages)
{
    pageRows_ = std::max(pageRows, 1);
    cachedPages_ = std::max(cachedPages, 2);
}

qint64 GridModel::heldRows() const
{
    return source_ ? source_->heldRows() : 0;
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(std::min<qint64>(count(), INT_MAX));
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !source_ ? 0 : static_cast<int>(source_->fields.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    // A text's tool tip is the whole text, for a cell too narrow to show it.
    if (!index.isValid()
        || (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole))
        return {};
    try {
        const QVariant cell = value(index.row(), index.column());
        if (role == Qt::ToolTipRole)
            return cell.typeId() == QMetaType::QString ? cell : QVariant();
        return cell.isNull() ? QVariant() : cell;
    } catch (const DbError &) {
        return {}; // painting cannot report; the next refresh shows the engine's words
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!source_ || section < 0 || section >= source_->fields.size())
        return {};
    const QString field = source_->fields[section];
    return captions_.value(field.toLower(), field);
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

} // namespace db
