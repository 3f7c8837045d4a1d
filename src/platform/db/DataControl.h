#pragma once

#include "platform/db/GridModel.h"
#include "platform/db/Select.h"

#include <QObject>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace db {

class Connection;

// The data source of a grid: its own connection and statement, a model that counts the rows and
// reads only the pages the view looks at, a current row, and add / update / delete of rows of
// one table.
class DataControl : public QObject
{
    Q_OBJECT
public:
    explicit DataControl(QObject *parent = nullptr);
    ~DataControl() override;

    QString ConnectionString;

    // The rows to show: a Select the window built, or a statement given as text, which the grid
    // reads as written unless it has the form of a Select.
    void setRecordSource(const Select &select);
    void setRecordSource(const QString &sql, const QVariantList &values = {});
    QString RecordSource() const { return select_ ? select_->Text() : sql_; }
    // Runs the record source again (opening the connection first); keeps the current row
    // where it still exists. Throws DbError.
    void Refresh();
    void Close();

    GridModel *model() const { return model_.get(); }
    // The grid column of a field, by name without regard to case; -1 when absent.
    int FieldIndex(const QString &name) const { return model_->fieldIndex(name); }
    // Sets the caption of a column of the grid, found by its field name.
    void setColumnCaption(const QString &field, const QString &caption);
    qint64 RecordCount() const { return model_->count(); }

    // Current row: 0-based; -1 when there are no rows.
    qint64 CurrentRow() const { return current_; }
    void setCurrentRow(qint64 row);
    QVariant Fields(const QString &name) const;
    // "N of M", the row's 1-based number and the count.
    QString Caption() const;

    // Editing goes to one table, whose rows the record source shows with their key column.
    void setUpdateTarget(const QString &table, const QString &keyColumn);
    // Adds a row and makes it the current row, found by its place in the order.
    void AddNew(const QVariantMap &values);
    void UpdateCurrent(const QVariantMap &values);
    void DeleteCurrent();

signals:
    void refreshed();
    void currentRowChanged(qint64 row);

private:
    void ensureOpen();
    void requireTarget() const;
    QVariant change(const QString &sql, const QVariantList &values);

    std::unique_ptr<Connection> connection_;
    std::unique_ptr<GridModel> model_;
    std::optional<Select> select_;
    QString sql_;
    QVariantList values_;
    QString table_;
    QString key_;
    qint64 current_ = -1;
};

} // namespace db
