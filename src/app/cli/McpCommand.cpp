#include "McpCommand.h"

#include "PngShrinker.h"
#include "mcp/CaptureLibrary.h"
#include "mcp/CaptureTools.h"
#include "mcp/ChildCaptureRunner.h"
#include "mcp/JsonRpcLineReader.h"
#include "mcp/McpServer.h"
#include "platform/StandardLocations.h"
#include "platform/SystemClock.h"
#include "platform/linux/ProtocolStdio.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>

namespace vantrel {

QString McpCommand::usage() {
    return QStringLiteral("usage: vantrel mcp [--scene FILE]\n");
}

int McpCommand::run(const QStringList& arguments, QTextStream& err) {
    std::optional<QString> scene;
    if (arguments.size() == 2 && arguments[0] == QLatin1String("--scene")) {
        const QFileInfo file(arguments[1]);
        if (!file.isFile() || !file.isReadable()) {
            err << "vantrel mcp: cannot read the scene file " << arguments[1] << "\n";
            return 2;
        }
        scene = file.absoluteFilePath();
    } else if (!arguments.isEmpty()) {
        err << usage();
        return 2;
    }
    if (m_output < 0) {
        err << "vantrel mcp: stdout cannot be used for the protocol\n";
        return 1;
    }
    ProtocolStdio::recoverSessionEnvironment();

    // The same folder the capture writer fills, so the hotkey's captures show up too.
    CaptureLibrary library(QDir::cleanPath(StandardLocations::cachesDirectory() +
                                           QStringLiteral("/Vantrel/captures")));
    SystemClock clock;
    ChildCaptureRunner runner({m_program, scene, QProcessEnvironment::systemEnvironment()}, clock);
    PngShrinker images;
    CaptureTools tools(library, runner, images);
    QEventLoop loop;
    bool writable = true;
    McpServer server(
        {QStringLiteral("vantrel"), QCoreApplication::applicationVersion(),
         QStringLiteral("Vantrel captures the user's screen with its accessibility tree. Call "
                        "get_latest_capture when the user says they captured something, "
                        "capture_window or capture_area to look yourself, and "
                        "ask_user_to_capture when you need the user to point at something.")},
        tools, library, [this, &writable, &loop](const QByteArray& line) {
            if (writable && !ProtocolStdio::writeAll(m_output, line + '\n')) {
                // The client is gone; nobody is left to answer.
                writable = false;
                loop.quit();
            }
        });

    JsonRpcLineReader reader;
    const auto deliver = [&server](const QList<JsonRpcLineReader::Line>& lines) {
        for (const auto& line : lines) {
            if (line.tooLong)
                server.receiveOverlongLine();
            else
                server.receiveLine(line.text);
        }
    };
    QSocketNotifier input(ProtocolStdio::standardInput, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &loop, [&] {
        bool atEnd = false;
        const QByteArray bytes = ProtocolStdio::readAvailable(ProtocolStdio::standardInput, atEnd);
        deliver(reader.feed(bytes));
        if (atEnd) {
            input.setEnabled(false);
            deliver(reader.finish());
            loop.quit();
        }
    });
    qInfo("vantrel mcp: serving on stdio");
    loop.exec();
    server.shutdown();
    return 0;
}

} // namespace vantrel
