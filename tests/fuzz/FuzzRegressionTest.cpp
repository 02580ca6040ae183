// Replays every input that once broke a fuzz target through the target's own entry function; an
// input that breaks it again aborts the suite with the invariant it broke.
#include "FuzzEntries.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(FuzzRegressions, EveryKeptInputPassesItsTarget) {
    const struct {
        const char* target;
        void (*entry)(const std::uint8_t*, std::size_t);
    } targets[] = {
        {"scene_loader", vantrel::fuzz::scene_loader},
        {"region_filter", vantrel::fuzz::region_filter},
        {"grapheme_cut", vantrel::fuzz::grapheme_cut},
        {"capture_documents", vantrel::fuzz::capture_documents},
    };
    const QDir root(QStringLiteral(VANTREL_SOURCE_DIR "/tests/fuzz-regressions"));
    ASSERT_TRUE(root.exists());
    int replayed = 0;
    for (const auto& target : targets) {
        const QDir folder(root.filePath(QString::fromLatin1(target.target)));
        for (const QString& name : folder.entryList(QDir::Files)) {
            SCOPED_TRACE(::testing::Message() << target.target << "/" << name.toStdString());
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray input = file.readAll();
            target.entry(reinterpret_cast<const std::uint8_t*>(input.constData()),
                         static_cast<std::size_t>(input.size()));
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

} // namespace
