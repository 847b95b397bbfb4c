// SPDX-License-Identifier: MIT
#pragma once
// Writing one generated file over what a project folder already holds: the
// user's own code regions of the existing file are carried into the new one,
// and an existing file whose user code the new file has no place for is kept
// beside it under a name of its own, so nothing the user wrote is lost.

#include <string>
#include <string_view>
#include <vector>

namespace kr {

// An existing file kept beside its new version.
struct KeptFile {
    std::u16string path;                  // the generated file
    std::u16string keptPath;              // where the existing file now is
    std::vector<std::u16string> regions;  // its regions the new file lacks
    std::vector<std::u16string> broken;   // its regions whose markers do not pair up
    bool unpaired = false;                // the new file's markers did not pair up
};

// What one generation run wrote.
struct GenerationReport {
    std::vector<std::u16string> written;  // every file written, in order
    std::vector<KeptFile> kept;
};

// The name the existing file at path is kept under: path + ".previous", or
// with "-2", "-3", ... appended when that name is taken.
std::u16string KeptFileName(const std::u16string& path);

// Replaces the file at path with bytes in one piece, carrying the existing
// file's user code regions into it. When the existing file must be kept, it
// is copied to KeptFileName(path) first and noted in report.kept. False,
// with the existing file untouched and no copy left, when anything fails.
bool WriteGeneratedFile(const std::u16string& path, std::string_view bytes, GenerationReport& report);

// The line that tells the user where a kept file went and why.
std::u16string KeptFileNotice(const KeptFile& kept);

}  // namespace kr
