#include "app/frmSetup.h"

#include "app/AppIcon.h"
#include "app/CLog.h"
#include "app/CParm.h"
#include "app/CreateDatabase.h"
#include "app/Paths.h"
#include "app/SettingKeys.h"
#include "app/modGlobals.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Dialect.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Fields.h"
#include "platform/ui/ToolBar.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *note(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    return label;
}

// Two fields side by side in a frame, each under its label.
void pairOfFields(QGroupBox *box, const QString &label1, QLineEdit *field1, const QString &label2,
                  QLineEdit *field2)
{
    auto *grid = new QGridLayout(box);
    grid->addWidget(FieldLabel(label1, field1, box), 0, 0);
    grid->addWidget(field1, 0, 1);
    grid->addWidget(FieldLabel(label2, field2, box), 0, 2);
    grid->addWidget(field2, 0, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

// Asks whether to make the program's tables at path and makes them; true when they were made.
bool offerToCreate(const QString &path, const QString &question)
{
    if (MsgBox(question, vbYesNo + vbCritical, QStringLiteral("Create Database")) != vbYes)
        return false;
    try {
        CreateDatabase(path);
    } catch (const db::DbError &error) {
        ErrorBox(error.description());
        return false;
    }
    return true;
}

// A server's address is stored only without a password (the server's client library finds it in
// its own password file, service file or environment), and only once the server answers; a
// database there without the program's tables is offered them.
bool serverReady(const QString &address)
{
    if (db::HoldsPassword(address)) {
        MsgBox(QStringLiteral("Passwords are not kept in the settings. Remove the password from "
                              "the address and put it in the password file of the database "
                              "client (~/.pgpass) instead."),
               vbExclamation, QStringLiteral("Setup"));
        return false;
    }
    bool empty = false;
    try {
        db::Connection connection;
        connection.Open(db::ConnectStringFor(address));
        empty = db::ColumnsOf(connection, QStringLiteral("fileprofile")).isEmpty();
    } catch (const db::DbError &error) {
        ErrorBox(error.description());
        return false;
    }
    return !empty
            || offerToCreate(address,
                             QStringLiteral("The database %1 holds no tables of this program. Do "
                                            "you want to create them there?")
                                     .arg(address));
}

// On a first start the database named usually does not exist yet; rather than let the program
// stop at its first statement, offer to make it there, as --create-database does. True when the
// path may be stored: it names a file, a new database was made, or nothing was named at all
// (start-up reports that itself).
bool databaseReady(const QString &path)
{
    if (db::IsServerAddress(path))
        return serverReady(path);
    if (path.isEmpty() || QFileInfo::exists(path))
        return true;
    return offerToCreate(path,
                         QStringLiteral("The database file %1 does not exist. Do you want "
                                        "to create a new database there?")
                                 .arg(QDir::toNativeSeparators(path)));
}

} // namespace

frmSetup::frmSetup(QWidget *parent)
    : FormDialog(parent)
    , tbrMain(NamedToolBar(
              QStringLiteral("tbrMain"), this,
              {
                      {"kSep1"},
                      {"kCancel", "Close", "window-close", QStyle::SP_DialogCancelButton},
                      {"kSep2"},
                      {"kHelp", "Help", "help-contents", QStyle::SP_MessageBoxQuestion},
              }))
    , picIcon(NamedLabel(QStringLiteral("picIcon"), QString(), this))
    , Frame5(NamedFrame(QStringLiteral("Frame5"), QStringLiteral("Database File Name and Location"),
                        this))
    , txtDB(NamedTextBox(QStringLiteral("txtDB"), Frame5))
    , Frame2(NamedFrame(QStringLiteral("Frame2"), QStringLiteral("SQL Connection"), this))
    , txtDsn(NamedTextBox(QStringLiteral("txtDsn"), Frame2))
    , txtServer(NamedTextBox(QStringLiteral("txtServer"), Frame2))
    , Frame3(NamedFrame(QStringLiteral("Frame3"), QStringLiteral("SQL Connection Authentication"),
                        this))
    , txtUserId(NamedTextBox(QStringLiteral("txtUserId"), Frame3))
    , txtPWD(NamedPasswordBox(QStringLiteral("txtPWD"), Frame3))
    , Frame4(NamedFrame(QStringLiteral("Frame4"), QStringLiteral("Log File Name and Location"),
                        this))
    , txtLogFile(NamedTextBox(QStringLiteral("txtLogFile"), Frame4))
    , chkLogin(NamedCheckBox(QStringLiteral("chkLogin"), QStringLiteral("Lo&gin Screen"), this))
    , Frame1(NamedFrame(QStringLiteral("Frame1"), QStringLiteral("Update Settings"), this))
    , cmdUpdate(NamedDialogButton(QStringLiteral("cmdUpdate"), QStringLiteral("OK"), Frame1, true))
    , cmdClear(NamedDialogButton(QStringLiteral("cmdClear"), QStringLiteral("C"), Frame1))
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Database Setup"));
    setWindowIcon(AppIcon());
    picIcon->setPixmap(AppPixmap(48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    PictureButton(cmdClear, QStringLiteral("Clear all stored settings"));
    layOutFrames();
    layOut();

    connect(chkLogin, &QCheckBox::stateChanged, this, &frmSetup::chkLogin_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmSetup::cmdUpdate_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmSetup::cmdClear_Click);
    connect(tbrMain, &KeyedToolBar::ButtonClick, this, &frmSetup::tbrMain_ButtonClick);
}

// The fields inside their frames, and the buttons in theirs.
void frmSetup::layOutFrames()
{
    auto *dbGrid = new QGridLayout(Frame5);
    dbGrid->addWidget(FieldLabel(QStringLiteral("&Database:"), txtDB, Frame5), 0, 0);
    dbGrid->addWidget(txtDB, 0, 1);
    dbGrid->addWidget(note(QStringLiteral("Please specify the directory where the access database "
                                          "is located. The default location is C:\\Program "
                                          "Files\\tarnu\\tarnu.mdb"),
                           Frame5),
                      1, 1);
    pairOfFields(Frame2, QStringLiteral("DS&N:"), txtDsn, QStringLiteral("&Server:"), txtServer);
    pairOfFields(Frame3, QStringLiteral("Login &ID:"), txtUserId, QStringLiteral("Pass&word:"),
                 txtPWD);
    auto *logGrid = new QGridLayout(Frame4);
    logGrid->addWidget(FieldLabel(QStringLiteral("&Log File:"), txtLogFile, Frame4), 0, 0);
    logGrid->addWidget(txtLogFile, 0, 1);

    auto *buttons = new QVBoxLayout(Frame1);
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(cmdClear);
    buttons->addStretch();
}

// The frames of fields beside the picture and the buttons, under the tool bar.
void frmSetup::layOut()
{
    auto *loginRow = new QHBoxLayout;
    loginRow->addWidget(chkLogin);
    loginRow->addWidget(
            note(QStringLiteral("If you prefer to have the login screen, place a check in this "
                                "option."),
                 this),
            1);

    auto *fields = new QVBoxLayout;
    fields->addWidget(Frame5);
    fields->addWidget(Frame2);
    fields->addWidget(Frame3);
    fields->addWidget(Frame4);
    fields->addLayout(loginRow);

    auto *side = new QVBoxLayout;
    side->addWidget(picIcon);
    side->addWidget(Frame1);
    side->addStretch();

    auto *body = new QHBoxLayout;
    body->addLayout(fields, 1);
    body->addLayout(side);
    body->setContentsMargins(10, 6, 10, 10);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tbrMain);
    layout->addLayout(body);
    resize(560, sizeHint().height());
}

void frmSetup::Form_Load()
{
    CentreWindow(this);
    CParm &parm = Parm();
    txtLogFile->setText(parm.getRParm(SettingKey::LogFile, DefaultLogPath()));
    txtDsn->setText(parm.getRParm(SettingKey::Dsn, QString()));
    txtServer->setText(parm.getRParm(SettingKey::Server, QString()));
    txtDB->setText(parm.getRParm(SettingKey::Database, DefaultDatabasePath()));
    txtUserId->setText(parm.getRParm(SettingKey::UserId, QString()));
    txtPWD->setText(parm.getRParm(SettingKey::Password, QString()));
    DatabasePath = txtDB->text();
    if (parm.getRParm(SettingKey::Login, QStringLiteral("0")) == QLatin1String("1"))
        chkLogin->setChecked(true);
}

void frmSetup::chkLogin_Click()
{
    loginSwitch_ = chkLogin->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void frmSetup::cmdUpdate_Click()
{
    if (!databaseReady(txtDB->text()))
        return;
    CParm &parm = Parm();
    parm.setRParm(SettingKey::LogFile, txtLogFile->text());
    parm.setRParm(SettingKey::Dsn, QString());
    parm.setRParm(SettingKey::Server, QString());
    parm.setRParm(SettingKey::Database, txtDB->text());
    DatabasePath = txtDB->text();
    parm.setRParm(SettingKey::UserId, QString());
    parm.setRParm(SettingKey::Password, QString());
    parm.setRParm(SettingKey::Complete, QStringLiteral("1"));
    parm.setRParm(SettingKey::Login, loginSwitch_);
    // A store that could not be written would leave the program unset; say so and stay open.
    if (parm.isError()) {
        ErrorBox(parm.getError());
        return;
    }
    Log().addEntry(LogInfo,
                   QStringLiteral("Settings changed: database %1, log %2, login %3")
                           .arg(txtDB->text(), txtLogFile->text(),
                                loginSwitch_ == QLatin1String("1") ? QStringLiteral("asked")
                                                                   : QStringLiteral("not asked")));
    accept();
}

void frmSetup::cmdClear_Click()
{
    const int answer = MsgBox(QStringLiteral("This will clear the windows registry."),
                              vbOKCancel + vbCritical + vbDefaultButton2, QStringLiteral("Setup"));
    if (answer == vbOK) {
        Parm().removeRAllParm();
        if (Parm().isError())
            ErrorBox(Parm().getError());
    }
    cmdClear->hide();
}

void frmSetup::tbrMain_ButtonClick(const QString &key)
{
    if (key == QLatin1String("kCancel"))
        reject();
    else if (key == QLatin1String("kHelp"))
        MsgBox(QStringLiteral("Enter name and location of database file."), vbInformation);
}
