#pragma once
// Folder listing, one-level directory creation and path splitting, on the
// core's UTF-16 paths. Folders always end with '/'.

#include <string>
#include <vector>

namespace kr::platform {

// Full paths (folder + name) of the plain files directly in folder whose
// extension equals ext (without dot), compared case-insensitively in ASCII.
// Directories are skipped, whatever their name; the search is not recursive.
// Sorted by name, so a run's order does not depend on the file system.
// A folder that cannot be listed gives an empty list.
std::vector<std::u16string> FindFilesByExtension(const std::u16string& folder, const std::u16string& ext);

// The file name without folder and without its last extension.
std::u16string FileTitleOf(const std::u16string& path);
// The last extension with its leading dot; empty when there is none.
std::u16string FileExtensionOf(const std::u16string& path);

enum class CreateFolderResult { Created, AlreadyExists, Failed };
// Creates one directory level; the parent must exist.
CreateFolderResult CreateFolder(const std::u16string& path);

bool IsExistingFolder(const std::u16string& path);
bool IsExistingFile(const std::u16string& path);

}  // namespace kr::platform
