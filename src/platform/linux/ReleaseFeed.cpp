#include "ReleaseFeed.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace vantrel {

namespace {

const QString sparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

struct ParsedVersion {
    QStringList numbers;
    QString suffix; // a pre-release tag; empty for a release
};

// Build metadata after '+' never orders versions.
std::optional<ParsedVersion> parseVersion(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^[vV]?(\d+(?:\.\d+)*)[-. ]?([0-9A-Za-z][0-9A-Za-z.\-]*)?$)"));
    const QString trimmed = text.section(QLatin1Char('+'), 0, 0).trimmed();
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;
    return ParsedVersion{match.captured(1).split(QLatin1Char('.')), match.captured(2)};
}

// Any number of digits, so no version overflows an integer.
std::strong_ordering compareDigits(QStringView a, QStringView b) {
    while (a.startsWith(QLatin1Char('0')))
        a = a.mid(1);
    while (b.startsWith(QLatin1Char('0')))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() <=> b.size();
    return a.compare(b) <=> 0;
}

// Runs of digits or of letters; everything else only separates them.
QList<QStringView> suffixParts(QStringView suffix) {
    QList<QStringView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= suffix.size(); ++i) {
        const bool boundary = i == suffix.size() || !suffix[i].isLetterOrNumber() ||
                              (i > start && suffix[i].isDigit() != suffix[i - 1].isDigit());
        if (!boundary)
            continue;
        if (i > start)
            parts.append(suffix.mid(start, i - start));
        start = (i < suffix.size() && suffix[i].isLetterOrNumber()) ? i : i + 1;
    }
    return parts;
}

// "beta2" < "beta10" < "rc1"; a numeric part sorts before a word, a shorter tag before a longer.
std::strong_ordering compareSuffixes(const QString& a, const QString& b) {
    const QList<QStringView> left = suffixParts(a);
    const QList<QStringView> right = suffixParts(b);
    for (qsizetype i = 0; i < std::min(left.size(), right.size()); ++i) {
        const bool leftNumeric = left[i].front().isDigit();
        const bool rightNumeric = right[i].front().isDigit();
        std::strong_ordering order = std::strong_ordering::equal;
        if (leftNumeric && rightNumeric)
            order = compareDigits(left[i], right[i]);
        else if (leftNumeric != rightNumeric)
            order = leftNumeric ? std::strong_ordering::less : std::strong_ordering::greater;
        else
            order = left[i].compare(right[i], Qt::CaseInsensitive) <=> 0;
        if (order != 0)
            return order;
    }
    return left.size() <=> right.size();
}

QUrl webUrl(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const bool web =
        url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http");
    return url.isValid() && web && !url.host().isEmpty() ? url : QUrl();
}

QString versionInTitle(const QString& title) {
    static const QRegularExpression token(QStringLiteral(R"(\d[0-9A-Za-z.\-]*)"));
    return token.match(title).captured();
}

// The reason goes inside a sentence of ours.
QString withoutFinalStop(QString text) {
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

struct ItemFields {
    QString title, link, notesLink, enclosureUrl, shortVersion, version, os;
    bool onChannel = false;
};

bool isPlain(const QXmlStreamReader& reader, QLatin1String name) {
    return reader.namespaceUri().isEmpty() && reader.name() == name;
}

bool isSparkle(const QXmlStreamReader& reader, QLatin1String name) {
    return reader.namespaceUri() == sparkleNamespace && reader.name() == name;
}

QString text(QXmlStreamReader& reader) {
    return reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
}

void keepIfGiven(QString& field, QStringView value) {
    if (!value.trimmed().isEmpty())
        field = value.trimmed().toString();
}

// The enclosure's attributes win over elements of the same meaning, wherever those stand.
void readEnclosure(QXmlStreamReader& reader, ItemFields& item) {
    const QXmlStreamAttributes attributes = reader.attributes();
    keepIfGiven(item.enclosureUrl, attributes.value(QLatin1String("url")));
    keepIfGiven(item.shortVersion,
                attributes.value(sparkleNamespace, QLatin1String("shortVersionString")));
    keepIfGiven(item.version, attributes.value(sparkleNamespace, QLatin1String("version")));
    keepIfGiven(item.os, attributes.value(sparkleNamespace, QLatin1String("os")));
    reader.skipCurrentElement();
}

// Reads up to the item's end tag, without recursion, so deep nesting cannot exhaust the stack.
ItemFields readItem(QXmlStreamReader& reader) {
    ItemFields item;
    while (reader.readNextStartElement()) {
        if (isPlain(reader, QLatin1String("title")))
            item.title = text(reader);
        else if (isPlain(reader, QLatin1String("link")))
            item.link = text(reader);
        else if (isPlain(reader, QLatin1String("enclosure")))
            readEnclosure(reader, item);
        else if (isSparkle(reader, QLatin1String("releaseNotesLink")))
            item.notesLink = text(reader);
        else if (isSparkle(reader, QLatin1String("shortVersionString")) &&
                 item.shortVersion.isEmpty())
            item.shortVersion = text(reader);
        else if (isSparkle(reader, QLatin1String("version")) && item.version.isEmpty())
            item.version = text(reader);
        else if (isSparkle(reader, QLatin1String("channel"))) {
            item.onChannel = true;
            reader.skipCurrentElement();
        } else
            reader.skipCurrentElement();
    }
    return item;
}

bool isForLinux(const ItemFields& item) {
    return item.os.isEmpty() || item.os.compare(QLatin1String("linux"), Qt::CaseInsensitive) == 0;
}

// Items on a named channel are for users who opted into it, which nobody here can do.
std::optional<ReleaseFeed::Release> releaseFrom(const ItemFields& item) {
    if (item.onChannel || !isForLinux(item))
        return std::nullopt;
    QString version;
    for (const QString& candidate : {item.shortVersion, item.version, versionInTitle(item.title)}) {
        if (ReleaseFeed::isVersion(candidate)) {
            version = candidate;
            break;
        }
    }
    const QUrl enclosure = webUrl(item.enclosureUrl);
    const QUrl page = webUrl(item.link);
    const QUrl download = enclosure.isEmpty() ? page : enclosure;
    if (version.isEmpty() || download.isEmpty())
        return std::nullopt;
    QUrl notes = webUrl(item.notesLink);
    if (notes.isEmpty() && page != download)
        notes = page;
    return ReleaseFeed::Release{version, notes, download};
}

} // namespace

ReleaseFeed ReleaseFeed::parse(const QByteArray& xml) {
    ReleaseFeed feed;
    QXmlStreamReader reader(xml);
    bool sawElement = false;
    while (!reader.atEnd()) {
        reader.readNext();
        sawElement = sawElement || reader.isStartElement();
        if (!reader.isStartElement() || !isPlain(reader, QLatin1String("item")))
            continue;
        if (const auto release = releaseFrom(readItem(reader)))
            feed.m_releases.append(*release);
    }
    if (reader.hasError())
        feed.m_error = QStringLiteral("line %1, column %2: %3")
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber())
                           .arg(withoutFinalStop(reader.errorString()));
    else if (!sawElement)
        feed.m_error = QStringLiteral("the document is empty");
    if (!feed.m_error.isEmpty())
        feed.m_releases.clear();
    return feed;
}

std::optional<ReleaseFeed::Release> ReleaseFeed::newest() const {
    if (m_releases.isEmpty())
        return std::nullopt;
    const Release* best = &m_releases.front();
    for (const Release& release : m_releases) {
        if (compareVersions(release.version, best->version) > 0)
            best = &release;
    }
    return *best;
}

std::partial_ordering ReleaseFeed::compareVersions(const QString& a, const QString& b) {
    const auto left = parseVersion(a);
    const auto right = parseVersion(b);
    if (!left || !right)
        return std::partial_ordering::unordered;
    const qsizetype count = std::max(left->numbers.size(), right->numbers.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString& x = left->numbers.value(i);
        const QString& y = right->numbers.value(i);
        if (const auto order = compareDigits(x, y); order != 0)
            return order;
    }
    if (left->suffix.isEmpty() && right->suffix.isEmpty())
        return std::partial_ordering::equivalent;
    if (left->suffix.isEmpty() || right->suffix.isEmpty())
        return left->suffix.isEmpty() ? std::partial_ordering::greater
                                      : std::partial_ordering::less;
    return compareSuffixes(left->suffix, right->suffix);
}

bool ReleaseFeed::isVersion(const QString& text) {
    return parseVersion(text).has_value();
}

} // namespace vantrel
