#pragma once

#include "platform/AccessibilityPlatform.h"

#include <QHash>

namespace vantrel::test {

// Elements as plain attribute tables; an attribute not set fails to read.
class FakeAccessibility final : public AccessibilityPlatform {
  public:
    static constexpr int unsupported = -25205;

    bool isProcessTrusted() const override { return true; }
    void promptForTrust() override {}
    AXElement systemWideElement() const override { return {1}; }
    std::optional<AXElement> elementAtPosition(AXElement, float, float) override {
        return std::nullopt;
    }
    AXElement applicationElement(qint32 pid) override { return {quint64(1000000 + pid)}; }
    AXReadResult copyAttributeValue(AXElement element, const QString& attribute) override {
        const auto attributes = m_elements.constFind(element.id);
        if (attributes == m_elements.cend() || !attributes->contains(attribute))
            return {unsupported, AXNoValue{}};
        return attributes->value(attribute);
    }

    void set(AXElement element, const QString& attribute, AXValue value) {
        m_elements[element.id].insert(attribute, {0, std::move(value)});
    }
    void fail(AXElement element, const QString& attribute, int code) {
        m_elements[element.id].insert(attribute, {code, AXNoValue{}});
    }
    // A new element with a role (none when empty), a title (none when null) and a parent.
    AXElement add(const QString& role, std::optional<QString> title = std::nullopt,
                  std::optional<AXElement> parent = std::nullopt) {
        const AXElement element{m_next++};
        m_elements[element.id];
        if (!role.isEmpty())
            set(element, QStringLiteral("AXRole"), role);
        if (title)
            set(element, QStringLiteral("AXTitle"), *title);
        if (parent)
            set(element, QStringLiteral("AXParent"), *parent);
        return element;
    }

  private:
    QHash<quint64, QHash<QString, AXReadResult>> m_elements;
    quint64 m_next = 10;
};

} // namespace vantrel::test
