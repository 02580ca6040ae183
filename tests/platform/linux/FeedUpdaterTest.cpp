#include "platform/linux/FeedUpdater.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/VirtualClock.h"
#include "platform/linux/PackageManagerUpdater.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <memory>

namespace vantrel {
inline void PrintTo(const UpdateCheckResult& result, std::ostream* out) {
    *out << int(result.kind) << " \"" << result.message.toStdString() << "\" "
         << result.notesUrl.toString().toStdString() << " "
         << result.downloadUrl.toString().toStdString();
}
} // namespace vantrel

using namespace vantrel;
using vantrel::testing::waitUntil;
using namespace std::chrono_literals;

namespace {

// A loopback HTTP server that gives every request the same canned answer, or none at all.
class CannedHttpServer {
  public:
    explicit CannedHttpServer(std::optional<QByteArray> answer) : m_answer(std::move(answer)) {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] { accept(); });
    }
    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort());
    }
    int connections() const { return m_connections; }

  private:
    void accept() {
        QTcpSocket* socket = m_server.nextPendingConnection();
        ++m_connections;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            m_requests[socket] += socket->readAll();
            if (m_answer && m_requests[socket].contains("\r\n\r\n")) {
                socket->write(*m_answer);
                socket->disconnectFromHost();
            }
        });
    }

    std::optional<QByteArray> m_answer;
    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_requests;
    int m_connections = 0;
};

QByteArray http(const QByteArray& status, const QByteArray& body, const QByteArray& extra = {}) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + extra + "\r\n" + body;
}

QByteArray feedOffering(const QByteArray& version) {
    return R"(<?xml version="1.0"?><rss version="2.0"
        xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item>
        <sparkle:releaseNotesLink>https://e.org/notes</sparkle:releaseNotesLink>
        <enclosure url="https://e.org/vantrel.tar.gz" sparkle:shortVersionString=")" +
           version + R"("/></item></channel></rss>)";
}

// The feed padded with trailing blanks to exactly this many bytes.
QByteArray sized(QByteArray feed, qsizetype bytes) {
    return feed + QByteArray(bytes - feed.size(), ' ');
}

struct Check {
    MemoryUserDefaults defaults;
    VirtualClock clock;
    QList<UpdateCheckResult> results;
    std::unique_ptr<FeedUpdater> updater;

    explicit Check(const QString& feedUrl, FeedUpdater::Limits limits = FeedUpdater::Limits()) {
        defaults.setString(FeedUpdater::feedUrlKey, feedUrl);
        updater = std::make_unique<FeedUpdater>(
            defaults, clock, QStringLiteral("1.2.0"),
            [this](const UpdateCheckResult& r) { results.append(r); }, limits);
    }
};

} // namespace

// Addresses that are not a feed are answered without the network.
TEST(FeedUpdater, ReportsWhatTheFeedOffers) {
    const auto failed = &UpdateCheckResult::failed;
    const auto notAFeed = [](const QString& address) {
        return UpdateCheckResult::failed("the update feed address “" + address +
                                         "” is not an http or https address.");
    };
    const auto managed = UpdateCheckResult::managedByPackageManager(PackageManagerUpdater::message);
    const QByteArray loop = http("302 Found", {}, "Location: /appcast.xml\r\n");
    const struct {
        const char* what;
        QByteArray answer;
        UpdateCheckResult expected;
        std::optional<QString> address = std::nullopt; // else the server's
    } rows[] = {
        {"newer", http("200 OK", feedOffering("1.10.0")),
         UpdateCheckResult::updateAvailable("1.10.0", "1.2.0", QUrl("https://e.org/notes"),
                                            QUrl("https://e.org/vantrel.tar.gz"))},
        {"same", http("200 OK", feedOffering("1.2")), UpdateCheckResult::upToDate("1.2.0")},
        {"older", http("200 OK", feedOffering("1.1.9")), UpdateCheckResult::upToDate("1.2.0")},
        {"not found", http("404 Not Found", "<html>gone</html>"),
         failed("the server answered HTTP 404 Not Found.")},
        {"malformed", http("200 OK", "<rss><channel><item></channel></rss>"),
         failed("the update feed is not valid XML (line 1, column 30: Opening and ending tag "
                "mismatch).")},
        {"no usable item", http("200 OK", feedOffering("soon")),
         failed("the update feed offers no release for this system.")},
        {"at the size limit", http("200 OK", sized(feedOffering("1.10.0"), 2048)),
         UpdateCheckResult::updateAvailable("1.10.0", "1.2.0", QUrl("https://e.org/notes"),
                                            QUrl("https://e.org/vantrel.tar.gz"))},
        {"a byte past it", http("200 OK", sized(feedOffering("1.10.0"), 2049)),
         failed("the update feed is larger than 2 KiB.")},
        {"endless redirects", loop, failed("Too many redirects.")},
        {"no address", {}, managed, ""},
        {"a blank address", {}, managed, "  "},
        {"a file", {}, notAFeed("file:///etc/passwd"), "file:///etc/passwd"},
        {"a word", {}, notAFeed("feed"), "feed"},
    };
    for (const auto& row : rows) {
        CannedHttpServer server(row.answer);
        Check check(row.address.value_or(server.url()), {.maxFeedBytes = 2048, .maxRedirects = 3});
        check.updater->checkForUpdates();
        ASSERT_TRUE(waitUntil([&] { return !check.results.isEmpty(); })) << row.what;
        EXPECT_EQ(check.results, QList{row.expected}) << row.what;
        EXPECT_EQ(check.clock.pendingSleepers(), 0)
            << row.what << ": the timeout outlived the check";
        EXPECT_FALSE(check.updater->isChecking()) << row.what;
        EXPECT_TRUE(!row.address || server.connections() == 0) << row.what;
    }
}

// A silent server: the check times out on the clock, a second request meanwhile starts none,
// and an updater gone mid-check leaves no timer and reports nothing.
TEST(FeedUpdater, ASilentServerTimesOutOnTheClockAndOneCheckRunsAtATime) {
    CannedHttpServer server(std::nullopt);
    Check check(server.url());
    check.updater->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return server.connections() == 1; }));
    check.updater->checkForUpdates();
    check.clock.advance(9999ms);
    QCoreApplication::processEvents();
    EXPECT_TRUE(check.results.isEmpty());

    check.clock.advance(1ms);
    ASSERT_TRUE(waitUntil([&] { return !check.results.isEmpty(); }));
    const QList expected{UpdateCheckResult::failed("no answer from 127.0.0.1 within 10 seconds.")};
    EXPECT_EQ(check.results, expected);
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(check.clock.requestedSleeps(), QList{std::chrono::milliseconds(10s)});

    check.updater->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return server.connections() == 2; }));
    check.updater.reset();
    EXPECT_EQ(check.clock.pendingSleepers(), 0);
    check.clock.advance(10s);
    QCoreApplication::processEvents();
    EXPECT_EQ(check.results, expected);
}
