#pragma once

#include "image/ImageFiles.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

class FileChangeWatch;

// A running program as the rules see it.
struct ProgramInfo {
    int pid = 0;
    std::string exe;   // the executable's path (/proc/PID/exe)
    std::string argv0; // the first word of its command line (a Windows game under Wine: its .exe path)

    // The executable's file name.
    std::string name() const;
};

// The part of a path after its last '/' or '\' (Wine's command lines use Windows paths).
std::string_view fileNameOf(std::string_view path);

// The pattern a rule for this program is written with: its executable's file name, or for a Windows
// program run by Wine or Proton (a "wine..." loader running a ".exe") that program's file name.
std::string patternFor(const ProgramInfo& program);

// '*' any run of characters ('/' included), '?' one character; `anyCase`: ASCII letters match in
// either case.
bool globMatch(std::string_view pattern, std::string_view text, bool anyCase);

// PROGRAM = PROFILE. A pattern without '/' is a file name, matched in any letter case against the
// executable's name and the name its command line starts with (so "Game.exe" finds a Windows game run
// by Wine or Proton); a pattern with '/' is matched against the executable's whole path, letter case
// counting.
struct ProfileRule {
    std::string pattern;
    int profile = 1; // 1..3

    bool matches(const ProgramInfo& program) const;
};

// The first rule, in file order, that one of the programs matches.
struct RuleMatch {
    std::size_t rule = 0;
    ProgramInfo program;
};

// The per-game rules file, $XDG_CONFIG_HOME/krm/profiles.ini:
//
//   [Default]
//   Profile = 1            ; the profile for everything the rules do not name
//   [Rules]
//   hl2_linux = 2          ; a file name (any case; * and ? wildcards)
//   /opt/games/* = 3       ; a path pattern
//
// Lines starting with '#' or ';' are comments, and so is the rest of a line from a ';' or '#' that
// follows a blank. A UTF-8 byte-order mark and CRLF line ends are taken as some editors write them.
// Edits keep every other line (comments, order, lines in error, the mark and the line ends) as the user
// wrote it.
class ProfileRules {
public:
    static constexpr int kProfiles = 3;

    static ProfileRules parse(std::string_view text);

    // One message per line that was not understood ("line 4: ..."); those lines are left alone.
    const std::vector<std::string>& problems() const { return problems_; }
    const std::vector<ProfileRule>& rules() const { return rules_; }
    bool empty() const { return rules_.empty(); }
    // The profile for programs no rule names; 1 when the file gives none.
    int defaultProfile() const { return defaultProfile_; }

    std::optional<RuleMatch> match(std::span<const ProgramInfo> programs) const;

    // --- edits (profiles outside 1..3 are refused with false) ---
    // Appended after the last rule; a rule for the same pattern is replaced in its place.
    bool add(const ProfileRule& rule);
    bool remove(std::size_t index);
    bool setProfile(std::size_t index, int profile);
    bool setDefault(int profile);
    // The file's text with the edits.
    std::string text() const;

private:
    // Inserts lines before line `at`, moving the remembered line numbers below it.
    void insertLines(std::size_t at, const std::vector<std::string>& lines);
    void eraseLine(std::size_t at);

    std::vector<std::string> lines_; // as written, a CR of a CRLF line end included
    bool byteOrderMark_ = false;
    std::vector<ProfileRule> rules_;
    std::vector<std::size_t> ruleLines_; // the line of each rule
    std::optional<std::size_t> rulesHeader_, defaultLine_, defaultHeader_;
    int defaultProfile_ = 1;
    std::vector<std::string> problems_;
};

// A text file of the companion written whole or not at all, its folder made when it is missing.
std::optional<FileError> writeTextFile(const std::string& path, const std::string& text);

// The rules file on disk, read again when it changes.
class RulesFile {
public:
    explicit RulesFile(std::string path = defaultPath());
    ~RulesFile();
    RulesFile(const RulesFile&) = delete;
    RulesFile& operator=(const RulesFile&) = delete;
    // $XDG_CONFIG_HOME/krm/profiles.ini (or ~/.config/krm/profiles.ini).
    static std::string defaultPath();

    const std::string& path() const { return path_; }
    // Reads the file when it changed since the last read (a missing file holds no rules). A file that
    // cannot be read (a folder, a pipe, a device, no permission, over 1 MiB) brings back the rules last
    // read from it, and error() says why. True when the file was read, went missing or the error
    // changed: a problem that stays is said once.
    bool refresh();
    const ProfileRules& rules() const { return rules_; }
    // Why the file could not be read; empty when it was read or is missing.
    const std::string& error() const { return error_; }
    // Whether the rules were ever read from the file (or it was missing, which holds none).
    bool everRead() const { return everRead_; }
    // The last refresh found the file and read it.
    bool read() const { return stamp_ && stamp_->exists && error_.empty(); }
    // Readable when the file (or the folder it lives in) changed: refresh() is then due. -1 when the
    // system gives no such watch.
    int changeDescriptor() const;
    // Takes what made the descriptor readable; true when the file may have changed.
    bool takeChanges();
    // Writes the rules atomically, making the folder when it is missing; the file is then what is held.
    std::optional<FileError> save(const ProfileRules& rules);

private:
    // What the file was when it was last read.
    struct Stamp {
        std::int64_t mtimeNs = 0;
        std::int64_t size = 0;
        std::uint64_t inode = 0;
        bool exists = false;
        bool operator==(const Stamp&) const = default;
    };

    std::string path_;
    std::optional<Stamp> stamp_;
    ProfileRules rules_;
    ProfileRules lastRead_; // the rules of the last read that succeeded
    std::string error_;
    bool everRead_ = false;
    std::unique_ptr<FileChangeWatch> watch_;
};

} // namespace krm
