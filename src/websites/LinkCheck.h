#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// What a check of one site's address found.
struct LinkResult
{
    QString site;
    QString address;
    // The status of the last answer, after any redirects; 0 when no answer came.
    int status = 0;
    // "200 OK", "404 Not Found", or why there is no answer.
    QString text;
    // When the check ended; invalid while it runs.
    QDateTime checked;

    // A site and its address: two sites may share an address, and a site may change its own.
    QString key() const { return site + QLatin1Char('\n') + address; }
    bool pending() const { return !checked.isValid(); }
    // The address answered with a page, or with a redirect that names no target.
    bool ok() const { return status >= 200 && status < 400; }
};

// The checks of this session by key: the directory shows them again when it is opened anew.
QHash<QString, LinkResult> &CheckedLinks();
// Date and time of a check as the window lists it.
QString CheckedAt(const LinkResult &result);

// Checks web addresses over the network without blocking: a HEAD request, or a GET where the
// server refuses HEAD, redirects followed a few times, a few requests at a time, each ended after
// a timeout. Every address given reports once through checked(), unless cancel() comes first.
class LinkCheck : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 10000;
    static constexpr int kMaxRedirects = 5;
    static constexpr int kMaxRunning = 4;

    explicit LinkCheck(QObject *parent = nullptr);
    ~LinkCheck() override;

    // Queues the site's address. An empty address, or one that is not http or https, is answered
    // without a request; a site already queued or running is not queued twice. Nothing reports
    // before control returns to the event loop.
    void check(const QString &address, const QString &site = {});
    // The site with that key is queued or running.
    bool checking(const QString &key) const;
    // Drops every queued check and aborts the running ones; none of them reports.
    void cancel();
    bool busy() const { return !waiting_.isEmpty() || !running_.isEmpty(); }
    int running() const { return static_cast<int>(running_.size()); }

    // How long one request may wait for its answer (kTimeoutMs unless set).
    void setTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    int timeout() const { return timeoutMs_; }

signals:
    void checked(const LinkResult &result);
    // The last check has reported and nothing waits.
    void finished();

private:
    struct Job
    {
        LinkResult result;
        QUrl url;
        bool get = false;
        QNetworkReply *reply = nullptr;
        QTimer *timer = nullptr;
    };

    void startWaiting();
    void send(Job &job);
    void answered(QNetworkReply *reply);
    void headerArrived(QNetworkReply *reply);
    void timedOut(QNetworkReply *reply);
    // Stops the job's request and hands its result on.
    void conclude(QNetworkReply *reply, int status, const QString &text);
    void stop(Job &job);
    // Hands a result on; false when the handler cancelled the checks or deleted this.
    bool report(LinkResult result);

    QNetworkAccessManager *network_;
    QList<Job> waiting_;
    QHash<QNetworkReply *, Job> running_;
    int timeoutMs_ = kTimeoutMs;
    // Counts cancels, so that a loop handing on results sees one made by a handler.
    int generation_ = 0;
    bool scheduled_ = false;
};
