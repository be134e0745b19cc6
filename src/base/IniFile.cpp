#include "base/IniFile.h"

#include "base/PrintableText.h"

#include <cctype>
#include <charconv>

namespace krm {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::vector<IniLine> iniLines(std::string_view text) {
    std::vector<IniLine> lines;
    int number = 0;
    text = withoutByteOrderMark(text); // as some Windows editors save it
    while (!text.empty()) {
        auto eol = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, eol);
        // CRLF ends one line, not two.
        const std::size_t skip = eol == std::string_view::npos          ? text.size()
                                 : text.substr(eol).starts_with("\r\n") ? eol + 2
                                                                        : eol + 1;
        text.remove_prefix(skip);
        ++number;

        line = trimmed(line);
        if (line.empty() || line.front() == ';' || line.front() == '#' || line.starts_with("//")) continue;
        IniLine out;
        out.number = number;
        out.text = line;
        if (line.front() == '[') {
            auto close = line.find(']');
            out.kind = IniLine::Kind::Section;
            out.closed = close != std::string_view::npos;
            out.name = trimmed(line.substr(1, out.closed ? close - 1 : line.size() - 1));
        } else if (auto eq = line.find('='); eq != std::string_view::npos) {
            out.kind = IniLine::Kind::Entry;
            out.key = trimmed(line.substr(0, eq));
            out.value = trimmed(line.substr(eq + 1));
        }
        lines.push_back(out);
    }
    return lines;
}

IniFile IniFile::parse(std::string_view text) {
    IniFile ini;
    std::string section;
    for (const IniLine& line : iniLines(text)) {
        if (line.kind == IniLine::Kind::Section) {
            section = std::string(line.name);
            ini.sections_.try_emplace(foldCase(section));
        } else if (line.kind == IniLine::Kind::Entry) {
            ini.add(section, line.key, line.value);
        }
    }
    return ini;
}

void IniFile::add(std::string_view section, std::string_view key, std::string_view value) {
    Section& s = sections_[foldCase(section)];
    if (s.values.try_emplace(foldCase(key), std::string(value)).second) s.order.emplace_back(key);
}

const IniFile::Section* IniFile::find(std::string_view section) const {
    auto it = sections_.find(foldCase(section));
    return it == sections_.end() ? nullptr : &it->second;
}

bool IniFile::hasSection(std::string_view section) const {
    return find(section) != nullptr;
}

std::optional<std::string> IniFile::text(std::string_view section, std::string_view key) const {
    const Section* s = find(section);
    if (!s) return std::nullopt;
    auto it = s->values.find(foldCase(key));
    if (it == s->values.end()) return std::nullopt;
    return it->second;
}

std::optional<long> IniFile::integer(std::string_view section, std::string_view key) const {
    auto t = text(section, key);
    if (!t) return std::nullopt;
    return parseDecimal(*t);
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    const Section* s = find(section);
    return s ? s->order : std::vector<std::string>{};
}

std::optional<int> parseDecimalIn(std::string_view text, int low, int high) {
    const auto n = parseDecimal(text);
    if (!n || *n < low || *n > high) return std::nullopt;
    return static_cast<int>(*n);
}

std::string foldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::optional<long> parseDecimal(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace krm
