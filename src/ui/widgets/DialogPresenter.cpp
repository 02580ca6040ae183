#include "DialogPresenter.h"

namespace vantrel {

DialogPresenter::DialogPresenter(QObject* parent) : QObject(parent) {}

DialogPresenter::~DialogPresenter() {
    delete m_last;
}

void DialogPresenter::showMessage(const QString& title, const QString& text) {
    present(new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok));
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
