#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>

namespace vantrel {

class AppDelegate;

// Shows the messages and the About box the delegate asks for. They never block: the hotkeys and
// the toast keep working while one is open.
class DialogPresenter final : public QObject {
    Q_OBJECT

  public:
    explicit DialogPresenter(AppDelegate& delegate, QObject* parent = nullptr);
    ~DialogPresenter() override;

    void showMessage(const QString& title, const QString& text);
    void showAbout();
    QMessageBox* lastDialog() const { return m_last; }

  private:
    void present(QMessageBox* box);

    QPointer<QMessageBox> m_last;
};

} // namespace vantrel
