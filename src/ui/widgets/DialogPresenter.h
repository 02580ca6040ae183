#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>

namespace vantrel {

// Shows messages that the app must tell the user once. They never block: the hotkeys and the
// toast keep working while one is open.
class DialogPresenter final : public QObject {
    Q_OBJECT

  public:
    explicit DialogPresenter(QObject* parent = nullptr);
    ~DialogPresenter() override;

    void showMessage(const QString& title, const QString& text);
    QMessageBox* lastDialog() const { return m_last; }

  private:
    void present(QMessageBox* box);

    QPointer<QMessageBox> m_last;
};

} // namespace vantrel
