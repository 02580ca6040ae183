#include "DialogPresenter.h"

#include "app/AppDelegate.h"

#include <QCoreApplication>

namespace vantrel {

DialogPresenter::DialogPresenter(AppDelegate& delegate, QObject* parent) : QObject(parent) {
    connect(&delegate, &AppDelegate::messageRequested, this, &DialogPresenter::showMessage);
    connect(&delegate, &AppDelegate::aboutRequested, this, &DialogPresenter::showAbout);
}

DialogPresenter::~DialogPresenter() {
    delete m_last;
}

void DialogPresenter::showMessage(const QString& title, const QString& text) {
    present(new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok));
}

void DialogPresenter::showAbout() {
    const QString version = QCoreApplication::applicationVersion();
    auto* box = new QMessageBox(
        QMessageBox::NoIcon, QStringLiteral("About Vantrel"),
        QStringLiteral("<h3>Vantrel %1</h3><p>Shows a coding agent the part of the screen you "
                       "mean: a screenshot and the accessibility tree under the mouse, "
                       "ready to paste.</p>")
            .arg(version.toHtmlEscaped()),
        QMessageBox::Ok);
    present(box);
}

void DialogPresenter::present(QMessageBox* box) {
    // One at a time: a new message replaces the one still open.
    delete m_last;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    m_last = box;
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace vantrel
