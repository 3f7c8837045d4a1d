#include "Fixture.h"
#include "TestRegistry.h"
#include "app/modGlobals.h"
#include "platform/ui/ToolBar.h"
#include "websites/LinkCheck.h"
#include "websites/frmWebInfo.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

// A web server on the loopback with canned answers by path. It records each request it reads
// and counts how many it holds unanswered at once, and how many connections are open.
class CannedServer : public QTcpServer
{
public:
    CannedServer()
    {
        connect(this, &QTcpServer::newConnection, this, &CannedServer::accept);
        listen(QHostAddress::LocalHost);
    }

    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

    QStringList requests;
    int open = 0;
    int holding = 0;
    int mostHeld = 0;

private:
    void accept()
    {
        while (QTcpSocket *socket = nextPendingConnection()) {
            ++open;
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                --open;
                socket->deleteLater();
            });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        }
    }

    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = buffers_[socket];
        buffer += socket->readAll();
        for (qsizetype end; (end = buffer.indexOf("\r\n\r\n")) >= 0;) {
            const QList<QByteArray> line = buffer.left(buffer.indexOf("\r\n")).split(' ');
            buffer.remove(0, end + 4);
            requests << QString::fromLatin1(line.value(0) + ' ' + line.value(1));
            ++holding;
            mostHeld = qMax(mostHeld, holding);
            answer(socket, line.value(0) == "HEAD", QString::fromLatin1(line.value(1)));
        }
    }

    void answer(QTcpSocket *socket, bool head, const QString &path)
    {
        if (path == "/ok")
            send(socket, head, "200 OK");
        else if (path == "/moved")
            send(socket, head, "301 Moved Permanently", "Location: /ok\r\n");
        else if (path == "/loop")
            send(socket, head, "302 Found", "Location: /loop\r\n");
        else if (path == "/missing")
            send(socket, head, "404 Not Found");
        else if (path == "/get-only" && head)
            send(socket, head, "405 Method Not Allowed");
        else if (path == "/get-only")
            // A page too long to wait for: only its beginning comes, the rest never does.
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\nhello");
        else if (path == "/head-unknown")
            send(socket, head, head ? "501 Not Implemented" : "200 OK");
        else if (path == "/head-dropped" && head)
            socket->disconnectFromHost();
        else if (path == "/head-dropped")
            send(socket, head, "200 OK");
        else if (path.startsWith("/slow/"))
            return QTimer::singleShot(150, socket, [this, socket] {
                send(socket, true, "200 OK");
                --holding;
            });
        else if (path == "/silent")
            return;
        else
            send(socket, head, "404 Not Found");
        --holding;
    }

    static void send(QTcpSocket *socket, bool head, const char *status, const char *headers = "")
    {
        const QByteArray body = "hello";
        socket->write(QByteArray("HTTP/1.1 ") + status + "\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" + headers
                      + "\r\n" + (head ? QByteArray() : body));
        socket->disconnectFromHost();
    }

    QHash<QTcpSocket *, QByteArray> buffers_;
};

// A port on the loopback where nothing listens.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

QList<LinkResult> results(const QSignalSpy &spy)
{
    QList<LinkResult> found;
    for (const QList<QVariant> &arguments : spy)
        found << arguments.at(0).value<LinkResult>();
    return found;
}

QStringList row(QTreeWidget *list, const QString &site)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        if (item->text(0) == site)
            return {item->text(1), item->text(2), item->text(3)};
    }
    return {};
}

// When the fixture's clock says a check ended, as the window lists it.
QString stamp()
{
    return Fixture::kNow.toString("MM/dd/yyyy HH:mm:ss");
}

} // namespace

class TestLinkCheck : public QObject
{
    Q_OBJECT
private slots:
    void init() { CheckedLinks().clear(); }
    void answer_data();
    void answer();
    void fewAtOnce();
    void checkFromTheWindow();
    void closingCancels_data();
    void closingCancels();
};

void TestLinkCheck::answer_data()
{
    QTest::addColumn<QString>("address"); // "%1" the server, "%2" a closed port
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("requests"); // each once
    const QString server = "http://127.0.0.1:%1";
    QTest::newRow("page") << server + "/ok" << 200 << "200 OK" << QStringList{"HEAD /ok"};
    QTest::newRow("moved") << server + "/moved" << 200 << "200 OK (redirected to " + server + "/ok)"
                           << QStringList{"HEAD /moved", "HEAD /ok"};
    QTest::newRow("missing") << server + "/missing" << 404 << "404 Not Found"
                             << QStringList{"HEAD /missing"};
    QTest::newRow("HEAD refused, GET answers") << server + "/get-only" << 200 << "200 OK"
                                               << QStringList{"HEAD /get-only", "GET /get-only"};
    QTest::newRow("HEAD not implemented") << server + "/head-unknown" << 200 << "200 OK"
                                          << QStringList{"HEAD /head-unknown", "GET /head-unknown"};
    // The network layer sends a request dropped unanswered once more by itself.
    QTest::newRow("HEAD dropped") << server + "/head-dropped" << 200 << "200 OK"
                                  << QStringList{"HEAD /head-dropped", "GET /head-dropped"};
    QTest::newRow("endless redirects")
            << server + "/loop" << 0 << "Too many redirects" << QStringList{"HEAD /loop"};
    QTest::newRow("connection refused")
            << "http://127.0.0.1:%2/" << 0 << "Connection refused" << QStringList{};
    QTest::newRow("no answer") << server + "/silent" << 0 << "No answer within 0.3 seconds"
                               << QStringList{"HEAD /silent"};
    const QString notWeb = "Not checked: not an http or https address";
    for (const char *other : {"mailto:ann@example.org", "ftp://127.0.0.1/", "file:///etc/passwd",
                              "javascript:alert(1)"})
        QTest::addRow("%s", other) << other << 0 << notWeb << QStringList{};
    QTest::newRow("empty") << "   " << 0 << "No address to check" << QStringList{};
}

void TestLinkCheck::answer()
{
    QFETCH(QString, address);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(QStringList, requests);
    Fixture f;
    CannedServer server;
    const quint16 closed = closedPort();
    const auto place = [&](QString value) {
        return value.replace("%1", QString::number(server.serverPort()))
                .replace("%2", QString::number(closed));
    };
    LinkCheck check;
    check.setTimeout(300);
    QSignalSpy reported(&check, &LinkCheck::checked);
    QSignalSpy finished(&check, &LinkCheck::finished);
    check.check(place(address), "Site");
    // Nothing reports before the event loop runs, so the caller can show the check as running.
    QCOMPARE(reported.size(), 0);
    QVERIFY(check.checking("Site\n" + place(address).trimmed()));
    QVERIFY(finished.wait(5000));
    QCOMPARE(reported.size(), 1);
    const LinkResult result = results(reported).first();
    QCOMPARE(result.site, QStringLiteral("Site"));
    QCOMPARE(result.address, place(address).trimmed());
    QCOMPARE(result.status, status);
    QCOMPARE(result.text, place(text));
    QCOMPARE(result.checked, Fixture::kNow);
    QCOMPARE(result.ok(), status == 200);
    // The network layer sends a request again by itself where a connection closed under it.
    server.requests.removeDuplicates();
    QCOMPARE(server.requests, requests);
    QVERIFY(!check.busy());
}

// At most kMaxRunning requests at once, every address answered, and one asked twice asked once.
void TestLinkCheck::fewAtOnce()
{
    Fixture f;
    CannedServer server;
    LinkCheck check;
    QSignalSpy reported(&check, &LinkCheck::checked);
    QSignalSpy finished(&check, &LinkCheck::finished);
    for (int i = 0; i < 10; ++i)
        check.check(server.url(QStringLiteral("/slow/%1").arg(i)), QString::number(i));
    check.check(server.url("/slow/0"), "0");
    QVERIFY(finished.wait(10000));
    QCOMPARE(server.mostHeld, LinkCheck::kMaxRunning);
    QCOMPARE(reported.size(), 10);
    QCOMPARE(server.requests.size(), 10);
    for (const LinkResult &result : results(reported))
        QCOMPARE(result.text, QStringLiteral("200 OK"));
    QCOMPARE(finished.size(), 1);
}

// The shown site's check beside its address, every site's in the list, kept for the session.
void TestLinkCheck::checkFromTheWindow()
{
    Fixture f;
    f.setUp();
    CannedServer server;
    f.exec("insert into webname (webname, webaddress) values (?, ?), (?, ?), (?, ?), (?, ?)",
           {"Alpha", server.url("/ok"), "Beta", server.url("/missing"), "Gamma", "", "Delta",
            "mailto:ann@example.org"});
    {
        frmWebInfo window;
        window.Form_Load();
        window.txtWebName->setText("Beta");
        window.txtWebAddress->setText(server.url("/missing"));
        QCOMPARE(window.lblLinkStatus->text(), QStringLiteral("Link not checked."));
        window.cmdCheckLink->click();
        QCOMPARE(window.lblLinkStatus->text(), QStringLiteral("Checking the link..."));
        QCOMPARE(row(window.lstLinks, "Beta"),
                 QStringList({server.url("/missing"), "Checking...", ""}));
        QTRY_VERIFY(!window.LinkChecker->busy());
        QCOMPARE(window.lblLinkStatus->text(), "Link: 404 Not Found, checked " + stamp());

        window.cmdCheckAll->click();
        QTRY_VERIFY(!window.LinkChecker->busy());
        QCOMPARE(window.lstLinks->topLevelItemCount(), 4);
        QCOMPARE(row(window.lstLinks, "Alpha"),
                 QStringList({server.url("/ok"), "200 OK", stamp()}));
        QCOMPARE(row(window.lstLinks, "Gamma"), QStringList({"", "No address to check", stamp()}));
        QCOMPARE(row(window.lstLinks, "Delta"),
                 QStringList({"mailto:ann@example.org", "Not checked: not an http or https address",
                              stamp()}));
        window.txtWebAddress->setText(server.url("/elsewhere"));
        QCOMPARE(window.lblLinkStatus->text(), QStringLiteral("Link not checked."));
        window.txtWebAddress->clear();
        QCOMPARE(window.lblLinkStatus->text(), QString());
    }
    // Opened again in the same session: the results are still there.
    frmWebInfo again;
    again.Form_Load();
    QCOMPARE(again.lstLinks->topLevelItemCount(), 4);
    QCOMPARE(row(again.lstLinks, "Beta"),
             QStringList({server.url("/missing"), "404 Not Found", stamp()}));
    VERIFY_CLEAN(f);
}

void TestLinkCheck::closingCancels_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Exit key") << "kExit";
    QTest::newRow("window closed") << "close";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("window destroyed") << "delete";
}

// A check still waiting when the window closes ends there: its connection is dropped, and no
// result arrives afterwards.
void TestLinkCheck::closingCancels()
{
    QFETCH(QString, how);
    Fixture f;
    f.setUp();
    CannedServer server;
    auto window = std::make_unique<frmWebInfo>();
    window->show();
    window->LinkChecker->setTimeout(200);
    window->txtWebName->setText("Quiet");
    window->txtWebAddress->setText(server.url("/silent"));
    window->cmdCheckLink->click();
    QTRY_COMPARE(server.requests, QStringList{"HEAD /silent"});
    if (how == "kExit")
        window->Toolbar1->click("kExit");
    else if (how == "close")
        window->close();
    else if (how == "escape")
        QTest::keyClick(window.get(), Qt::Key_Escape);
    else
        window.reset();
    if (window)
        QVERIFY(!window->isVisible());
    QTRY_COMPARE(server.open, 0);
    QTest::qWait(400);
    QVERIFY(CheckedLinks().isEmpty());
    if (window) {
        QVERIFY(!window->LinkChecker->busy());
        QCOMPARE(row(window->lstLinks, "Quiet").value(1), QStringLiteral("Checking..."));
    }
    VERIFY_CLEAN(f);
}

REGISTER_TEST(TestLinkCheck)
#include "tst_linkcheck.moc"
