#include "Scene.h"

namespace vantrel {

namespace {

QString text(const AXReadResult* read) {
    if (read == nullptr || !read->succeeded())
        return {};
    if (const auto* plain = std::get_if<QString>(&read->value))
        return *plain;
    if (const auto* attributed = std::get_if<AXAttributedString>(&read->value))
        return attributed->text;
    return {};
}

const AXReadResult* find(const SceneElement& element, const QString& attribute) {
    const auto it = element.attributes.constFind(attribute);
    return it == element.attributes.cend() ? nullptr : &*it;
}

} // namespace

const SceneApp* Scene::app(qint32 pid) const {
    for (const auto& candidate : apps) {
        if (candidate.pid == pid)
            return &candidate;
    }
    return nullptr;
}

const SceneWindow* Scene::window(quint32 id) const {
    for (const auto& candidate : windows) {
        if (candidate.id == id)
            return &candidate;
    }
    return nullptr;
}

std::optional<int> Scene::elementIndex(const QString& id) const {
    for (int index = 0; index < elements.size(); ++index) {
        if (elements[index].id == id)
            return index;
    }
    return std::nullopt;
}

std::optional<double> Scene::globalTopY() const {
    if (screens.isEmpty())
        return std::nullopt;
    return screens.first().frame.bottom(); // QRectF's bottom is the maximum y
}

QRectF Scene::topLeftFrame(const SceneScreen& screen) const {
    const auto top = globalTopY();
    if (!top)
        return screen.frame;
    return QRectF(screen.frame.x(), *top - screen.frame.bottom(), screen.frame.width(),
                  screen.frame.height());
}

QString SceneElement::label() const {
    for (const char* attribute : {"AXTitle", "AXValue", "AXDescription", "AXRole"}) {
        const QString shown = text(find(*this, QString::fromLatin1(attribute)));
        if (!shown.isEmpty())
            return shown;
    }
    return {};
}

} // namespace vantrel
