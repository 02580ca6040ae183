#include "CaptureTools.h"

#include "CaptureLibrary.h"
#include "ImageFit.h"
#include "ImageShrinking.h"
#include "SnapshotOutline.h"
#include "ToolCatalog.h"

#include <QJsonDocument>

#include <cmath>

namespace vantrel {

namespace {

// get_tree's own limit: a subtree can be large, and a model's context is not.
constexpr int treeBudgetTokens = 8000;

QJsonObject text(const QString& content) {
    return {{"type", "text"}, {"text", content}};
}

QString number(double value) {
    return QString::number(value, 'g', 6);
}

std::optional<QRectF> rectOf(const QJsonObject& object) {
    if (!object.contains("x") || !object.contains("width"))
        return std::nullopt;
    return QRectF(object.value("x").toDouble(), object.value("y").toDouble(),
                  object.value("width").toDouble(), object.value("height").toDouble());
}

QString ancestorTitle(const QJsonObject& snapshot, const QString& role) {
    for (const QJsonValue& entry : snapshot.value("ancestors").toArray()) {
        if (entry.toObject().value("role").toString() == role)
            return entry.toObject().value("title").toString();
    }
    return {};
}

} // namespace

CaptureTools::CaptureTools(const CaptureLibrary& library, CaptureRunning& runner,
                           const ImageShrinking& images)
    : m_library(library), m_runner(runner), m_images(images) {}

QJsonObject CaptureTools::errorResult(const QString& sentence) {
    return {{"content", QJsonArray{text(sentence)}}, {"isError", true}};
}

quint64 CaptureTools::start(const QString& tool, const QJsonObject& arguments, Progress progress,
                            Reply reply) {
    if (tool == "get_latest_capture") {
        reply(latestCapture(arguments));
        return 0;
    }
    if (tool == "list_captures") {
        reply(listCaptures(arguments));
        return 0;
    }
    if (tool == "get_tree") {
        reply(tree(arguments));
        return 0;
    }
    return runCapture(tool, arguments, std::move(progress), std::move(reply));
}

void CaptureTools::cancel(quint64 call) {
    const auto found = m_captures.find(call);
    if (found == m_captures.end())
        return;
    const quint64 capture = found.value();
    m_captures.erase(found);
    m_runner.cancel(capture);
}

quint64 CaptureTools::runCapture(const QString& tool, const QJsonObject& arguments,
                                 Progress progress, Reply reply) {
    using Kind = CaptureRunning::Request::Kind;
    CaptureRunning::Request request;
    request.copyToClipboard = arguments.value("copy_to_clipboard").toBool();
    if (tool == "capture_window") {
        request.kind = arguments.value("target").toString() == "front_window" ? Kind::frontWindow
                                                                              : Kind::underPointer;
    } else if (tool == "capture_area") {
        request.kind = Kind::area;
        request.area =
            QRectF(arguments.value("x").toDouble(), arguments.value("y").toDouble(),
                   arguments.value("width").toDouble(), arguments.value("height").toDouble());
    } else {
        request.kind = Kind::askUser;
        request.prompt = arguments.value("prompt").toString();
        request.pickWindow = arguments.value("mode").toString() == "window";
        request.timeoutSeconds = arguments.value("timeout_s").toInt();
    }
    const quint64 call = ++m_lastCall;
    // A runner may finish before start() returns; then there is nothing left to cancel.
    auto finished = std::make_shared<bool>(false);
    const auto waiting = [progress](int seconds) {
        progress(seconds, QStringLiteral("Waiting for the user (%1 s)").arg(seconds));
    };
    const quint64 capture = m_runner.start(
        request, waiting,
        [this, call, arguments, reply, finished,
         timeout = request.timeoutSeconds](const CaptureRunning::Outcome& outcome) {
            *finished = true;
            m_captures.remove(call);
            using Status = CaptureRunning::Outcome::Status;
            switch (outcome.status) {
            case Status::captured: {
                const QString id = outcome.folder.section(u'/', -1);
                reply(captureResult(id, arguments));
                return;
            }
            case Status::cancelledByUser:
                reply(errorResult(QStringLiteral(
                    "The capture was cancelled by the user (Esc); ask them what they meant, or "
                    "call ask_user_to_capture again.")));
                return;
            case Status::timedOut:
                reply(errorResult(
                    QStringLiteral("The user did not choose anything within %1 s; ask them "
                                   "whether to try again, maybe with a longer timeout_s.")
                        .arg(timeout)));
                return;
            case Status::failed:
                reply(errorResult(outcome.error));
                return;
            }
        });
    if (!*finished)
        m_captures.insert(call, capture);
    return call;
}

QJsonObject CaptureTools::latestCapture(const QJsonObject& arguments) const {
    const auto captures = m_library.captures();
    if (captures.isEmpty())
        return errorResult(QStringLiteral(
            "There is no capture yet: ask the user to capture what they mean (Ctrl+Alt+C over "
            "it), or call capture_window or ask_user_to_capture."));
    return captureResult(captures.first().id, arguments);
}

QJsonObject CaptureTools::listCaptures(const QJsonObject& arguments) const {
    const auto captures = m_library.captures();
    qsizetype first = 0;
    const QString cursor = arguments.value("cursor").toString();
    if (arguments.contains("cursor")) {
        first = -1;
        for (qsizetype i = 0; i < captures.size(); ++i) {
            if (captures[i].id == cursor)
                first = i + 1;
        }
        if (first < 0)
            return errorResult(QStringLiteral(
                "That cursor names a capture that is gone (only the newest 25 are kept); call "
                "list_captures without a cursor."));
    }
    const qsizetype limit = arguments.value("limit").toInt();
    QJsonArray list;
    QStringList lines;
    for (qsizetype i = first; i < captures.size() && list.size() < limit; ++i) {
        const auto& capture = captures[i];
        const QString time = capture.time.toString(Qt::ISODateWithMs);
        list.append(QJsonObject{{"id", capture.id},
                                {"time", time},
                                {"target", capture.targetSummary},
                                {"folder", capture.folder}});
    }
    QJsonObject structured{{"captures", list}};
    const qsizetype next = first + list.size();
    if (next < captures.size() && !list.isEmpty())
        structured.insert("nextCursor", list.last().toObject().value("id"));
    // The same data as text, for clients that do not read structured content.
    const QString body =
        QString::fromUtf8(QJsonDocument(structured).toJson(QJsonDocument::Compact));
    return {{"content", QJsonArray{text(body)}}, {"structuredContent", structured}};
}

QJsonObject CaptureTools::tree(const QJsonObject& arguments) const {
    const QString id = arguments.value("capture_id").toString();
    const auto snapshot = m_library.snapshot(id);
    if (!snapshot)
        return errorResult(QStringLiteral("There is no capture \"%1\" with an accessibility "
                                          "tree; call list_captures for the ids.")
                               .arg(id.left(64)));
    SnapshotOutline::Options options;
    options.captureId = id;
    options.budgetTokens = treeBudgetTokens;
    options.startRef = arguments.value("ref").toString();
    options.maxDepth = arguments.value("depth").toInt();
    const auto outline = SnapshotOutline::render(*snapshot, options);
    if (!outline.found)
        return errorResult(QStringLiteral("Capture %1 has no node \"%2\"; use a ref from its "
                                          "outline, such as n1 for the root.")
                               .arg(id, options.startRef.left(64)));
    return {{"content", QJsonArray{text(outline.text)}}};
}

QJsonObject CaptureTools::captureResult(const QString& id, const QJsonObject& arguments) const {
    const auto capture = m_library.capture(id);
    if (!capture)
        return errorResult(QStringLiteral("The capture folder %1 is gone; capture again.").arg(id));
    const auto snapshot = m_library.snapshot(id).value_or(QJsonObject());
    const QStringList files = m_library.files(id);

    QStringList header;
    header << QStringLiteral("Capture %1: %2")
                  .arg(id, capture->targetSummary.isEmpty() ? QStringLiteral("(no summary)")
                                                            : capture->targetSummary);
    const QString application = ancestorTitle(snapshot, QStringLiteral("AXApplication"));
    const QString window = ancestorTitle(snapshot, QStringLiteral("AXWindow"));
    header << QStringLiteral("Application: %1; window: %2")
                  .arg(application.isEmpty() ? QStringLiteral("(unknown)") : application,
                       window.isEmpty() ? QStringLiteral("(none)") : window);
    // An area capture pictures its area; a window capture pictures the target's whole window,
    // whose frame the snapshot does not hold, so the target's own frame is named instead.
    if (const auto area = rectOf(snapshot.value("region").toObject()))
        header << QStringLiteral("Captured area (screen pixels, origin top left): x %1, y %2, "
                                 "width %3, height %4")
                      .arg(number(area->x()), number(area->y()), number(area->width()),
                           number(area->height()));
    else if (const auto frame = rectOf(snapshot.value("tree").toObject().value("frame").toObject()))
        header << QStringLiteral("Target frame (screen pixels, origin top left): x %1, y %2, "
                                 "width %3, height %4; the image shows its whole window")
                      .arg(number(frame->x()), number(frame->y()), number(frame->width()),
                           number(frame->height()));

    QJsonArray content;
    std::optional<ImageShrinking::Picture> picture;
    const auto screenshot = m_library.file(id, QStringLiteral("screenshot.png"));
    if (screenshot && arguments.value("include_image").toBool(true))
        picture = m_images.shrink(
            *screenshot, arguments.value("max_image_edge").toInt(ToolCatalog::defaultMaxImageEdge));
    if (picture) {
        // screenshot.png holds screen pixels one to one (X11 has no backing scale).
        const double screenWidth = picture->original.width();
        header << QStringLiteral("Image: %1x%2 px; 1 image px = %3 screen px (screenshot.png is "
                                 "%4x%5 px)")
                      .arg(picture->size.width())
                      .arg(picture->size.height())
                      .arg(number(ImageFit::factor(screenWidth, picture->size.width())))
                      .arg(picture->original.width())
                      .arg(picture->original.height());
    } else if (!screenshot) {
        header << QStringLiteral("Image: none (this capture has no screenshot)");
    } else if (!arguments.value("include_image").toBool(true)) {
        header << QStringLiteral("Image: not included (include_image is false)");
    } else {
        header << QStringLiteral("Image: screenshot.png could not be read");
    }
    header << QStringLiteral("Folder: %1").arg(capture->folder);
    QStringList paths;
    for (const QString& name : files)
        paths << capture->folder + u'/' + name;
    header << QStringLiteral("Files: %1").arg(paths.join(QStringLiteral(", ")));
    content.append(text(header.join(u'\n')));

    if (picture)
        content.append(QJsonObject{{"type", "image"},
                                   {"data", QString::fromLatin1(picture->png.toBase64())},
                                   {"mimeType", "image/png"}});

    if (!snapshot.isEmpty()) {
        SnapshotOutline::Options options;
        options.captureId = id;
        options.budgetTokens =
            arguments.value("tree_budget_tokens").toInt(ToolCatalog::defaultTreeBudgetTokens);
        content.append(text(SnapshotOutline::render(snapshot, options).text));
    }
    for (const QString& name : files)
        content.append(QJsonObject{{"type", "resource_link"},
                                   {"uri", CaptureLibrary::uri(id, name)},
                                   {"name", name},
                                   {"mimeType", CaptureLibrary::mimeType(name)}});
    return {{"content", content}};
}

} // namespace vantrel
