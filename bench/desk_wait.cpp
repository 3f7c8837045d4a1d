// Two desks on one catalogue: the first stages a tree of 100,000 files with checksums through
// "Add Folder...", while a second desk, on a connection of its own in a thread of its own, saves
// every 50 ms: it updates a catalogue row, then stages a row. How long the second desk waits for
// each write is what a user there feels; the import's own time shows what the first pays.
#include "BenchDesk.h"
#include "BenchTree.h"
#include "Fixture.h"
#include "app/session.h"
#include "catalogue/frmAdd.h"
#include "platform/db/ConnectString.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"
#include "platform/ui/FileLists.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kCatalogue = 10'000;

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("tree"));
    if (!dir.isValid() || !makeTree(root)) {
        std::fprintf(stderr, "could not make the tree under %s\n", qPrintable(dir.path()));
        return 1;
    }
    Fixture fixture;
    fixture.setUp();
    {
        db::Connection connection;
        connection.Open(db::ConnectStringFor(fixture.dbPath));
        db::Transaction transaction(connection);
        connection.Execute(
                QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                               "WHERE i < ?) INSERT INTO fileprofile (FileName, FilePath, "
                               "FileGroup, FileIndex) SELECT 'doc' || i || '.pdf', '/archive/doc' "
                               "|| i || '.pdf', 'Documents', 2 FROM n"),
                {kCatalogue});
        transaction.Commit();
    }

    frmAdd window;
    window.Form_Load();
    window.Dir1->setPath(root);
    window.Combo1->setEditText(QStringLiteral("*.*"));
    window.chkSubDirs->setChecked(true);
    window.chkChecksums->setChecked(true);
    window.cboGrpName->setCurrentText(QStringLiteral("Documents"));

    std::atomic_bool stop{false};
    DeskRun desk;
    std::thread other(secondDesk, fixture.dbPath, kCatalogue, std::cref(stop), std::ref(desk));
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the desk is at work
    fixture.ui.answer(vbOK);
    const Time import = timed([&] { window.cmdAddFolder_Click(); });
    stop = true;
    other.join();
    const qint64 staged = fixture.column(QStringLiteral("SELECT count(*) FROM tempfile "
                                                        "WHERE FileGroup = 'Documents'"))
                                  .value(0)
                                  .toLongLong();
    CloseSession();

    std::printf("engine: %s\n", fixture.onServer() ? "server" : "database file");
    std::printf("import of %lld files with checksums  %8.0f ms wall  %8.0f ms cpu\n", staged,
                import.wall, import.cpu);
    reportDesk(desk);
    std::printf("messages: %s\n", qPrintable(fixture.ui.texts().join(QStringLiteral(" | "))));
    return staged == kTop * (kLeaves + 1) * kFilesPerLeaf ? 0 : 1;
}
