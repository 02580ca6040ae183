#pragma once

#include "../PlatformError.h"

#include <QDBusConnection>
#include <QImage>
#include <QObject>
#include <QVariantMap>

#include <optional>
#include <variant>

namespace vantrel {

// A picture of the whole desktop through the Screenshot portal (org.freedesktop.portal.Screenshot,
// not interactive), for GNOME without Vantrel's extension. The portal writes the picture into a
// file of the user's and names it in its answer: the file is read and removed at once, so nothing
// of ours is left behind. The first call may show GNOME's permission dialog, which is why the
// answer is awaited for as long as a user may take to read it.
class PortalScreenshot final : public QObject {
    Q_OBJECT

  public:
    static const QString errorDomain;

    explicit PortalScreenshot(QDBusConnection bus);

    std::variant<QImage, PlatformError> take(int answerTimeoutMs = 120000);

    // The picture's file from the portal's Response signal, or why there is none.
    static std::variant<QString, PlatformError> pictureFile(uint response,
                                                            const QVariantMap& results);

  Q_SIGNALS:
    void answered();

  private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);

  private:
    QDBusConnection m_bus;
    std::optional<std::pair<uint, QVariantMap>> m_answer;
};

} // namespace vantrel
