#include "SettingsCommand.h"

#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureBundleFormatSettings.h"
#include "output/CaptureModeSettings.h"

#include <functional>

namespace vantrel {

namespace {

template <class T> QStringList rawValues(const QList<T>& cases) {
    QStringList values;
    for (const T& value : cases)
        values.append(rawValue(value));
    return values;
}

} // namespace

// One row per setting: how to read it as its raw value and how to write a raw value through its
// store. The writer answers false for a value that is no case of the setting.
struct SettingsCommand::Setting {
    QString name;
    QStringList values;
    std::function<QString(const UserDefaults&)> read;
    std::function<bool(UserDefaults&, NotificationCenter&, const QString&)> write;
};

const QList<SettingsCommand::Setting>& SettingsCommand::settings() {
    static const QList<Setting> rows = {
        {"mode", rawValues(allCaptureModes()),
         [](const UserDefaults& d) { return rawValue(CaptureModeSettings::primaryMode(d)); },
         [](UserDefaults& d, NotificationCenter& c, const QString& raw) {
             const auto mode = captureModeFromRaw(raw);
             if (mode)
                 CaptureModeSettings::setPrimaryMode(d, c, *mode);
             return mode.has_value();
         }},
        {"agent", rawValues(allAgentPasteTargets()),
         [](const UserDefaults& d) { return rawValue(AgentPasteTargetSettings::target(d)); },
         [](UserDefaults& d, NotificationCenter& c, const QString& raw) {
             const auto target = agentPasteTargetFromRaw(raw);
             if (target)
                 AgentPasteTargetSettings::setTarget(d, c, *target);
             return target.has_value();
         }},
        {"pasteboard-format", rawValues(allBundlePasteboardFormats()),
         [](const UserDefaults& d) {
             return rawValue(BundlePasteboardFormatSettings::activeFormat(d));
         },
         [](UserDefaults& d, NotificationCenter& c, const QString& raw) {
             const auto format = bundlePasteboardFormatFromRaw(raw);
             if (format)
                 BundlePasteboardFormatSettings::setActiveFormat(d, c, *format);
             return format.has_value();
         }},
        {"bundle-format", rawValues(allCaptureBundleFormats()),
         [](const UserDefaults& d) {
             return rawValue(CaptureBundleFormatSettings::activeFormat(d));
         },
         [](UserDefaults& d, NotificationCenter& c, const QString& raw) {
             const auto format = captureBundleFormatFromRaw(raw);
             if (format)
                 CaptureBundleFormatSettings::setActiveFormat(d, c, *format);
             return format.has_value();
         }},
    };
    return rows;
}

SettingsCommand::SettingsCommand(UserDefaults& defaults, NotificationCenter& center)
    : m_defaults(defaults), m_center(center) {}

QString SettingsCommand::usage() {
    QString text = QStringLiteral("usage: vantrel settings [NAME [VALUE]]\n");
    for (const Setting& setting : settings())
        text += QStringLiteral("  %1: %2\n").arg(setting.name, setting.values.join(" | "));
    return text;
}

const SettingsCommand::Setting* SettingsCommand::find(const QString& name) {
    for (const Setting& setting : settings()) {
        if (setting.name == name)
            return &setting;
    }
    return nullptr;
}

void SettingsCommand::printAll(QTextStream& out) const {
    for (const Setting& setting : settings())
        out << setting.name << ": " << setting.read(m_defaults) << "\n";
}

int SettingsCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.isEmpty()) {
        printAll(out);
        return 0;
    }
    const Setting* setting = find(arguments.first());
    if (!setting || arguments.size() > 2) {
        err << (setting ? QStringLiteral("vantrel settings: too many arguments\n")
                        : QStringLiteral("vantrel settings: unknown setting \"%1\"\n")
                              .arg(arguments.first()))
            << usage();
        return 2;
    }
    if (arguments.size() == 1) {
        out << setting->read(m_defaults) << "\n";
        return 0;
    }
    if (!setting->write(m_defaults, m_center, arguments.at(1))) {
        err << QStringLiteral("vantrel settings: \"%1\" is not a value of %2 (one of: %3)\n")
                   .arg(arguments.at(1), setting->name, setting->values.join(", "));
        return 2;
    }
    // A write may change another setting (an agent picks its format), so show them all.
    printAll(out);
    return 0;
}

} // namespace vantrel
