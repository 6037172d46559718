// The built-in session image must match the byte layout the terminal-emulator
// program reads; the writer splices the address and port in at fixed offsets
// and leaves every other record holding its known value.

#include "TempDir.h"

#include "launcher/SessionFile.h"
#include "launcher/SessionTemplate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "base/TextCodec.h"

using launcher::SessionTemplate;

namespace {

struct ParsedRecord {
    std::uint16_t tag;
    std::size_t tagOffset;
    std::vector<std::uint8_t> value;
};

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Walks the records from offset 256; stops early on a length that overruns.
std::vector<ParsedRecord> parseRecords(const std::vector<std::uint8_t>& b, std::size_t* end)
{
    std::vector<ParsedRecord> records;
    std::size_t at = SessionTemplate::recordsOffset;
    while (at + 6 <= b.size()) {
        const auto tag = static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
        const std::uint32_t length = le32(b, at + 2);
        if (at + 6 + length > b.size())
            break;
        records.push_back({tag, at, {b.begin() + at + 6, b.begin() + at + 6 + length}});
        at += 6 + length;
    }
    *end = at;
    return records;
}

const ParsedRecord* find(const std::vector<ParsedRecord>& records, std::uint16_t tag)
{
    for (const ParsedRecord& r : records)
        if (r.tag == tag)
            return &r;
    return nullptr;
}

// A record as the terminal-emulator program expects it, written out by hand.
struct Documented {
    std::uint16_t tag;
    std::size_t length;
    std::string value; // empty: only the length is pinned
};

Documented bytesOf(std::uint16_t tag, std::string value) { return {tag, value.size(), value}; }

Documented number(std::uint16_t tag, std::uint32_t v)
{
    return bytesOf(tag, {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)});
}

Documented sized(std::uint16_t tag, std::size_t length) { return {tag, length, {}}; }

} // namespace

TEST(SessionTemplate, HeaderAndPaddingAndRecordsFillExactly1296Bytes)
{
    const auto& b = SessionTemplate::bytes();
    ASSERT_EQ(b.size(), 1296u);
    const std::string header(b.begin(), b.begin() + 103);
    EXPECT_EQ(header,
              "HyperTerminal 1.0 -- HyperTerminal data file\r\n"
              "Please do not attempt to modify this file directly.\r\n\r\n\r\n");
    EXPECT_EQ(b[103], 0x1A);
    for (std::size_t i = 104; i < 256; ++i)
        ASSERT_EQ(b[i], 0) << "at " << i;

    std::size_t end = 0;
    const auto records = parseRecords(b, &end);
    EXPECT_EQ(end, 1296u) << "records must end exactly at the end of the image";
    ASSERT_EQ(records.size(), 51u);
    EXPECT_EQ(find(records, 0x0010)->value.size(), 41u);
    EXPECT_EQ(find(records, 0x0010)->value.back(), 0) << "printer path is terminated";
    EXPECT_EQ(find(records, 0x0011)->value.size(), 328u);
    const std::vector<std::uint16_t> expectedTags = {
        0x0001, 0x0005, 0x0010, 0x0011, 0x0022, 0x0023, 0x0024, 0x0041, 0x0042, 0x0043, 0x0044,
        0x0046, 0x0047, 0x0051, 0x0052, 0x0129, 0x012A, 0x0132, 0x0135, 0x0136, 0x0200, 0x0201,
        0x0202, 0x0203, 0x0204, 0x0205, 0x0206, 0x0207, 0x0208, 0x0209, 0x020A, 0x020B, 0x020D,
        0x020E, 0x020F, 0x1011, 0x1012, 0x1013, 0x1014, 0x1015, 0x1019, 0x1020, 0x1022, 0x1023,
        0x1024, 0x1025, 0x1026, 0x1027, 0x1030, 0x1040, 0x1041};
    ASSERT_EQ(expectedTags.size(), 51u);
    std::vector<std::uint16_t> tags;
    for (const auto& r : records)
        tags.push_back(r.tag);
    EXPECT_EQ(tags, expectedTags);
}

TEST(SessionTemplate, AddressAndPortRecordsSitAtTheSpliceOffsets)
{
    const auto& b = SessionTemplate::bytes();
    // Address record: tag 811, length 813, value 817..828 (11 characters and
    // the terminator), so the port record's tag lands at 829 and value at 835.
    EXPECT_EQ(b[811], 0x51);
    EXPECT_EQ(b[812], 0x00);
    EXPECT_EQ(le32(b, 813), 12u);
    const std::string placeholder(b.begin() + 817, b.begin() + 828);
    EXPECT_EQ(placeholder.find('\0'), std::string::npos);
    EXPECT_EQ(std::count(placeholder.begin(), placeholder.end(), '.'), 3);
    EXPECT_EQ(b[828], 0);

    EXPECT_EQ(b[829], 0x52);
    EXPECT_EQ(b[830], 0x00);
    EXPECT_EQ(le32(b, 831), 4u);
    EXPECT_EQ(b[837], 0);
    EXPECT_EQ(b[838], 0);
}

TEST(SessionTemplate, FontDescriptionsUseHangulFixedFaceAtTwoHeights)
{
    std::size_t end = 0;
    const auto records = parseRecords(SessionTemplate::bytes(), &end);
    const auto face = utf8ToCp949Exactly("굴림체");
    ASSERT_TRUE(face.has_value());

    const std::pair<std::uint16_t, std::int32_t> fonts[] = {{0x0022, -17}, {0x1030, -19}};
    for (const auto& [tag, height] : fonts) {
        const ParsedRecord* r = find(records, tag);
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r->value.size(), 60u);
        EXPECT_EQ(static_cast<std::int32_t>(le32(r->value, 0)), height);
        EXPECT_EQ(r->value[23], 129) << "Hangul character set";
        const std::string faceField(r->value.begin() + 28, r->value.end());
        EXPECT_EQ(faceField.substr(0, face->size()), *face);
        EXPECT_EQ(faceField.substr(face->size()), std::string(32 - face->size(), '\0'));
    }
}

TEST(SessionFile, WrittenRecordsHoldTheDocumentedValues)
{
    using namespace std::string_literals;
    std::string thirteens;
    for (int i = 0; i < 24; ++i)
        thirteens += "\x0D\0"s;
    const Documented expected[] = {
        number(0x0001, 101), bytesOf(0x0005, "\x78\x56\x34\x12"s), sized(0x0010, 41), sized(0x0011, 328),
        sized(0x0022, 60), bytesOf(0x0023, std::string(16, '\0')), number(0x0024, 100), number(0x0041, 82),
        bytesOf(0x0042, "02\0"s), bytesOf(0x0043, "\0"s), bytesOf(0x0044, "\xD5\x75\x21\x5A"s),
        number(0x0046, 1), number(0x0047, 0), bytesOf(0x0051, "192.0.2.5\0"s), number(0x0052, 7201),
        number(0x0129, 4), number(0x012A, 1), bytesOf(0x0132, thirteens), number(0x0135, 1), number(0x0136, 1),
        number(0x0200, 0), number(0x0201, 0), number(0x0202, 0), number(0x0203, 0), bytesOf(0x0204, "\x0D"s),
        number(0x0205, 0), number(0x0206, 8), number(0x0207, 0), number(0x0208, 0), number(0x0209, 0),
        number(0x020A, 0), number(0x020B, 0), number(0x020D, 0), number(0x020E, 8), number(0x020F, 1),
        number(0x1011, 2400), number(0x1012, 8), number(0x1013, 0), number(0x1014, 0), number(0x1015, 20),
        number(0x1019, 0), number(0x1020, 0), number(0x1022, 0), number(0x1023, 0), number(0x1024, 0),
        number(0x1025, 0), number(0x1026, 0), number(0x1027, 0), sized(0x1030, 60), number(0x1040, 1),
        number(0x1041, 1)};
    static_assert(std::size(expected) == 51);

    const TempDir dir;
    ASSERT_TRUE(launcher::writeSessionFile(dir.dir() + "s.ht", "192.0.2.5", 7201));
    const auto b = readBytes(dir.path() / "s.ht");
    ASSERT_EQ(b.size(), 1294u);
    std::size_t end = 0;
    const auto records = parseRecords(b, &end);
    EXPECT_EQ(end, b.size());
    ASSERT_EQ(records.size(), std::size(expected));
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "record " << i << ", tag 0x" << std::hex << expected[i].tag);
        EXPECT_EQ(records[i].tag, expected[i].tag);
        EXPECT_EQ(records[i].value.size(), expected[i].length);
        if (!expected[i].value.empty()) {
            EXPECT_EQ(std::string(records[i].value.begin(), records[i].value.end()), expected[i].value);
        }
    }
}
