#include "DeskConnection.h"

#include "Fixture.h"

#include "app/session.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"

#include <QSqlDatabase>

DeskConnection::DeskConnection(const QString &dataSource)
    : connection_(std::make_unique<db::Connection>())
{
    connection_->Open(db::ConnectStringFor(dataSource));
}

DeskConnection::~DeskConnection() = default;

qint64 DeskConnection::Execute(const QString &sql, const QVariantList &values)
{
    return connection_->Execute(sql, values);
}

QStringList DeskConnection::Column(const QString &sql, const QVariantList &values)
{
    return FirstColumn(*connection_, sql, values);
}

void DeskConnection::BeginTrans()
{
    connection_->BeginTrans();
}

void DeskConnection::CommitTrans()
{
    connection_->CommitTrans();
}

void DeskConnection::RollbackTrans()
{
    connection_->RollbackTrans();
}

QSqlDatabase DeskConnection::database() const
{
    return connection_->database();
}

void SetSharedReadOnly(bool readOnly)
{
    SharedConnection().ReadOnly = readOnly;
}

bool SharedDeskWriting()
{
    return SharedConnection().State() == 1 && SharedConnection().InTransaction();
}
