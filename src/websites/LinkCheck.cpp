#include "websites/LinkCheck.h"

#include "app/CUtils.h"
#include "app/modGlobals.h"
#include "platform/Clock.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace {

// Errors after which a GET may still get an answer: some servers drop or garble a HEAD they do
// not serve. A refused connection, an unknown host or a timeout would only repeat.
bool getMayAnswer(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

// A redirect the check did not follow: the status in the reply is that of the redirect, not of
// a page.
bool redirectRefused(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::TooManyRedirectsError
            || error == QNetworkReply::InsecureRedirectError;
}

int statusOf(QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QString statusText(QNetworkReply *reply, const QUrl &asked)
{
    QString text = QString::number(statusOf(reply));
    const QString reason =
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    if (!reason.isEmpty())
        text += QLatin1Char(' ') + reason;
    if (reply->url() != asked)
        text += QStringLiteral(" (redirected to %1)").arg(reply->url().toString());
    return text;
}

} // namespace

QHash<QString, LinkResult> &CheckedLinks()
{
    static QHash<QString, LinkResult> results;
    return results;
}

QString CheckedAt(const LinkResult &result)
{
    return result.checked.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

LinkCheck::LinkCheck(QObject *parent)
    : QObject(parent)
    , network_(new QNetworkAccessManager(this))
{ }

LinkCheck::~LinkCheck()
{
    cancel();
}

bool LinkCheck::checking(const QString &key) const
{
    for (const Job &job : waiting_) {
        if (job.result.key() == key)
            return true;
    }
    for (const Job &job : running_) {
        if (job.result.key() == key)
            return true;
    }
    return false;
}

void LinkCheck::check(const QString &address, const QString &site)
{
    Job job;
    job.result.site = Trim(site);
    job.result.address = Trim(address);
    if (checking(job.result.key()))
        return;
    // The address the "Visit Web Site" button would open, so both agree on what is a web address.
    const QString web = ShellWebAddress(job.result.address);
    if (job.result.address.isEmpty())
        job.result.text = QStringLiteral("No address to check");
    else if (web.isEmpty())
        job.result.text = QStringLiteral("Not checked: not an http or https address");
    else
        job.url = QUrl(web);
    waiting_.append(job);
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        if (!waiting_.isEmpty())
            startWaiting();
    });
}

void LinkCheck::cancel()
{
    ++generation_;
    waiting_.clear();
    const QList<Job> running = running_.values();
    running_.clear();
    for (Job job : running)
        stop(job);
}

void LinkCheck::startWaiting()
{
    const int generation = generation_;
    while (!waiting_.isEmpty()) {
        if (waiting_.front().url.isEmpty()) {
            if (!report(waiting_.takeFirst().result))
                return;
            continue;
        }
        if (running_.size() >= kMaxRunning)
            break;
        Job job = waiting_.takeFirst();
        send(job);
    }
    if (!busy() && generation == generation_)
        emit finished();
}

void LinkCheck::send(Job &job)
{
    QNetworkRequest request(job.url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Corvina link check"));
    QNetworkReply *reply = job.get ? network_->get(request) : network_->head(request);
    job.reply = reply;
    job.timer = new QTimer(reply);
    job.timer->setSingleShot(true);
    connect(job.timer, &QTimer::timeout, this, [this, reply] { timedOut(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { answered(reply); });
    // A page's body is not needed: its status is known once the body begins.
    if (job.get)
        connect(reply, &QNetworkReply::readyRead, this, [this, reply] { headerArrived(reply); });
    job.timer->start(timeoutMs_);
    running_.insert(reply, job);
}

void LinkCheck::answered(QNetworkReply *reply)
{
    const auto found = running_.find(reply);
    if (found == running_.end())
        return;
    const int status = statusOf(reply);
    const QNetworkReply::NetworkError error = reply->error();
    if (!found->get && (status == 405 || status == 501 || (status == 0 && getMayAnswer(error)))) {
        Job job = running_.take(reply);
        stop(job);
        job.get = true;
        send(job);
        return;
    }
    if (status == 0 || redirectRefused(error))
        conclude(reply, 0, reply->errorString());
    else
        conclude(reply, status, statusText(reply, found->url));
}

void LinkCheck::headerArrived(QNetworkReply *reply)
{
    const auto found = running_.find(reply);
    const int status = statusOf(reply);
    if (found == running_.end() || status == 0 || (status >= 300 && status < 400))
        return;
    conclude(reply, status, statusText(reply, found->url));
}

void LinkCheck::timedOut(QNetworkReply *reply)
{
    conclude(reply, 0,
             QStringLiteral("No answer within %1 seconds").arg(timeoutMs_ / 1000.0, 0, 'g', 3));
}

void LinkCheck::conclude(QNetworkReply *reply, int status, const QString &text)
{
    const auto found = running_.find(reply);
    if (found == running_.end())
        return;
    Job job = running_.take(reply);
    stop(job);
    job.result.status = status;
    job.result.text = text;
    if (report(job.result))
        startWaiting();
}

void LinkCheck::stop(Job &job)
{
    // Disconnected first: an abort finishes the reply at once, and that must not report.
    disconnect(job.reply, nullptr, this, nullptr);
    job.timer->stop();
    job.reply->abort();
    job.reply->deleteLater();
    job.reply = nullptr;
    job.timer = nullptr;
}

bool LinkCheck::report(LinkResult result)
{
    result.checked = Now();
    const int generation = generation_;
    const QPointer<LinkCheck> alive(this);
    emit checked(result);
    return alive && generation == generation_;
}
