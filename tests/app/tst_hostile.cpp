// Every registered window, its fields typed full of what breaks careless programs: quotes and
// wild cards, a statement's tail, a long text, a NUL, direction marks, characters beyond the
// basic plane, blanks around. Nothing may crash, no statement may fail, no error may be shown,
// and what a window saves must read back as it was typed.

#include "Fixture.h"
#include "SampleData.h"
#include "SampleTree.h"
#include "Samples.h"
#include "TestRegistry.h"
#include "app/CUtils.h"
#include "catalogue/frmAdd.h"
#include "catalogue/frmShow.h"
#include "platform/Settings.h"
#include "platform/db/DbError.h"
#include "platform/db/Statement.h"
#include "platform/ui/FileLists.h"
#include "platform/ui/Form.h"
#include "platform/ui/WindowCatalogue.h"
#include "security/frmLogin.h"
#include "snippets/TextBox.h"
#include "snippets/frmSnippet.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

struct Hostile
{
    const char *name;
    QString text;
};

QList<Hostile> hostileValues()
{
    return {
            {"single quote", QStringLiteral("'")},
            {"percent", QStringLiteral("%")},
            {"underscore", QStringLiteral("_")},
            {"comment", QStringLiteral("--")},
            {"semicolon", QStringLiteral(";")},
            {"statement tail", QStringLiteral("'); DROP TABLE fileprofile; --")},
            {"10,000 characters", QStringLiteral("abcdefghi ").repeated(1000)},
            {"NUL inside", QStringLiteral("before") + QChar(0) + QStringLiteral("after")},
            {"right-to-left mark", QStringLiteral("\u200Fmark")},
            {"right-to-left override", QStringLiteral("\u202Eoverride")},
            {"emoji", QStringLiteral("smile \U0001F600")},
            {"U+10348", QStringLiteral("hwair \U00010348")},
            {"blanks around", QStringLiteral("  padded  ")},
    };
}

// Messages that tell of a failure rather than ask or refuse.
bool tellsOfFailure(const QString &text)
{
    static const QStringList failures{QStringLiteral("Error:"),
                                      QStringLiteral("Error - Cannot Update Master"),
                                      QStringLiteral("ERROR - Master Table Update")};
    for (const QString &failure : failures) {
        if (text.startsWith(failure))
            return true;
    }
    return false;
}

// Where a window keeps what one of its fields saves.
struct Column
{
    const char *field;
    const char *column;
    // Stored without the blanks around it, as the window compares and keeps such values.
    bool trimmed;
    // Values the window refuses with an error message, storing nothing: no file can be named
    // with a NUL, or with more characters than the system allows in one name.
    QStringList refused = {};
};

// How to read back what a window saved: the column for %1, and the values bound to the "?".
struct Readback
{
    QString sql;
    std::function<QVariantList(QWidget *)> key;
    QList<Column> columns;
};

// What a window needs to save a value: the step that brings it back to a row it can save, the
// buttons, tool bar keys or Enter in a box that save or search, in the order pressed, a text
// put before each value where the field insists on one, and the read back.
struct Plan
{
    WindowEntry::Step ready;
    QStringList presses;
    QString prefix;
    std::optional<Readback> readback;
};

QVariantList noKey(QWidget *)
{
    return {};
}

WindowSample::Step stageOf(const QString &name)
{
    return SampleOf(name).stage;
}

// The windows that save or search; every other window only has its fields typed into.
std::map<QString, Plan> plans()
{
    std::map<QString, Plan> all;
    all["frmSetup"] = {{},
                       {"cmdUpdate"},
                       {},
                       Readback{{},
                                noKey,
                                {{"txtDB", "TARNU", false, {"10,000 characters", "NUL inside"}},
                                 {"txtLogFile", "LOGFILE", false}}}};
    all["frmGroups"] = {
            {},
            {"kNew", "kUpdate"},
            {},
            Readback{QStringLiteral("SELECT %1 FROM CodeTypes ORDER BY Inum DESC LIMIT 1"),
                     noKey,
                     {{"PName", "CodeType", true}}}};
    // A pattern must start with "*." to be taken at all.
    all["frmPatterns"] = {
            {},
            {"kNew", "kUpdate"},
            QStringLiteral("*."),
            Readback{QStringLiteral("SELECT %1 FROM patterns ORDER BY Inum DESC LIMIT 1"),
                     noKey,
                     {{"PName", "patterns", true}}}};
    all["frmShow"] = {
            [](QWidget *window) {
                auto *browser = static_cast<frmShow *>(window);
                browser->cmdClear_Click();
                browser->txtSearch_Change();
                browser->DataGrid1_DblClick();
                browser->cmdUnLock_Click();
            },
            {"cmdUpdate"},
            {},
            Readback{QStringLiteral("SELECT %1 FROM fileprofile WHERE Inum = ?"),
                     [](QWidget *window) -> QVariantList {
                         return {static_cast<frmShow *>(window)->txtIndex->text().toLongLong()};
                     },
                     // A file's name, path and folder keep their blanks, as the disk does.
                     {{"txtFileName", "FileName", false},
                      {"txtFilePath", "FilePath", false},
                      {"txtDir", "Directory", false},
                      {"txtFileDesc", "FileDesc", true},
                      {"cboWebName", "WebSiteName", true},
                      {"cboWebAddr", "WebAddress", true},
                      {"cboGrpName", "FileGroup", true},
                      {"txtAuthor", "Author", true},
                      {"txtEmail", "Email", true},
                      {"txtDrive", "Drive", true},
                      {"txtLabel", "Label", true}}}};
    // A file is taken from the panel, described, staged and copied into the catalogue.
    all["frmAdd"] = {
            [](QWidget *window) {
                auto *add = static_cast<frmAdd *>(window);
                add->ClearFileInformation();
                add->Text1->setText(QStringLiteral("tokens.py"));
                add->cmdOK_Click();
            },
            {"cmdAdd", "kSave"},
            {},
            Readback{QStringLiteral("SELECT %1 FROM fileprofile ORDER BY Inum DESC LIMIT 1"),
                     noKey,
                     {{"txtDir", "Directory", false},
                      {"txtFileDesc", "FileDesc", true},
                      {"cboGrpName", "FileGroup", true},
                      {"cboWebName", "WebSiteName", true},
                      {"cboWebAddr", "WebAddress", true},
                      {"txtAuthor", "Author", true},
                      {"txtEmail", "Email", true},
                      {"txtLabel", "Label", true}}}};
    all["frmSearch"] = {{}, {"cmdFind"}, {}, {}};
    all["frmFileMgr"] = {{}, {"Text1"}, {}, {}};
    // Each try starts afresh, as the window ends the program after three failed tries.
    all["frmLogin"] = {[](QWidget *window) {
                           stageOf("frmLogin")(window);
                           static_cast<frmLogin *>(window)->Form_Load();
                       },
                       {"cmdOK"},
                       {},
                       {}};
    all["frmVerify"] = {{}, {"cmdOK"}, {}, {}};
    all["frmChangePass"] = {stageOf("frmChangePass"), {"kFinish"}, {}, {}};
    all["frmUser"] = {
            stageOf("frmUser"),
            {"kSave", "kFinish"},
            {},
            Readback{QStringLiteral("SELECT %1 FROM tblusers WHERE userid = ?"),
                     [](QWidget *window) -> QVariantList {
                         return {Trim(window->findChild<QLineEdit *>("txtUserID")->text())};
                     },
                     {{"txtUserID", "userid", true},
                      {"txtUserName", "username", true},
                      {"cboUserGroup", "usergroup", false}}}};
    all["frmSnippet"] = {[](QWidget *window) {
                             auto *notebook = static_cast<frmSnippet *>(window);
                             notebook->lstTitles->setCurrentItem(
                                     notebook->lstTitles->topLevelItem(0));
                             notebook->lstTitles_Click();
                         },
                         {"kSave", "kFind"},
                         {},
                         Readback{QStringLiteral("SELECT %1 FROM source WHERE id = ?"),
                                  [](QWidget *window) -> QVariantList {
                                      return {static_cast<frmSnippet *>(window)->selectedId()};
                                  },
                                  {{"txtTitle", "title", false},
                                   {"cmbType", "codetype", false},
                                   {"cboWebName", "websitename", false},
                                   {"cboWebAddr", "webaddress", false},
                                   {"txtAuthor", "author", false},
                                   {"txtEmail", "email", false},
                                   {"rtbCodeWindow", "code", false},
                                   {"rtbNotes", "notes", false}}}};
    all["frmWebInfo"] = {stageOf("frmWebInfo"),
                         {"kUpdate"},
                         {},
                         Readback{QStringLiteral("SELECT %1 FROM webname WHERE webid = ?"),
                                  [](QWidget *window) -> QVariantList {
                                      return {window->findChild<QLineEdit *>("txtWebID")->text()};
                                  },
                                  {{"txtWebName", "webname", false},
                                   {"txtWebAddress", "webaddress", false},
                                   {"txtCompany", "companyname", false},
                                   {"txtAddress", "address", false},
                                   {"txtCity", "city", false},
                                   {"txtState", "state", false},
                                   {"txtZip", "zip", false},
                                   {"txtCountry", "country", false},
                                   {"txtPhoneNum", "phonenum", false},
                                   {"txtFaxNum", "faxnum", false},
                                   {"txtPointofContact", "pointofcontact", false},
                                   {"txtEmail", "email", false},
                                   {"txtNotes", "notes", false}}}};
    return all;
}

// The fields a user can type into: shown, enabled and not read-only. An editable list counts
// once, not again for the box inside it.
QList<QWidget *> editableFields(QWidget *window)
{
    QList<QWidget *> fields;
    const auto usable = [window](QWidget *field) {
        return field->isVisibleTo(window) && field->isEnabled();
    };
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (!usable(child))
            continue;
        if (auto *box = qobject_cast<QLineEdit *>(child)) {
            if (!box->isReadOnly() && !qobject_cast<QComboBox *>(box->parentWidget())
                && !qobject_cast<QAbstractSpinBox *>(box->parentWidget()))
                fields << box;
        } else if (auto *list = qobject_cast<QComboBox *>(child)) {
            if (list->isEditable() && !list->lineEdit()->isReadOnly())
                fields << list;
        } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(child)) {
            if (!spin->isReadOnly())
                fields << spin;
        } else if (auto *text = qobject_cast<QTextEdit *>(child)) {
            if (!text->isReadOnly())
                fields << text;
        } else if (auto *plain = qobject_cast<QPlainTextEdit *>(child)) {
            if (!plain->isReadOnly())
                fields << plain;
        }
    }
    return fields;
}

// Types text over the field's whole content, as a paste would: what the field refuses (beyond
// its length, or against its validator) it refuses here too.
void typeInto(QWidget *field, const QString &text)
{
    field->setFocus();
    QLineEdit *box = qobject_cast<QLineEdit *>(field);
    if (auto *list = qobject_cast<QComboBox *>(field))
        box = list->lineEdit();
    if (auto *spin = qobject_cast<QAbstractSpinBox *>(field))
        box = spin->findChild<QLineEdit *>();
    if (box) {
        box->selectAll();
        box->insert(text);
    } else if (auto *rich = qobject_cast<QTextEdit *>(field)) {
        rich->selectAll();
        rich->insertPlainText(text);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(field)) {
        plain->selectAll();
        plain->insertPlainText(text);
    }
}

// What the field holds now, as its window reads it.
QString heldBy(QWidget *field)
{
    if (auto *box = qobject_cast<QLineEdit *>(field))
        return box->text();
    if (auto *list = qobject_cast<QComboBox *>(field))
        return list->currentText();
    if (auto *spin = qobject_cast<QAbstractSpinBox *>(field))
        return spin->text();
    // The notebook's boxes keep their text apart from the document.
    if (auto *own = qobject_cast<TextBox *>(field))
        return own->text();
    if (auto *rich = qobject_cast<QTextEdit *>(field))
        return rich->toPlainText();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(field))
        return plain->toPlainText();
    return {};
}

// A box with a maximum length keeps that much of a longer text.
QString expectedIn(QWidget *field, const QString &typed)
{
    QLineEdit *box = qobject_cast<QLineEdit *>(field);
    if (auto *list = qobject_cast<QComboBox *>(field))
        box = list->lineEdit();
    return box ? typed.left(box->maxLength()) : typed;
}

// The button, tool bar key or box of that name, or nullptr when the window has none.
QObject *pressable(QWidget *window, const QString &name)
{
    if (auto *button = window->findChild<QAbstractButton *>(name))
        return button;
    if (auto *key = window->findChild<QAction *>(name))
        return key;
    return window->findChild<QLineEdit *>(name);
}

// Presses a button or tool bar key, or Enter in a box, as the user would.
void press(QWidget *window, const QString &name)
{
    QObject *target = pressable(window, name);
    if (auto *button = qobject_cast<QAbstractButton *>(target)) {
        if (button->isEnabled())
            button->click();
    } else if (auto *key = qobject_cast<QAction *>(target)) {
        if (key->isEnabled())
            key->trigger();
    } else if (auto *box = qobject_cast<QLineEdit *>(target)) {
        QTest::keyClick(box, Qt::Key_Return);
    }
}

// A small folder of the test's own, for windows whose folder lists start elsewhere.
QString smallFolder(const Fixture &f)
{
    const QString folder = QDir(f.dir()).filePath(QStringLiteral("walk"));
    QDir().mkpath(folder + QStringLiteral("/sub"));
    WriteFile(folder + QStringLiteral("/one.txt"), "one\n");
    WriteFile(folder + QStringLiteral("/sub/two.txt"), "two\n");
    return folder;
}

// Folder lists walk the disk when a search is pressed: only ever a small folder made for the
// tests, never the program's own folder or anything above it.
void keepWalksSmall(QWidget *window, const Fixture &f)
{
    const QStringList small{QDir(QDir::tempPath()).canonicalPath() + QLatin1Char('/'),
                            QDir(SampleTree()).canonicalPath()};
    const QString program = QDir(QCoreApplication::applicationDirPath()).canonicalPath();
    for (DirListBox *folders : window->findChildren<DirListBox *>()) {
        const QString path = QDir(folders->Path()).canonicalPath();
        if ((!path.startsWith(small[0]) && !path.startsWith(small[1])) || program.startsWith(path))
            folders->setPath(smallFolder(f));
    }
}

// A server's text cannot hold a NUL: there the layer refuses it, as a file name is refused.
const QString kNulRefused = QStringLiteral("NUL character cannot be stored");

qsizetype loggedErrors(const Fixture &f)
{
    static const QRegularExpression error(QStringLiteral("^\"\\d{8}\",\"\\d{6}\",2,"));
    qsizetype count = 0;
    for (const QString &line : f.logText().split(QLatin1Char('\n')))
        count += line.contains(error) && !line.contains(kNulRefused) ? 1 : 0;
    return count;
}

QString shortened(const QString &text)
{
    QString shown = text.left(40);
    shown.replace(QChar(0), QStringLiteral("\\0"));
    return QStringLiteral("\"%1\"%2 (%3 characters)")
            .arg(shown, text.size() > 40 ? QStringLiteral("...") : QString())
            .arg(text.size());
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyWindowTakesHostileInput_data();
    void everyWindowTakesHostileInput();
    void cleanupTestCase();

private:
    int windows_ = 0;
    int fields_ = 0;
    QString home_;
    QByteArray tempBefore_;
};

void TestHostile::initTestCase()
{
    // A name typed into a path field lands in the test's own folder, never beside the program.
    home_ = QDir::currentPath();
    // The windows save hundreds of times, and each save waits for the disk: the scratch folders
    // go to memory where the machine has a folder there.
    tempBefore_ = qgetenv("TMPDIR");
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    if (memory.isDir() && memory.isWritable())
        qputenv("TMPDIR", memory.filePath().toLocal8Bit());
}

void TestHostile::everyWindowTakesHostileInput_data()
{
    QTest::addColumn<QString>("window");
    for (const WindowEntry *entry : RegisteredWindows())
        QTest::newRow(qPrintable(entry->name)) << entry->name;
}

void TestHostile::everyWindowTakesHostileInput()
{
    QFETCH(QString, window);
    Fixture f;
    f.setUp();
    FillSampleCatalogue(f);
    QDir::setCurrent(f.dir());
    QStringList faults;
    db::SetFailureListener([&](const QString &sql, const QString &description) {
        if (!description.contains(kNulRefused))
            faults << QStringLiteral("statement failed: %1 -- %2").arg(sql.left(120), description);
    });
    const auto restore = qScopeGuard([this] {
        db::SetFailureListener({});
        QDir::setCurrent(home_);
    });

    std::unique_ptr<QWidget> form = CreateWindow(window);
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    // Every question is answered, so that every path a value takes is walked.
    f.ui.answerEverything(QString());
    if (const WindowSample::Step stage = SampleOf(window).stage)
        stage(form.get());
    keepWalksSmall(form.get(), f);
    form->show();
    QCoreApplication::processEvents();
    // Shown, so that it behaves as on screen, but not painted again for every value.
    form->setUpdatesEnabled(false);

    const std::map<QString, Plan> all = plans();
    const auto found = all.find(window);
    const Plan plan = found != all.end() ? found->second : Plan{};
    for (const QString &name : plan.presses)
        QVERIFY2(pressable(form.get(), name), qPrintable(window + " has no " + name));
    if (plan.ready)
        plan.ready(form.get());
    const qsizetype errorsBefore = loggedErrors(f);
    qsizetype messagesSeen = f.ui.messages.size();

    QStringList names;
    for (QWidget *field : editableFields(form.get()))
        names << field->objectName();
    ++windows_;
    fields_ += static_cast<int>(names.size());

    for (const QString &name : names) {
        const Column *column = nullptr;
        if (plan.readback) {
            for (const Column &c : plan.readback->columns) {
                if (name == QLatin1String(c.field))
                    column = &c;
            }
        }
        for (const Hostile &value : hostileValues()) {
            const QString where = QStringLiteral("%1.%2, %3: ").arg(window, name, value.name);
            if (!form->isVisible())
                form->show();
            if (plan.ready)
                plan.ready(form.get());
            QWidget *field = form->findChild<QWidget *>(name);
            QVERIFY2(field, qPrintable(where + "field gone"));
            const QString typed = plan.prefix + value.text;
            f.ui.answerEverything(typed);
            typeInto(field, typed);
            const QString held = heldBy(field);
            if (held != expectedIn(field, typed))
                faults << where + QStringLiteral("the field holds ") + shortened(held);
            const QVariantList key =
                    plan.readback ? plan.readback->key(form.get()) : QVariantList();
            for (const QString &button : plan.presses)
                press(form.get(), button);
            QCoreApplication::processEvents();
            const bool refused = column
                    && (column->refused.contains(value.name)
                        || (f.onServer() && value.text.contains(QChar(0))
                            && !plan.readback->sql.isEmpty()));
            bool failureShown = false;
            for (; messagesSeen < f.ui.messages.size(); ++messagesSeen) {
                const QString text = f.ui.messages[messagesSeen].text;
                failureShown = failureShown || tellsOfFailure(text);
                if (tellsOfFailure(text) && !refused)
                    faults << where + QStringLiteral("shown ") + shortened(text);
            }
            if (refused && !failureShown)
                faults << where + QStringLiteral("taken without a message");
            if (!column)
                continue;
            const QString expected = column->trimmed ? Trim(held) : held;
            // No server row can be keyed by a text with a NUL: there is nothing to read back.
            const bool unkeyable =
                    f.onServer() && std::any_of(key.begin(), key.end(), [](const QVariant &part) {
                        return part.toString().contains(QChar(0));
                    });
            const QString stored = plan.readback->sql.isEmpty()
                    ? settings::Get(QString::fromLatin1(column->column), QString())
                    : unkeyable
                    ? QString()
                    : f.column(plan.readback->sql.arg(QString::fromLatin1(column->column)), key)
                              .value(0);
            if (refused ? stored == expected : stored != expected)
                faults << where + QStringLiteral("stored ") + shortened(stored)
                                + QStringLiteral(" for ") + shortened(expected);
        }
    }
    form->close();
    QCoreApplication::processEvents();
    // The statement's tail was a value like any other: the table is still there.
    try {
        f.column(QStringLiteral("SELECT COUNT(*) FROM fileprofile"));
    } catch (const db::DbError &) {
        // The listener has it among the faults.
    }
    if (loggedErrors(f) != errorsBefore)
        faults << window + QStringLiteral(": errors logged: ") + f.logText().right(300);
    for (const QString &fault : faults)
        qWarning("%s", qPrintable(fault));
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 faults").arg(faults.size())));
}

void TestHostile::cleanupTestCase()
{
    if (tempBefore_.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", tempBefore_);
    qInfo("hostile input: %d windows, %d fields, %d values", windows_, fields_,
          static_cast<int>(hostileValues().size()));
}

REGISTER_TEST(TestHostile)
#include "tst_hostile.moc"
