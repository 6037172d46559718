// The text an expect searches: code page 949 character boundaries kept across
// feeds and matches, the pattern seen first, and the bound on what is kept.

#include <gtest/gtest.h>

#include "script/ScriptLimits.h"
#include "script/SecretMask.h"
#include "script/SourceText.h"

namespace {

// "갂": a double-byte character whose trail byte is the letter 'A'.
const std::string trailA = "\x81\x41";

std::vector<std::size_t> matchesInOrder(const std::vector<std::string>& feeds,
                                        const std::vector<std::string>& patterns)
{
    SourceText text;
    std::vector<std::size_t> found;
    for (const std::string& feed : feeds) {
        text.append(feed);
        while (const auto pattern = text.findMatch(patterns)) {
            found.push_back(*pattern);
            text.beginSearch();
        }
    }
    return found;
}

TEST(SourceTextTest, NeverMatchesFromATrailByteEvenAcrossFeeds)
{
    EXPECT_TRUE(matchesInOrder({trailA + "BC"}, {"ABC"}).empty());
    EXPECT_TRUE(matchesInOrder({"\x81", "\x41", "BC"}, {"ABC"}).empty());
    EXPECT_EQ(matchesInOrder({trailA + "ABC"}, {"ABC"}), std::vector<std::size_t>{0});
    // A lead byte before a line end stands alone: the CR LF still starts characters.
    EXPECT_EQ(matchesInOrder({"\x81", "\r\nOK"}, {"\r\nOK"}), std::vector<std::size_t>{0});
}

TEST(SourceTextTest, BoundariesAreKeptFromTheFirstByteThroughEarlierMatches)
{
    SourceText text;
    text.append("x\x81");
    ASSERT_EQ(text.findMatch({"x"}), 0u);  // the lead byte stays for the next expect
    text.beginSearch();
    text.append("\x41" "BC");
    EXPECT_FALSE(text.findMatch({"ABC"}));
    text.append("ABC");
    EXPECT_EQ(text.findMatch({"ABC"}), 0u);
}

TEST(SourceTextTest, ThePatternSeenFirstWinsHoweverTheTextIsCut)
{
    const std::string stream = "login: OK\r\nERROR\r\n" + trailA + "OK";
    const std::vector<std::string> patterns{"ERROR", "OK", "in", "K"};
    const std::vector<std::size_t> whole = matchesInOrder({stream}, patterns);
    // "in" ends before "login:" would; "OK" and "K" end on the same byte: the one listed first.
    EXPECT_EQ(whole, (std::vector<std::size_t>{2, 1, 0, 1}));
    for (std::size_t cut = 1; cut < stream.size(); ++cut)
        EXPECT_EQ(matchesInOrder({stream.substr(0, cut), stream.substr(cut)}, patterns), whole) << cut;
    std::vector<std::string> bytes;
    for (const char c : stream)
        bytes.emplace_back(1, c);
    EXPECT_EQ(matchesInOrder(bytes, patterns), whole);
}

TEST(SourceTextTest, KeepsOnlyTheNewestUnmatchedText)
{
    SourceText text;
    text.append("OLD");
    text.append(std::string(scriptLimits::maxUnmatchedBytes, 'x') + "NEW");
    text.keepWithinLimit();
    EXPECT_LE(text.keptBytes(), scriptLimits::maxUnmatchedBytes);
    EXPECT_FALSE(text.findMatch({"OLD"}));
    text.beginSearch();
    EXPECT_EQ(text.findMatch({"OLD", "NEW"}), 1u);
    EXPECT_EQ(text.keptBytes(), 0u);
}

TEST(SecretMaskTest, MasksWholeTextsAndStreamsOnCharacterBoundaries)
{
    const SecretMask mask("pw1");
    EXPECT_EQ(mask.masked("login pw1, again pw1"), "login ****, again ****");
    EXPECT_EQ(SecretMask("A").masked(trailA + "A"), trailA + "****");
    EXPECT_EQ(SecretMask().masked("pw1"), "pw1");

    SecretStreamMask stream("pw1");
    std::string out = stream.feed("xp");
    out += stream.feed("w");
    EXPECT_EQ(out, "x");  // "pw" could still become the password
    out += stream.feed("1yp");
    out += stream.feed("q");
    out += stream.feed("pw");
    out += stream.flush();
    EXPECT_EQ(out, "x****ypqpw");
}

}  // namespace
