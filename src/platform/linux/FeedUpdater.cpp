#include "FeedUpdater.h"

#include "../UserDefaults.h"
#include "PackageManagerUpdater.h"
#include "ReleaseFeed.h"

#include <QLocale>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace vantrel {

namespace {

bool isWebAddress(const QUrl& url) {
    const bool web =
        url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http");
    return url.isValid() && web && !url.host().isEmpty();
}

QString sentence(QString text) {
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

QString httpFailure(const QNetworkReply& reply, int status) {
    const QString phrase =
        reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    const QString answer = phrase.isEmpty() ? QString::number(status)
                                            : QStringLiteral("%1 %2").arg(status).arg(phrase);
    return QStringLiteral("the server answered HTTP %1.").arg(answer);
}

} // namespace

FeedUpdater::FeedUpdater(const UserDefaults& defaults, Clock& clock, QString runningVersion,
                         Report report)
    : FeedUpdater(defaults, clock, std::move(runningVersion), std::move(report), Limits{}) {}

FeedUpdater::FeedUpdater(const UserDefaults& defaults, Clock& clock, QString runningVersion,
                         Report report, Limits limits)
    : m_defaults(defaults), m_clock(clock), m_runningVersion(std::move(runningVersion)),
      m_report(std::move(report)), m_limits(limits) {
    // Never from https down to http.
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

FeedUpdater::~FeedUpdater() {
    m_stopTimer.request_stop();
}

void FeedUpdater::checkForUpdates() {
    if (isChecking())
        return;
    const QString address = m_defaults.string(feedUrlKey).value_or(defaultFeedUrl).trimmed();
    if (address.isEmpty()) {
        tell(UpdateCheckResult::managedByPackageManager(PackageManagerUpdater::message));
        return;
    }
    const QUrl url(address, QUrl::StrictMode);
    if (!isWebAddress(url)) {
        tell(UpdateCheckResult::failed(
            QStringLiteral("the update feed address “%1” is not an http or https address.")
                .arg(address)));
        return;
    }
    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(m_limits.maxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Vantrel/%1").arg(m_runningVersion));
    m_body.clear();
    m_abortResult.reset();
    m_stopTimer = std::stop_source();
    m_reply = m_network.get(request);
    QObject::connect(m_reply, &QNetworkReply::readyRead, &m_context, [this] { readChunk(); });
    QObject::connect(m_reply, &QNetworkReply::finished, &m_context, [this] { finish(); });
    abortWhenLate(m_stopTimer.get_token()); // runs on by itself; finish() stops it
}

void FeedUpdater::readChunk() {
    if (!m_reply || m_abortResult)
        return;
    appendBody();
    if (m_body.size() > m_limits.maxFeedBytes)
        abortWith(tooLarge());
}

// Never holds more than one byte past the cap, however much the server sends.
void FeedUpdater::appendBody() {
    m_body += m_reply->read(m_limits.maxFeedBytes + 1 - m_body.size());
}

UpdateCheckResult FeedUpdater::tooLarge() const {
    const QString size =
        QLocale::c().formattedDataSize(m_limits.maxFeedBytes, 0, QLocale::DataSizeIecFormat);
    return UpdateCheckResult::failed(
        QStringLiteral("the update feed is larger than %1.").arg(size));
}

void FeedUpdater::abortWith(UpdateCheckResult result) {
    m_abortResult = std::move(result);
    if (m_reply)
        m_reply->abort();
}

// Touches no member once stopped: the updater may be gone by then.
QCoro::Task<> FeedUpdater::abortWhenLate(std::stop_token stop) {
    co_await m_clock.sleep(m_limits.timeout, stop);
    if (stop.stop_requested())
        co_return;
    const QString seconds = QString::number(m_limits.timeout.count() / 1000.0);
    const QString reason = QStringLiteral("no answer from %1 within %2 seconds.")
                               .arg(m_reply ? m_reply->url().host() : QString(), seconds);
    abortWith(UpdateCheckResult::failed(reason));
}

void FeedUpdater::finish() {
    if (!m_reply)
        return;
    m_stopTimer.request_stop();
    if (!m_abortResult)
        appendBody();
    const UpdateCheckResult result = m_abortResult ? *m_abortResult : resultOfReply();
    m_reply->deleteLater();
    m_reply = nullptr;
    m_body.clear();
    tell(result);
}

void FeedUpdater::tell(const UpdateCheckResult& result) {
    if (m_report)
        m_report(result);
}

UpdateCheckResult FeedUpdater::resultOfReply() const {
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return UpdateCheckResult::failed(httpFailure(*m_reply, status));
    if (m_reply->error() != QNetworkReply::NoError)
        return UpdateCheckResult::failed(sentence(m_reply->errorString()));
    if (m_body.size() > m_limits.maxFeedBytes)
        return tooLarge();
    return resultOfFeed();
}

UpdateCheckResult FeedUpdater::resultOfFeed() const {
    const ReleaseFeed feed = ReleaseFeed::parse(m_body);
    if (!feed.error().isEmpty())
        return UpdateCheckResult::failed(
            QStringLiteral("the update feed is not valid XML (%1).").arg(feed.error()));
    const std::optional<ReleaseFeed::Release> newest = feed.newest();
    if (!newest)
        return UpdateCheckResult::failed(
            QStringLiteral("the update feed offers no release for this system."));
    const std::partial_ordering order =
        ReleaseFeed::compareVersions(newest->version, m_runningVersion);
    if (order == std::partial_ordering::unordered)
        return UpdateCheckResult::failed(
            QStringLiteral("this build's version “%1” cannot be compared with the feed's.")
                .arg(m_runningVersion));
    if (order > 0)
        return UpdateCheckResult::updateAvailable(newest->version, m_runningVersion,
                                                  newest->notesUrl, newest->downloadUrl);
    return UpdateCheckResult::upToDate(m_runningVersion);
}

} // namespace vantrel
