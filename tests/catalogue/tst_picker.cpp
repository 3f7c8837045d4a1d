#include "Fixture.h"
#include "TestRegistry.h"
#include "app/modGlobals.h"
#include "catalogue/FilePanel.h"
#include "catalogue/frmGet.h"
#include "platform/ui/FileLists.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QStringList listed(const FileListBox &files)
{
    QStringList names;
    for (int i = 0; i < files.ListCount(); ++i)
        names << files.List(i);
    return names;
}

// A stand-in for the window that opens the picker: only the boxes the picker writes, found by
// name, and one it must leave alone.
struct Opener
{
    explicit Opener(const QString &name)
    {
        window.setObjectName(name);
        for (const char *box :
             {"txtFileName", "txtDrive", "txtFilePath", "txtDir", "txtFileDesc"}) {
            auto *edit = new QLineEdit(QStringLiteral("old"), &window);
            edit->setObjectName(QString::fromLatin1(box));
        }
    }
    QString text(const char *box) const
    {
        return window.findChild<QLineEdit *>(QString::fromLatin1(box))->text();
    }
    QStringList boxes() const
    {
        return {text("txtFileName"), text("txtDrive"), text("txtFilePath"), text("txtDir"),
                text("txtFileDesc")};
    }
    QDialog window;
};

const QStringList kUnchanged{"old", "old", "old", "old", "old"};

} // namespace

class TestPicker : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void patternList_data();
    void patternList();
    void viewMenu_data();
    void viewMenu();
    void transfer_data();
    void transfer();
    void closingTransfersNothing_data();
    void closingTransfersNothing();
    void startingFolder_data();
    void startingFolder();

private:
    QString folder(const QString &below = {}) const
    {
        return native(below.isEmpty() ? dir_->path() : dir_->filePath(below));
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestPicker::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(dir_->filePath("work")));
    for (const char *name : {"a.bas", "b.zip", "c.txt", "d.doc", "e.gif", "f.exe", "work/b.txt"})
        QVERIFY(WriteFile(dir_->filePath(name), "x"));
}

void TestPicker::patternList_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("files");
    const QStringList all{"a.bas", "b.zip", "c.txt", "d.doc", "e.gif", "f.exe"};
    QTest::newRow("as a new database has them")
            << QStringList() << QStringList{"*.*",   "*.c",  "*.cpp", "*.h",   "*.java",
                                            "*.pdf", "*.py", "*.sql", "*.txt", "*.zip"}
            << "*.*" << all;
    QTest::newRow("alphabetically first is chosen")
            << QStringList{"*.zip", "*.bas"} << QStringList{"*.bas", "*.zip"} << "*.bas"
            << QStringList{"a.bas"};
    QTest::newRow("no patterns: every file") << QStringList{""} << QStringList() << "*.*" << all;
}

void TestPicker::patternList()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, offered);
    QFETCH(QString, pattern);
    QFETCH(QStringList, files);
    Fixture f;
    f.setUp();
    if (!stored.isEmpty()) {
        f.exec("delete from patterns");
        for (const QString &p : stored) {
            if (!p.isEmpty())
                f.exec("insert into patterns (patterns) values (?)", {p});
        }
    }
    SelectedDirectory = folder() + QDir::separator();
    frmGet picker;
    picker.Form_Load();
    QStringList entries;
    for (int i = 0; i < picker.Combo1->count(); ++i)
        entries << picker.Combo1->itemText(i);
    QCOMPARE(entries, offered);
    QCOMPARE(picker.Combo1->currentText(), pattern);
    QCOMPARE(picker.File1->Pattern(), pattern);
    QCOMPARE(listed(*picker.File1), files);
    for (QAction *item : picker.mnuView->actions())
        QVERIFY2(!item->isChecked(), qPrintable(item->objectName()));
}

void TestPicker::viewMenu_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("comboText");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("docs") << QStringList{"mnuViewDocs"} << "*.doc;*.txt"
                          << "*.doc;*.txt" << QStringList{"mnuViewDocs"}
                          << QStringList{"c.txt", "d.doc"};
    QTest::newRow("graphics") << QStringList{"mnuViewGraphics"} << "*.gif;*.bmp;*.jpg"
                              << "*.gif;*.bmp;*.jpg" << QStringList{"mnuViewGraphics"}
                              << QStringList{"e.gif"};
    QTest::newRow("programs after docs")
            << QStringList{"mnuViewDocs", "mnuViewProgs"} << "*.exe;*.com;*.bat;*.pif"
            << "*.exe;*.com;*.bat;*.pif" << QStringList{"mnuViewProgs"} << QStringList{"f.exe"};
    QTest::newRow("zip, case ignored")
            << QStringList{"mnuViewZip"} << "*.Zip"
            << "*.Zip" << QStringList{"mnuViewZip"} << QStringList{"b.zip"};
    QTest::newRow("zip clicked twice: back to all")
            << QStringList{"mnuViewZip", "mnuViewZip"} << "*.*"
            << "*.*" << QStringList{"mnuViewAll"}
            << QStringList{"a.bas", "b.zip", "c.txt", "d.doc", "e.gif", "f.exe"};
    // "All files" leaves the pattern box as it stands.
    QTest::newRow("all after zip")
            << QStringList{"mnuViewZip", "mnuViewAll"} << "*.*"
            << "*.Zip" << QStringList{"mnuViewAll"}
            << QStringList{"a.bas", "b.zip", "c.txt", "d.doc", "e.gif", "f.exe"};
    QTest::newRow("all cannot be unchecked")
            << QStringList{"mnuViewAll", "mnuViewAll"} << "*.*"
            << "*.*" << QStringList{"mnuViewAll"}
            << QStringList{"a.bas", "b.zip", "c.txt", "d.doc", "e.gif", "f.exe"};
    QTest::newRow("docs after all")
            << QStringList{"mnuViewAll", "mnuViewDocs"} << "*.doc;*.txt"
            << "*.doc;*.txt" << QStringList{"mnuViewDocs"} << QStringList{"c.txt", "d.doc"};
}

void TestPicker::viewMenu()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, pattern);
    QFETCH(QString, comboText);
    QFETCH(QStringList, checked);
    QFETCH(QStringList, files);
    Fixture f;
    f.setUp();
    SelectedDirectory = folder();
    frmGet picker;
    picker.Form_Load();
    for (const QString &item : clicks)
        picker.findChild<QAction *>(item)->trigger();
    QCOMPARE(picker.File1->Pattern(), pattern);
    QCOMPARE(picker.Combo1->currentText(), comboText);
    QStringList marked;
    for (QAction *item : picker.mnuView->actions()) {
        if (item->isChecked())
            marked << item->objectName();
    }
    QCOMPARE(marked, checked);
    QCOMPARE(listed(*picker.File1), files);
}

void TestPicker::transfer_data()
{
    QTest::addColumn<int>("caller");
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("folder"); // "" for the test folder, "/" for the volume root
    QTest::addColumn<QString>("picked"); // selected in the file list
    QTest::addColumn<QString>("typed"); // then typed over
    QTest::addColumn<QString>("name"); // expected, or "" when nothing is written
    QTest::addColumn<QString>("message");
    QTest::newRow("picked, import window") << 2 << "frmAdd"
                                           << "work"
                                           << "b.txt"
                                           << ""
                                           << "b.txt"
                                           << "";
    QTest::newRow("picked, catalogue browser") << 1 << "frmShow"
                                               << "work"
                                               << "b.txt"
                                               << ""
                                               << "b.txt"
                                               << "";
    QTest::newRow("typed name not listed") << 2 << "frmAdd"
                                           << "work"
                                           << "b.txt"
                                           << "new name.txt"
                                           << "new name.txt"
                                           << "";
    QTest::newRow("volume root: one separator in the path") << 2 << "frmAdd"
                                                            << "/"
                                                            << ""
                                                            << "a.txt"
                                                            << "a.txt"
                                                            << "";
    QTest::newRow("nothing chosen") << 2 << "frmAdd"
                                    << "work"
                                    << "b.txt"
                                    << "\x01"
                                    << ""
                                    << "Please select file or cancel!";
    QTest::newRow("no caller") << 0 << "frmAdd"
                               << "work"
                               << "b.txt"
                               << ""
                               << ""
                               << "";
    QTest::newRow("caller not the opener") << 1 << "frmAdd"
                                           << "work"
                                           << "b.txt"
                                           << ""
                                           << ""
                                           << "Error: The window frmShow is not open.";
}

void TestPicker::transfer()
{
    QFETCH(int, caller);
    QFETCH(QString, opener);
    QFETCH(QString, folder);
    QFETCH(QString, picked);
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(QString, message);
    Fixture f;
    f.setUp();
    const QString start = folder == "/" ? QDir::rootPath() : this->folder(folder);
    Opener owner(opener);
    PickerCaller = caller;
    SelectedDirectory = native(start);
    SelectedFilePath = "stored path";
    auto *picker = new frmGet(&owner.window);
    picker->Form_Load();
    QCOMPARE(picker->txtOldPath->text(), QStringLiteral("stored path"));
    QCOMPARE(picker->Text2->text(), native(QDir(start).absolutePath()));
    picker->File1->setFileName(picked);
    if (typed == "\x01")
        picker->Text1->clear();
    else if (!typed.isEmpty())
        picker->Text1->setText(typed);
    if (!message.isEmpty())
        f.ui.answer(vbOK);
    picker->show();
    QTest::mouseClick(picker->cmdOK, Qt::LeftButton);
    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QVERIFY(!picker->isVisible());
    if (name.isEmpty()) {
        QCOMPARE(owner.boxes(), kUnchanged);
        if (typed == "\x01") // the selected name is offered for the next try
            QCOMPARE(picker->Text1->text(), picked);
        return;
    }
    const QString directory = native(QDir(start).absolutePath());
    const QString separator = QDir::separator();
    const QString path =
            directory.endsWith(separator) ? directory + name : directory + separator + name;
    QVERIFY(!path.contains(separator + separator));
    QCOMPARE(owner.boxes(),
             QStringList({name, DriveText(DriveListBox::volumeOf(start)), path,
                          directory + separator, "old"}));
    QCOMPARE(picker->sFileName, name);
    QCOMPARE(picker->sDirectory, directory + separator);
}

void TestPicker::closingTransfersNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "cmdCancel";
    QTest::newRow("File, Close") << "mnuClose";
    QTest::newRow("close box") << "close";
}

void TestPicker::closingTransfersNothing()
{
    QFETCH(QString, how);
    Fixture f;
    f.setUp();
    Opener owner("frmAdd");
    PickerCaller = 2;
    SelectedDirectory = folder("work");
    auto *picker = new frmGet(&owner.window);
    picker->Form_Load();
    picker->File1->setFileName("b.txt");
    picker->File1_Click();
    QCOMPARE(picker->Text1->text(), QStringLiteral("b.txt"));
    picker->show();
    if (how == "cmdCancel")
        picker->cmdCancel->click();
    else if (how == "mnuClose")
        picker->mnuClose->trigger();
    else
        picker->close();
    QVERIFY(!picker->isVisible());
    QCOMPARE(picker->result(), int(QDialog::Rejected));
    QCOMPARE(owner.boxes(), kUnchanged);
    QCOMPARE(PickerCaller, 2);
}

void TestPicker::startingFolder_data()
{
    QTest::addColumn<QString>("stored"); // below the test folder; "-" for none at all
    QTest::addColumn<bool>("found");
    QTest::newRow("the row's folder, closing separator") << "work/" << true;
    QTest::newRow("blanks around") << "  work  " << true;
    QTest::newRow("folder removed") << "gone/" << false;
    QTest::newRow("a file, not a folder") << "c.txt" << false;
    QTest::newRow("no folder stored") << "-" << false;
}

void TestPicker::startingFolder()
{
    QFETCH(QString, stored);
    QFETCH(bool, found);
    Fixture f;
    f.setUp();
    if (stored != "-") {
        const QString trimmed = stored.trimmed();
        SelectedDirectory = stored.replace(trimmed, folder(trimmed));
    }
    SelectedFilePath = folder("work/b.txt");
    if (!found)
        f.ui.answer(vbOK);
    frmGet picker;
    picker.Form_Load();
    const QString expected =
            found ? folder("work") : native(QCoreApplication::applicationDirPath());
    QCOMPARE(picker.Dir1->Path(), expected);
    QCOMPARE(picker.File1->Path(), expected);
    QCOMPARE(picker.Text2->text(), expected);
    QCOMPARE(picker.txtOldPath->text(), found ? SelectedFilePath : QString());
    if (found) {
        QVERIFY(f.ui.messages.isEmpty());
        QCOMPARE(listed(*picker.File1), QStringList{"b.txt"});
        return;
    }
    QCOMPARE(f.ui.texts(), QStringList{"Directory Not Found!"});
    QCOMPARE(f.ui.messages[0].title, QStringLiteral("Directory Error"));
    QCOMPARE(f.ui.messages[0].style, int(vbCritical));
}

REGISTER_TEST(TestPicker)
#include "tst_picker.moc"
