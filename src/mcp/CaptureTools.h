#pragma once

#include "CaptureRunning.h"
#include "ToolRunning.h"

#include <QHash>
#include <QJsonArray>

namespace vantrel {

class CaptureLibrary;
class ImageShrinking;

// The server's tools: reading the capture folders, and captures run by a CaptureRunning.
class CaptureTools final : public ToolRunning {
  public:
    // How tool results name the files: the text always holds absolute paths, since some clients
    // drop images and links.
    CaptureTools(const CaptureLibrary& library, CaptureRunning& runner,
                 const ImageShrinking& images);

    quint64 start(const QString& tool, const QJsonObject& arguments, Progress progress,
                  Reply reply) override;
    void cancel(quint64 call) override;

    // A capture folder as a tool result: header, picture, outline, links.
    QJsonObject captureResult(const QString& id, const QJsonObject& arguments) const;
    static QJsonObject errorResult(const QString& sentence);

  private:
    QJsonObject latestCapture(const QJsonObject& arguments) const;
    QJsonObject listCaptures(const QJsonObject& arguments) const;
    QJsonObject tree(const QJsonObject& arguments) const;
    quint64 runCapture(const QString& tool, const QJsonObject& arguments, Progress progress,
                       Reply reply);

    const CaptureLibrary& m_library;
    CaptureRunning& m_runner;
    const ImageShrinking& m_images;
    quint64 m_lastCall = 0;
    QHash<quint64, quint64> m_captures; // call → the runner's capture
};

} // namespace vantrel
