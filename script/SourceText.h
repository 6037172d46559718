#pragma once
// The text one source (the local line or a remote port) has shown since the
// previous expect on it ended, searched for an expect's patterns.
//
// Code page 949 aware: a match may start only where a character starts, never
// on the trail byte of a double-byte character (a lead byte 0x81..0xFE followed
// by a trail byte 0x41..0x5A, 0x61..0x7A or 0x81..0xFE). Character boundaries
// are followed from the first byte the source ever showed, across feeds, so a
// character split between two feeds is still one character.
//
// Of several patterns the one whose last byte arrived first wins; of two that
// end on the same byte, the one listed first. The answer is therefore the same
// however the text was cut into feeds.
//
// Bounded: keepWithinLimit() keeps at most scriptLimits::maxUnmatchedBytes of
// the text no expect has passed (the oldest goes first, at a character
// boundary). The owner calls it after each feed, once a waiting expect has
// looked at the feed, so nothing is dropped before it was searched.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class SourceText {
public:
    void append(std::string_view bytes);
    void keepWithinLimit();
    // A new expect: matches are looked for again from the start of the kept text.
    void beginSearch();
    // The index of the pattern seen first among the text appended so far; the
    // kept text then starts after the match. nullopt when none has been seen.
    // Empty patterns never match. Between beginSearch() calls the same patterns
    // must be passed, since ends already checked are not checked again.
    std::optional<std::size_t> findMatch(const std::vector<std::string>& patterns);

    std::size_t keptBytes() const { return m_bytes.size(); }

private:
    void dropFront(std::size_t count);

    std::string m_bytes;
    std::vector<bool> m_startsCharacter;  // one per kept byte
    bool m_lastWasLead = false;           // the last byte shown opened a double-byte character
    std::size_t m_checkedEnds = 0;        // match ends up to here hold no match of the current patterns
};
