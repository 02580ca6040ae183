#pragma once

#include <QString>

namespace vantrel {

// The captures folder on disk. Folders are written under a hidden name and renamed into place
// whole, so a folder under a capture-folder name is always complete; rotation touches nothing
// else.
struct CaptureFolders {
    // Creates root and its missing parents, private to the user. Throws PlatformError, also when
    // root or its parent is a symbolic link: captures are written only into a real folder, never
    // through a link to somewhere else.
    static void prepareRoot(const QString& root);
    // A new hidden, private folder in root to write a capture into. Throws PlatformError.
    static QString createDraft(const QString& root);
    // Renames draft to root/name unless something is there already (then false, and the draft
    // stays). Throws PlatformError on other failures.
    static bool publish(const QString& draft, const QString& root, const QString& name);
    // Deletes a draft and everything in it.
    static void discardDraft(const QString& draft);
    // YYYY-MM-DD_hh-mm-ss-mmm, optionally followed by "-" and a number.
    static bool isCaptureFolderName(const QString& name);
    // Deletes all but the `keeping` newest capture folders of root, by modification time, and
    // drafts that a crashed run left more than an hour ago. `current` is always kept and counts as
    // one of the newest. Only real directories with those names are touched, never a link, a
    // file or a folder of the user's; failures are ignored.
    static void rotate(const QString& root, int keeping, const QString& current);
};

} // namespace vantrel
