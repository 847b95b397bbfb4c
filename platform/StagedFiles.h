// SPDX-License-Identifier: MIT
#pragma once
// Files written aside and put in place later. Each file is written under a
// temporary name of ours (".kr761x-" and six characters) in its target's
// folder; Commit renames them over their targets in the order they were
// staged, so a target is only ever seen whole, old or new. A later run that
// holds the folder's lock removes the temporary files nobody writes any
// more: each temporary file stays locked while the object that wrote it
// lives, or the writer holds the folder's lock itself throughout.

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileFailure.h"
#include "platform/Folders.h"

namespace kr::platform {

// Whether the new content is flushed to the disk before it replaces the
// target, and the folder's entries after. Save files and the file holding
// the user's code are; other generated files, which can always be generated
// again, are replaced in one piece without waiting for the disk.
enum class Durability { FlushToDisk, InOnePiece };

// What the caller already knows of a target: Absent when it has just found
// nothing there, so staging does not look again. A file that appears in
// between is replaced whole at commit, as one that appears after staging is.
enum class TargetState { Unknown, Absent };

// What keeps a later run's clean-up (RemoveStaleTemporaryFiles) away from
// the temporary files while they are written.
enum class TemporaryGuard {
    OwnLock,  // each temporary file is locked while it lives
    FolderLock,  // the writer holds the folder's lock, which every clean-up
    // takes first, so the files need no lock of their own
};

class CStagedFiles {
public:
    explicit CStagedFiles(TemporaryGuard guard = TemporaryGuard::OwnLock) : guard_(guard) {}
    // Removes every file staged and not put in place.
    ~CStagedFiles();
    CStagedFiles(const CStagedFiles&) = delete;
    CStagedFiles& operator=(const CStagedFiles&) = delete;

    // Writes bytes aside for target (UTF-8). Refuses what a write in place
    // would refuse: a missing folder, a target that is not a regular file or
    // not writable (a file without any write permission bits counts as
    // read-only for everyone). A replaced file's permissions are kept. On
    // failure nothing of this file is left and failure says why.
    bool Stage(const std::string& target, std::string_view bytes, Durability durability, FileFailure& failure,
               TargetState known = TargetState::Unknown);
    // The same for the file name in folder, written through the folder held
    // open rather than by its path.
    bool Stage(const CFolder& folder, const std::string& name, std::string_view bytes, Durability durability,
               FileFailure& failure, TargetState known = TargetState::Unknown);

    // Puts every staged file in place of its target, in staging order. All
    // or nothing: at the first failure the files already in place are put
    // back as they were (a new file removed again, a replaced one restored)
    // and the rest are removed, so the targets are left as they were before.
    // Then flushes the folders of the files flushed to the disk; a failed
    // flush of a folder fails too, its files in place.
    bool Commit(FileFailure& failure);

    bool Empty() const { return staged_.empty(); }

private:
    // A folder files are staged in, open for the calls made relative to it.
    struct Folder {
        std::string path;
        int fd;
        int given;  // the descriptor of the CFolder it was taken from, or -1
    };
    // What putting a file in place did, so a failed commit can undo it.
    enum class Placed { NotYet, Created, Replaced, ReplacedForGood };
    struct Staged {
        std::string tempName;  // in the folder; once Replaced, the old file's name
        std::string name;  // the target's name in the folder
        std::string target;  // the target's whole path, for messages
        std::size_t folder;  // index into folders_
        int fd;
        bool durable;  // flushed to the disk, its folder too once it is in place
        Placed placed = Placed::NotYet;
    };
    // The index of the folder at path in folders_, opened on first use; -1
    // with errno set when it cannot be opened.
    int OpenFolder(const std::string& path);
    int TakeFolder(const CFolder& folder);
    bool StageIn(int folder, std::string name, const std::string& target, std::string_view bytes, Durability durability,
                 FileFailure& failure, TargetState known);
    bool PutInPlace(Staged& file);
    void Discard();
    TemporaryGuard guard_;
    std::vector<Folder> folders_;
    std::vector<Staged> staged_;
};

// The start of the name of a folder a run of ours works in for a while
// (CTemporaryFolder), followed by six letters or digits. The run holds its
// parent folder's lock (CFolderLock) while it lives.
inline constexpr std::string_view kWorkFolderPrefix = ".kr761x-build-";

// Removes the temporary files of ours in folder (ending with '/') that no
// writer holds any more, and our work folders with all they hold: those a
// killed run left behind. The caller holds the folder's lock (CFolderLock),
// so no writer guarded by it is running.
// names, when given, receives the names of the other entries, sorted; true
// when the whole folder could be listed.
bool RemoveStaleTemporaryFiles(const std::string& folder, std::vector<std::string>* names = nullptr);
bool RemoveStaleTemporaryFiles(const CFolder& folder, std::vector<std::string>* names = nullptr);

}  // namespace kr::platform
