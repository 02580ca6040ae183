#pragma once

#include <QStringList>
#include <QTextStream>

namespace vantrel {

struct DoctorFacts;

// `vantrel doctor [--json]`: why captures on this desktop would fail or come back thin, each
// finding with its fix. Exit code 0 when nothing needs fixing, 1 otherwise, 2 for bad usage.
class DoctorCommand final {
  public:
    int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

    static QString usage();

  private:
    static void gnomeFacts(DoctorFacts& facts);
    static void x11Facts(DoctorFacts& facts);
};

} // namespace vantrel
