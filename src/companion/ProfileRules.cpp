#include "companion/ProfileRules.h"

#include "base/IniFile.h"
#include "base/PrintableText.h"
#include "base/UserFolders.h"
#include "companion/FileChangeWatch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace krm {

namespace {

bool sameLetter(char a, char b, bool anyCase) {
    if (!anyCase) return a == b;
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

enum class Section { None, Default, Rules, Other };

// Where the comment after an entry starts: a ';' or '#' that follows a blank; npos when there is none.
std::size_t commentStart(std::string_view line) {
    for (std::size_t i = 1; i < line.size(); ++i)
        if ((line[i] == ';' || line[i] == '#') && (line[i - 1] == ' ' || line[i - 1] == '\t')) return i;
    return std::string_view::npos;
}

std::string_view withoutComment(std::string_view line) {
    return trimmed(line.substr(0, commentStart(line)));
}

// An entry's new text, with the comment the line had and its line end (CR) kept behind it.
std::string rewritten(const std::string& line, const std::string& entry) {
    const std::size_t comment = commentStart(line);
    if (comment != std::string::npos) return entry + " " + line.substr(comment);
    return line.ends_with('\r') ? entry + "\r" : entry;
}

} // namespace

std::string_view fileNameOf(std::string_view path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string ProgramInfo::name() const {
    return std::string(fileNameOf(exe));
}

std::string patternFor(const ProgramInfo& program) {
    const std::string name = program.name();
    const std::string command(fileNameOf(program.argv0));
    if (foldCase(name).starts_with("wine") && foldCase(command).ends_with(".exe")) return command;
    return name.empty() ? command : name;
}

bool globMatch(std::string_view pattern, std::string_view text, bool anyCase) {
    // Iterative matching with one backtrack point: the last '*' seen and where its run ended.
    std::size_t p = 0, t = 0;
    std::optional<std::size_t> star;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starText = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], text[t], anyCase))) {
            ++p;
            ++t;
        } else if (star) {
            p = *star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool ProfileRule::matches(const ProgramInfo& program) const {
    if (pattern.find('/') != std::string::npos)
        return !program.exe.empty() && globMatch(pattern, program.exe, false);
    const std::string_view exeName = fileNameOf(program.exe);
    const std::string_view commandName = fileNameOf(program.argv0);
    return (!exeName.empty() && globMatch(pattern, exeName, true)) ||
           (!commandName.empty() && globMatch(pattern, commandName, true));
}

ProfileRules ProfileRules::parse(std::string_view text) {
    ProfileRules r;
    Section section = Section::None;
    r.byteOrderMark_ = text.starts_with(kUtf8ByteOrderMark);
    text = withoutByteOrderMark(text);
    // Messages quote the file: whatever in it a terminal would act on is escaped.
    const auto problem = [&r](const std::string& message) { r.problems_.push_back(printable(message)); };
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        r.lines_.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    for (std::size_t i = 0; i < r.lines_.size(); ++i) {
        const std::string_view line = trimmed(r.lines_[i]);
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::string name = foldCase(trimmed(line.substr(1, line.find(']') - 1)));
            if (line.back() != ']') {
                problem(where + "a section name needs its closing ']'");
                section = Section::Other;
            } else if (name == "default") {
                section = Section::Default;
                r.defaultHeader_ = i;
            } else if (name == "rules") {
                section = Section::Rules;
                r.rulesHeader_ = i;
            } else {
                problem(where + "[" + name + "] is not a section of this file ([Default], [Rules])");
                section = Section::Other;
            }
            continue;
        }
        if (section == Section::Other) continue;
        const std::string_view entry = withoutComment(line);
        const auto eq = entry.rfind('=');
        if (eq == std::string_view::npos || section == Section::None) {
            problem(where + (section == Section::None ? "rules go below a [Rules] line"
                                                      : "'" + std::string(entry) + "' has no '= PROFILE'"));
            continue;
        }
        const std::string key(trimmed(entry.substr(0, eq)));
        const std::string value(trimmed(entry.substr(eq + 1)));
        const auto profile = parseDecimalIn(value, 1, kProfiles);
        if (key.empty()) {
            problem(where + "a rule needs a program name or path before '='");
        } else if (!profile) {
            problem(where + "'" + value + "' is no profile (1, 2 or 3)");
        } else if (section == Section::Default) {
            if (foldCase(key) != "profile")
                problem(where + "[Default] holds only 'Profile = 1..3'");
            else if (!r.defaultLine_) {
                r.defaultLine_ = i;
                r.defaultProfile_ = *profile;
            }
        } else {
            r.rules_.push_back({key, *profile});
            r.ruleLines_.push_back(i);
        }
    }
    return r;
}

std::optional<RuleMatch> ProfileRules::match(std::span<const ProgramInfo> programs) const {
    for (std::size_t i = 0; i < rules_.size(); ++i)
        for (const ProgramInfo& p : programs)
            if (rules_[i].matches(p)) return RuleMatch{i, p};
    return std::nullopt;
}

void ProfileRules::insertLines(std::size_t at, const std::vector<std::string>& lines) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), lines.begin(), lines.end());
    for (auto* index : {&rulesHeader_, &defaultLine_, &defaultHeader_})
        if (*index && **index >= at) **index += lines.size();
    for (auto& l : ruleLines_)
        if (l >= at) l += lines.size();
}

void ProfileRules::eraseLine(std::size_t at) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
    for (auto* index : {&rulesHeader_, &defaultLine_, &defaultHeader_})
        if (*index && **index > at) --**index;
    for (auto& l : ruleLines_)
        if (l > at) --l;
}

bool ProfileRules::add(const ProfileRule& rule) {
    const std::string pattern(trimmed(rule.pattern));
    // A pattern that would read back as something else (a section, a comment, two lines) is refused.
    if (rule.profile < 1 || rule.profile > kProfiles || pattern.empty() ||
        pattern.find_first_of("[#;") == 0 || pattern.find_first_of("\n\r") != std::string::npos)
        return false;
    const std::string line = pattern + " = " + std::to_string(rule.profile);
    for (std::size_t i = 0; i < rules_.size(); ++i)
        if (rules_[i].pattern == pattern) return setProfile(i, rule.profile);
    if (!ruleLines_.empty()) {
        const std::size_t at = ruleLines_.back() + 1;
        insertLines(at, {line});
        ruleLines_.push_back(at);
    } else if (rulesHeader_) {
        const std::size_t at = *rulesHeader_ + 1;
        insertLines(at, {line});
        ruleLines_.push_back(at);
    } else {
        rulesHeader_ = lines_.size();
        lines_.insert(lines_.end(), {"[Rules]", line});
        ruleLines_.push_back(lines_.size() - 1);
    }
    rules_.push_back({pattern, rule.profile});
    return true;
}

bool ProfileRules::remove(std::size_t index) {
    if (index >= rules_.size()) return false;
    const std::size_t at = ruleLines_[index];
    rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(index));
    ruleLines_.erase(ruleLines_.begin() + static_cast<std::ptrdiff_t>(index));
    eraseLine(at);
    return true;
}

bool ProfileRules::setProfile(std::size_t index, int profile) {
    if (index >= rules_.size() || profile < 1 || profile > kProfiles) return false;
    rules_[index].profile = profile;
    std::string& line = lines_[ruleLines_[index]];
    line = rewritten(line, rules_[index].pattern + " = " + std::to_string(profile));
    return true;
}

bool ProfileRules::setDefault(int profile) {
    if (profile < 1 || profile > kProfiles) return false;
    defaultProfile_ = profile;
    const std::string line = "Profile = " + std::to_string(profile);
    if (defaultLine_) {
        lines_[*defaultLine_] = rewritten(lines_[*defaultLine_], line);
    } else if (defaultHeader_) {
        insertLines(*defaultHeader_ + 1, {line});
        defaultLine_ = *defaultHeader_ + 1;
    } else {
        // A [Default] section of its own goes first, above the rules.
        insertLines(0, {"[Default]", line, ""});
        defaultHeader_ = 0;
        defaultLine_ = 1;
    }
    return true;
}

std::string ProfileRules::text() const {
    std::string out(byteOrderMark_ ? kUtf8ByteOrderMark : "");
    // A line added to a file of CRLF lines ends as its neighbours do.
    const bool crlf = !lines_.empty() && lines_.front().ends_with('\r');
    for (const auto& l : lines_) out += l + (crlf && !l.ends_with('\r') ? "\r\n" : "\n");
    return out;
}

RulesFile::RulesFile(std::string path)
    : path_(std::move(path)), watch_(std::make_unique<FileChangeWatch>(path_)) {}

RulesFile::~RulesFile() = default;

int RulesFile::changeDescriptor() const {
    return watch_->descriptor();
}

bool RulesFile::takeChanges() {
    return watch_->takeChanges();
}

std::string RulesFile::defaultPath() {
    return userConfigFolder() + "/krm/profiles.ini";
}

bool RulesFile::refresh() {
    struct stat st {};
    Stamp now{};
    if (::stat(path_.c_str(), &st) == 0)
        now = {static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
               static_cast<std::int64_t>(st.st_size), static_cast<std::uint64_t>(st.st_ino), true};
    if (stamp_ && *stamp_ == now) return false;
    stamp_ = now;
    if (!now.exists) {
        // Removed: no rules, as before the file was made (the watcher gives that the full settling
        // time, so a file replaced by something else meanwhile switches nothing).
        error_.clear();
        rules_ = {};
        everRead_ = true;
        return true;
    }
    auto bytes = readFilePrefix(path_, kMaxInputFileBytes);
    if (!bytes) {
        // The rules last read stay: a file that turned into something else must not switch the
        // profile in the middle of a game. What is wrong is said once.
        std::string why = printable(bytes.error.message);
        if (!lastRead_.empty())
            why += (why.ends_with('.') ? "" : ".") + std::string(" The rules read before stay.");
        rules_ = lastRead_;
        if (why == error_) return false;
        error_ = why;
        return true;
    }
    error_.clear();
    everRead_ = true;
    rules_ = ProfileRules::parse(
        std::string_view(reinterpret_cast<const char*>(bytes.value->data()), bytes.value->size()));
    lastRead_ = rules_;
    return true;
}

std::optional<FileError> writeTextFile(const std::string& path, const std::string& text) {
    const auto folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec)
        return FileError{FileErrorKind::CannotCreate,
                         "Cannot create the folder \"" + folder.string() + "\". " + ec.message()};
    return writeFileAtomically(path,
                               std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<FileError> RulesFile::save(const ProfileRules& rules) {
    if (auto failed = writeTextFile(path_, rules.text())) return failed;
    stamp_.reset();
    refresh();
    return std::nullopt;
}

} // namespace krm
