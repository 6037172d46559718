#pragma once
// An INI-format settings file read and written with the rules of the Windows
// private-profile calls, so files written on either platform read the same:
//
// - Section and key names compare without regard to ASCII case; the first match wins.
// - A value read loses its leading and trailing blanks (space, tab) and one pair of
//   surrounding double quotes, and is cut to 259 bytes.
// - Setting a key replaces its value in place, or appends the key after the last key
//   of its section, or appends a new section at the end of the file. Every other line
//   (comments, blank lines, lines we do not understand) is kept byte for byte.
// - save() replaces the file atomically: a crash never leaves a half-written file.
// - Only a regular file of at most 16 MiB and 262144 lines is read (base/DataFile.h).
//
// Text is code page 949 and handled as opaque bytes. Lines end in LF or CR LF; an
// existing line keeps its own ending, new lines take the file's convention (CR LF
// when the file has no line end yet, so a new file reads the same on Windows).
// A header line "[NAME" without the closing bracket names the section NAME.
// Lines before the first section header belong to no section and are never read.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/DataFile.h"

class ProfileFile {
public:
    // The longest value a read gives back (the Windows read buffer is 260 bytes).
    static constexpr std::size_t maxValueLength = 259;

    // The system calls save() uses; tests replace them to fail part-way.
    using Io = FileWriteIo;

    explicit ProfileFile(std::string path);

    // Reads the file. A missing file is an empty file and counts as success. Any other
    // read failure (not a regular file, too large, a system error) leaves the contents
    // empty, returns false and makes save() refuse with the same fault, so a file that
    // could not be read is never overwritten with a partial copy.
    bool load();
    // Takes text already read (a file read with readDataFile) as the contents, with
    // the same rules as load(); false (contents empty, fault() TooLarge) for more
    // lines than a file may hold. The file on disk is not touched.
    bool loadText(std::string_view data);
    const std::string& path() const { return m_path; }
    // Why the last load() or save() failed; ok() after a success.
    const FileFault& fault() const { return m_fault; }

    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    // The leading decimal number of the value (blanks and a sign allowed before it),
    // clamped to the int range; 0 when the value has no number, defaultValue when the
    // key is missing.
    int getInt(std::string_view section, std::string_view key, int defaultValue) const;
    // Number of section headers in the file, duplicates included.
    std::size_t sectionCount() const;
    // The key names of a section in file order, as written; a key given twice is
    // listed once, where it first stands (the place its value is read from).
    std::vector<std::string> keys(std::string_view section) const;

    // Sets one key. A value that starts or ends with a blank, or is wrapped in double
    // quotes, is written quoted so it reads back unchanged. Line breaks inside the value
    // become spaces and a NUL ends it, so a value can never add lines to the file.
    // False (nothing changed) for a name that cannot be stored: empty, holding a line
    // break or NUL, blanks at its ends, ']' in a section name, '=' in a key name.
    bool setString(std::string_view section, std::string_view key, std::string_view value);
    bool setInt(std::string_view section, std::string_view key, int value);

    // Writes the whole file to a new temporary file beside it (created exclusively,
    // readable by its owner only: a book holds passwords), flushes it to disk and
    // renames it over the name. The name itself is replaced: a symbolic link planted
    // there is replaced, its target never opened. On any failure the old file stays as
    // it was, the result is false and fault() tells why.
    bool save();

    void setIoForTesting(Io io) { m_io = std::move(io); }

private:
    struct Line {
        std::string text;    // without the line end
        std::string ending;  // "\r\n", "\n" or "" (last line without a line end)
    };
    struct Section {
        std::string name;  // trimmed; empty for the lines before the first header
        bool hasHeader = false;
        std::vector<Line> lines;  // lines[0] is the header when hasHeader
        std::unordered_map<std::string, std::size_t> keys;  // folded key -> first line
        std::size_t lastKeyLine = 0;  // insertion point - 1 for new keys
    };

    void clear();
    bool take(DataFileContents contents);
    void parse(std::string_view data);
    void addLine(std::string_view text, std::string_view ending);
    void indexSection(std::size_t sectionIndex);
    const Line* findKeyLine(std::string_view section, std::string_view key) const;
    std::string serialize() const;

    std::string m_path;
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionIndex;  // folded name -> first
    std::string m_newLineEnding = "\r\n";
    FileFault m_readFault;
    FileFault m_fault;
    Io m_io;
};

// The number of numbered entry sections a book reads for a stored count (COUNT,
// GENCOUNT). Missing entry sections read as default entries, so a hostile count
// (2000000000) would otherwise build millions of entries: the count is capped at the
// number of sections in the file plus 16. A book we wrote has a section per entry,
// so it always reads whole; a hand-edited count a little too high still gives its
// default entries (up to 16 of them). A negative count reads as no entries.
int readableEntryCount(const ProfileFile& file, int storedCount);

// "%s%03d": the prefix and the number padded to at least three digits (TEL007, TEL1000).
std::string numberedSection(std::string_view prefix, int number);
