// SPDX-License-Identifier: MIT
#pragma once
// The user's own code in generated files. A region is the lines between a
// line that names it with BEGIN and the line that names it with END:
//
//    //! BEGIN user code: main loop
//    ...the user's lines...
//    //! END user code: main loop
//
// A marker line may be indented; the name runs to the end of the line (spaces,
// tabs and a carriage return at its end do not count). When a file is
// generated again, the text of each region of the existing file is carried
// byte for byte into the region of the same name in the new file. Works on
// the files' bytes (Windows-1252), so every byte value survives.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

inline constexpr std::string_view kUserCodeBegin = "//! BEGIN user code: ";
inline constexpr std::string_view kUserCodeEnd = "//! END user code: ";

struct UserCodeRegion {
    std::string name;
    std::size_t textBegin;  // first byte after the BEGIN line's line end
    std::size_t textEnd;  // first byte of the END line
};

// The regions of a file in file order, or nothing when its markers do not pair
// up: a BEGIN inside a region, an END without its BEGIN or with another name,
// a region left open, or two regions of one name.
std::optional<std::vector<UserCodeRegion>> FindUserCodeRegions(std::string_view bytes);

// A file the user edited, read region by region: one broken marker spoils
// only the regions it names.
struct UserCodeScan {
    std::vector<UserCodeRegion> regions;  // the intact regions, in file order
    // Names, each once, of the regions whose markers do not pair up: a
    // BEGIN followed by another BEGIN or by the end of the file, an END
    // without its BEGIN or with another name, a name used by two regions.
    std::vector<std::string> broken;
};

UserCodeScan ScanUserCodeRegions(std::string_view bytes);

struct UserCodeCarry {
    std::string bytes;  // the new file with the existing file's region texts
    std::vector<std::string> orphaned;  // names of existing regions the new file has no place for
    std::vector<std::string> broken;  // names of existing regions whose markers do not pair up
    bool unpaired = false;  // the new file's own markers do not pair up: nothing carried
    // Whether the existing file must be kept beside the new one, since some
    // of its user code is not in the new file.
    bool KeepExisting() const { return unpaired || !orphaned.empty() || !broken.empty(); }
};

// The generated file with the user code of the existing file carried into it:
// every intact region goes to the region of its name. An existing file
// without markers changes nothing.
UserCodeCarry CarryUserCode(std::string_view existing, std::string_view generated);

}  // namespace kr
