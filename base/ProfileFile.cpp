#include "base/ProfileFile.h"

#include "base/DataFile.h"
#include "base/LeadingNumber.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Names are ASCII case-insensitive. A byte of 0x80 or above starts a two-byte code
// page 949 character whose second byte may fall in 'a'..'z' (U+B620 is 8C 63): that
// byte is part of the character and is not folded.
std::string fold(std::string_view name)
{
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const char c = folded[i];
        if (static_cast<unsigned char>(c) >= 0x80)
            ++i;
        else if (c >= 'a' && c <= 'z')
            folded[i] = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

// What a read gives for the text after '=': blanks dropped, one pair of quotes removed.
std::string_view readableValue(std::string_view raw)
{
    std::string_view value = trimBlanks(raw);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

enum class LineKind { Header, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name, trimmed
    std::size_t valueStart = 0;  // Key: offset just past '='
};

ParsedLine parseLine(std::string_view text)
{
    ParsedLine parsed;
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    if (start == text.size())
        return parsed;
    if (text[start] == '[') {
        std::string_view rest = text.substr(start + 1);
        const std::size_t close = rest.find(']');
        parsed.kind = LineKind::Header;
        parsed.name = trimBlanks(close == std::string_view::npos ? rest : rest.substr(0, close));
        return parsed;
    }
    if (text[start] == ';')
        return parsed;
    const std::size_t equals = text.find('=', start);
    if (equals == std::string_view::npos)
        return parsed;
    parsed.name = trimBlanks(text.substr(start, equals - start));
    if (parsed.name.empty())
        return parsed;
    parsed.kind = LineKind::Key;
    parsed.valueStart = equals + 1;
    return parsed;
}

// A value as it can be stored on one line: a NUL ends it (the Windows calls take C
// strings) and line breaks become spaces so it cannot start new lines.
std::string storableValue(std::string_view value)
{
    const std::size_t nul = value.find('\0');
    std::string stored(value.substr(0, nul));
    for (char& c : stored) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return stored;
}

// Quotes a value that a read would otherwise change (outer blanks, outer quotes).
std::string encodedValue(const std::string& value)
{
    if (value.empty())
        return value;
    const bool outerBlank = isBlank(value.front()) || isBlank(value.back());
    const bool outerQuotes = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (outerBlank || outerQuotes)
        return '"' + value + '"';
    return value;
}

bool validName(std::string_view name, char forbidden)
{
    if (name.empty() || isBlank(name.front()) || isBlank(name.back()))
        return false;
    for (char c : name) {
        if (c == '\r' || c == '\n' || c == '\0' || c == forbidden)
            return false;
    }
    return true;
}

// atoi's reading, clamped to the int range instead of overflowing.
int leadingInt(std::string_view text)
{
    const LeadingNumber number = scanLeadingNumber(text);
    if (number.negative)
        return -number.magnitude <= INT_MIN ? INT_MIN : static_cast<int>(-number.magnitude);
    return number.magnitude > INT_MAX ? INT_MAX : static_cast<int>(number.magnitude);
}

// Lines a file may hold: each costs far more memory than its bytes, so a file of
// 16 MiB of line ends alone must not be taken apart line by line. A phone book of
// forty thousand entries still fits.
constexpr std::size_t maxLines = std::size_t{1} << 18;

std::size_t lineCount(const std::string& data)
{
    return static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n')) + 1;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : m_path(std::move(path)), m_io(systemFileWriteIo())
{
    m_sections.emplace_back();
}

void ProfileFile::clear()
{
    m_sections.clear();
    m_sections.emplace_back();
    m_sectionIndex.clear();
    m_newLineEnding = "\r\n";
    m_fault = {};
}

bool ProfileFile::load()
{
    return take(readDataFile(m_path));
}

bool ProfileFile::loadText(std::string_view data)
{
    DataFileContents contents;
    contents.bytes = std::string(data);
    return take(std::move(contents));
}

bool ProfileFile::take(DataFileContents contents)
{
    clear();
    if (contents.missing)
        return true;
    if (contents.fault.ok() && lineCount(contents.bytes) > maxLines)
        contents.fault = FileFault::of(FileFault::Kind::TooLarge);
    if (!contents.fault.ok()) {
        m_readFault = contents.fault;
        m_fault = contents.fault;
        return false;
    }
    m_readFault = {};
    parse(contents.bytes);
    return true;
}

void ProfileFile::parse(std::string_view data)
{
    bool endingKnown = false;
    std::size_t start = 0;
    while (start < data.size()) {
        const std::size_t newline = data.find('\n', start);
        if (newline == std::string_view::npos) {
            addLine(data.substr(start), "");
            break;
        }
        const bool crlf = newline > start && data[newline - 1] == '\r';
        const std::size_t textEnd = crlf ? newline - 1 : newline;
        const std::string_view ending = crlf ? "\r\n" : "\n";
        if (!endingKnown) {
            m_newLineEnding = std::string(ending);
            endingKnown = true;
        }
        addLine(data.substr(start, textEnd - start), ending);
        start = newline + 1;
    }
}

void ProfileFile::addLine(std::string_view text, std::string_view ending)
{
    const ParsedLine parsed = parseLine(text);
    if (parsed.kind == LineKind::Header) {
        Section section;
        section.name = std::string(parsed.name);
        section.hasHeader = true;
        m_sections.push_back(std::move(section));
        m_sectionIndex.emplace(fold(parsed.name), m_sections.size() - 1);
    }
    Section& section = m_sections.back();
    section.lines.push_back(Line{std::string(text), std::string(ending)});
    if (parsed.kind == LineKind::Key && section.hasHeader) {
        section.keys.emplace(fold(parsed.name), section.lines.size() - 1);
        section.lastKeyLine = section.lines.size() - 1;
    }
}

const ProfileFile::Line* ProfileFile::findKeyLine(std::string_view section,
                                                  std::string_view key) const
{
    const auto sectionIt = m_sectionIndex.find(fold(section));
    if (sectionIt == m_sectionIndex.end())
        return nullptr;
    const Section& found = m_sections[sectionIt->second];
    const auto keyIt = found.keys.find(fold(key));
    if (keyIt == found.keys.end())
        return nullptr;
    return &found.lines[keyIt->second];
}

bool ProfileFile::hasSection(std::string_view section) const
{
    return m_sectionIndex.count(fold(section)) != 0;
}

bool ProfileFile::hasKey(std::string_view section, std::string_view key) const
{
    return findKeyLine(section, key) != nullptr;
}

std::size_t ProfileFile::sectionCount() const
{
    return m_sections.size() - 1;
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const
{
    std::vector<std::string> names;
    const auto sectionIt = m_sectionIndex.find(fold(section));
    if (sectionIt == m_sectionIndex.end())
        return names;
    const Section& found = m_sections[sectionIt->second];
    for (std::size_t i = 0; i < found.lines.size(); ++i) {
        const ParsedLine parsed = parseLine(found.lines[i].text);
        if (parsed.kind != LineKind::Key)
            continue;
        const auto keyIt = found.keys.find(fold(parsed.name));
        if (keyIt != found.keys.end() && keyIt->second == i)
            names.emplace_back(parsed.name);
    }
    return names;
}

std::string ProfileFile::getString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const
{
    const Line* line = findKeyLine(section, key);
    if (line == nullptr)
        return std::string(defaultValue.substr(0, maxValueLength));
    const std::string_view text = line->text;
    const std::string_view value =
        readableValue(text.substr(parseLine(text).valueStart));
    return std::string(value.substr(0, maxValueLength));
}

int ProfileFile::getInt(std::string_view section, std::string_view key, int defaultValue) const
{
    if (!hasKey(section, key))
        return defaultValue;
    return leadingInt(getString(section, key, ""));
}

bool ProfileFile::setString(std::string_view section, std::string_view key,
                            std::string_view value)
{
    if (!validName(section, ']') || !validName(key, '='))
        return false;
    const std::string stored = storableValue(value);
    const std::string keyLine = std::string(key) + '=' + encodedValue(stored);

    const std::string foldedSection = fold(section);
    const auto sectionIt = m_sectionIndex.find(foldedSection);
    if (sectionIt == m_sectionIndex.end()) {
        Section added;
        added.name = std::string(section);
        added.hasHeader = true;
        added.lines.push_back(Line{'[' + std::string(section) + ']', m_newLineEnding});
        added.lines.push_back(Line{keyLine, m_newLineEnding});
        added.keys.emplace(fold(key), 1);
        added.lastKeyLine = 1;
        m_sections.push_back(std::move(added));
        m_sectionIndex.emplace(foldedSection, m_sections.size() - 1);
        return true;
    }

    Section& target = m_sections[sectionIt->second];
    const std::string foldedKey = fold(key);
    const auto keyIt = target.keys.find(foldedKey);
    if (keyIt != target.keys.end()) {
        Line& line = target.lines[keyIt->second];
        const std::size_t valueStart = parseLine(line.text).valueStart;
        // An unchanged value leaves the line exactly as it was written.
        if (readableValue(std::string_view(line.text).substr(valueStart)) == stored)
            return true;
        line.text = line.text.substr(0, valueStart) + encodedValue(stored);
        return true;
    }

    // New keys go after the section's last key, ahead of the blank lines and comments
    // that separate it from the next section. Every key's line lies at or before
    // lastKeyLine, so the insertion moves none of them.
    const std::size_t at = target.lastKeyLine + 1;
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(at),
                        Line{keyLine, m_newLineEnding});
    target.keys.emplace(foldedKey, at);
    target.lastKeyLine = at;
    return true;
}

bool ProfileFile::setInt(std::string_view section, std::string_view key, int value)
{
    return setString(section, key, std::to_string(value));
}

std::string ProfileFile::serialize() const
{
    std::size_t total = 0;
    for (const Section& section : m_sections) {
        for (const Line& line : section.lines)
            total += line.text.size() + 2;
    }
    std::string out;
    out.reserve(total);
    const Line* previous = nullptr;
    for (const Section& section : m_sections) {
        for (const Line& line : section.lines) {
            // Only the file's last line may lack a line end; once something follows it,
            // it gets the file's convention.
            if (previous != nullptr)
                out += previous->ending.empty() ? m_newLineEnding : previous->ending;
            out += line.text;
            previous = &line;
        }
    }
    if (previous != nullptr)
        out += previous->ending;
    return out;
}

bool ProfileFile::save()
{
    m_fault = m_readFault;
    if (!m_fault.ok())
        return false;

    m_fault = replaceDataFile(m_path, serialize(), m_io);
    return m_fault.ok();
}

int readableEntryCount(const ProfileFile& file, int storedCount)
{
    constexpr std::size_t margin = 16;
    if (storedCount <= 0)
        return 0;
    const std::size_t cap = file.sectionCount() + margin;
    return static_cast<std::size_t>(storedCount) > cap ? static_cast<int>(cap) : storedCount;
}

std::string numberedSection(std::string_view prefix, int number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", number);
    return std::string(prefix) + digits;
}
