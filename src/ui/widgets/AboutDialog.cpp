#include "AboutDialog.h"

#include "SymbolIcon.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrel {

namespace {

constexpr int aboutSymbolSize = 64;
constexpr int textWidth = 340;

QString shown(const std::optional<QString>& value) {
    return value && !value->isEmpty() ? *value : QStringLiteral("—");
}

QLabel* line(const QString& text, double points, QWidget* parent,
             QFont::Weight weight = QFont::Normal) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(points);
    font.setWeight(weight);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setFixedWidth(textWidth);
    label->setAccessibleName(text);
    return label;
}

} // namespace

AboutDialog::AboutDialog(const std::optional<QString>& version, const std::optional<QString>& build,
                         QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_version(line(QStringLiteral("Version ") + shown(version), 11, this)),
      m_build(line(QStringLiteral("Build ") + shown(build), 11, this)),
      m_close(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QStringLiteral("About Vantrel"));
    setAccessibleName(windowTitle());
    setObjectName(QStringLiteral("VantrelAbout"));
    setModal(false);

    auto* symbol = new QLabel(this);
    symbol->setPixmap(SymbolIcon::drawn(QStringLiteral("doc.on.clipboard"),
                                        palette().color(QPalette::Highlight), aboutSymbolSize));
    symbol->setAlignment(Qt::AlignCenter);
    symbol->setAccessibleName(QStringLiteral("Vantrel"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 20);
    layout->setSpacing(8);
    layout->addWidget(symbol);
    layout->addWidget(line(QStringLiteral("Vantrel"), 16, this, QFont::DemiBold));
    layout->addWidget(m_version);
    layout->addWidget(m_build);
    layout->addSpacing(6);
    layout->addWidget(line(QStringLiteral("Shows a coding agent exactly which part of an "
                                          "application's interface you mean."),
                           11, this));
    layout->addWidget(line(credits(), 10, this));
    layout->addWidget(line(licence(), 10, this));
    layout->addSpacing(6);
    m_close->setAccessibleName(m_close->text());
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(m_close, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}

QString AboutDialog::versionLine() const {
    return m_version->text();
}

QString AboutDialog::buildLine() const {
    return m_build->text();
}

QString AboutDialog::credits() {
    return QStringLiteral("Built with Qt, QCoro, AT-SPI (libatspi), xcb, libjpeg-turbo and "
                          "zlib. Thanks to their authors.");
}

QString AboutDialog::licence() {
    return QStringLiteral("© Quendale Software. All rights reserved.");
}

} // namespace vantrel
