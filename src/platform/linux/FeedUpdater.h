#pragma once

#include "../Clock.h"
#include "../UpdateCheckResult.h"
#include "../Updater.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>

class QNetworkReply;

namespace vantrel {

class UserDefaults;

// Checks an update feed when the user asks and reports what it found; it never downloads or
// installs anything. The feed address is the "SUFeedURL" default; set to empty, updates are left
// to the package manager.
class FeedUpdater final : public Updater {
  public:
    using Report = std::function<void(const UpdateCheckResult&)>;
    struct Limits {
        std::chrono::milliseconds timeout{10'000};
        qint64 maxFeedBytes = 1024 * 1024;
        int maxRedirects = 5;
    };

    static inline const QString feedUrlKey = QStringLiteral("SUFeedURL");
    static inline const QString defaultFeedUrl =
        QStringLiteral("https://www.quendale.com/vantrel/appcast.xml");

    FeedUpdater(const UserDefaults& defaults, Clock& clock, QString runningVersion, Report report);
    FeedUpdater(const UserDefaults& defaults, Clock& clock, QString runningVersion, Report report,
                Limits limits);
    ~FeedUpdater() override;
    FeedUpdater(const FeedUpdater&) = delete;
    FeedUpdater& operator=(const FeedUpdater&) = delete;

    // Nothing runs in the background: a check happens only when the user asks for one.
    void start() override {}
    // One check at a time; asking again while one runs changes nothing.
    void checkForUpdates() override;
    bool isChecking() const { return !m_reply.isNull(); }

  private:
    void readChunk();
    void appendBody();
    void finish();
    void tell(const UpdateCheckResult& result);
    UpdateCheckResult tooLarge() const;
    UpdateCheckResult resultOfReply() const;
    UpdateCheckResult resultOfFeed() const;
    QCoro::Task<> abortWhenLate(std::stop_token stop);
    void abortWith(UpdateCheckResult result);

    const UserDefaults& m_defaults;
    Clock& m_clock;
    QString m_runningVersion;
    Report m_report;
    Limits m_limits;

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    std::optional<UpdateCheckResult> m_abortResult;
    std::stop_source m_stopTimer;
    // Last, so it goes first: no reply signal reaches a half-destroyed updater.
    QObject m_context;
};

} // namespace vantrel
