#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;

namespace vantrel {

// The About window: what Vantrel is, its version and build, its licence, and the libraries it is
// built with.
class AboutDialog final : public QDialog {
    Q_OBJECT

  public:
    AboutDialog(const std::optional<QString>& version, const std::optional<QString>& build,
                QWidget* parent = nullptr);

    QString versionLine() const;
    QString buildLine() const;
    QPushButton* closeButton() const { return m_close; }

    static QString credits();
    static QString licence();

  private:
    QLabel* m_version;
    QLabel* m_build;
    QPushButton* m_close;
};

} // namespace vantrel
