#include "platform/db/ConnectString.h"

namespace db {

namespace {
const QString kDataSource = QStringLiteral("Data Source=");
}

QString ConnectStringFor(const QString &path)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;") + kDataSource + path;
}

QString DataSourceOf(const QString &connectString)
{
    const int at = connectString.indexOf(kDataSource, 0, Qt::CaseInsensitive);
    return at < 0 ? QString() : connectString.mid(at + kDataSource.size());
}

} // namespace db
