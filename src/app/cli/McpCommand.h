#pragma once

#include <QStringList>
#include <QTextStream>

namespace vantrel {

// `vantrel mcp`: the Model Context Protocol server on stdin and the given protocol descriptor,
// until stdin closes (exit 0). Exit 2 on bad usage.
class McpCommand final {
  public:
    McpCommand(int protocolOutput, QString program)
        : m_output(protocolOutput), m_program(std::move(program)) {}

    int run(const QStringList& arguments, QTextStream& err);
    static QString usage();

  private:
    int m_output;
    QString m_program;
};

} // namespace vantrel
