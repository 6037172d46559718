// From command line to session file: naming by port, the spliced address and
// port, and the arguments the launcher refuses.

#include "TempDir.h"

#include "launcher/LauncherApp.h"
#include "launcher/ProgramDirectory.h"
#include "launcher/SessionFileName.h"
#include "launcher/SessionTemplate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Environment.h"
#include "base/FilePath.h"
#include "base/SystemPaths.h"

using launcher::LauncherApp;
using launcher::SessionTemplate;

namespace {

class LauncherRun : public ::testing::Test {
protected:
    // Starts the launcher with the given arguments after the program path and
    // writes the session, as the write timer does.
    LauncherApp run(std::vector<std::string> fields)
    {
        fields.insert(fields.begin(), m_dir.dir() + "KR-V___");
        LauncherApp app;
        app.start(fields, m_dir.dir());
        app.writeSession();
        return app;
    }

    std::vector<unsigned char> file(const std::string& name) const
    {
        return readBytes(m_dir.path() / pathFromUtf8(name));
    }

    TempDir m_dir;
};

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at)
{
    return b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}

// The port value stored in a written session file with an address of
// `addressLength` bytes.
std::uint32_t storedPort(const std::vector<unsigned char>& b, std::size_t addressLength)
{
    return le32(b, SessionTemplate::portValueOffset - 11 + addressLength);
}

} // namespace

TEST_F(LauncherRun, ConsoleSessionHasAddressRecordAndPortSplicedIntoTheTemplate)
{
    const LauncherApp app = run({"192.0.2.5", "23", "Seoul1"});
    const std::string name = "ANSeoul1-콘솔포트-192.0.2.5-원격감시.ht";
    EXPECT_EQ(app.outputPath(), m_dir.dir() + name);
    ASSERT_EQ(m_dir.entries(), std::vector<std::string>{name});

    const auto b = file(name);
    ASSERT_EQ(b.size(), 1294u);
    const auto& t = SessionTemplate::bytes();
    // Everything up to the address tag, and everything after the port value,
    // is the template shifted by the address's length difference.
    EXPECT_TRUE(std::equal(t.begin(), t.begin() + 813, b.begin()));
    EXPECT_EQ(le32(b, 813), 10u);
    EXPECT_EQ(std::string(b.begin() + 817, b.begin() + 827), std::string("192.0.2.5\0", 10));
    EXPECT_EQ(b[827], 0x52) << "port tag follows the address terminator";
    EXPECT_EQ(le32(b, 829), 4u);
    EXPECT_EQ(std::vector<unsigned char>(b.begin() + 833, b.begin() + 837),
              (std::vector<unsigned char>{0x17, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(std::equal(t.begin() + 839, t.end(), b.begin() + 837));
}

TEST_F(LauncherRun, PortValueChoosesTheFileNameAndIsStoredAsSixteenBits)
{
    const struct {
        const char* portText;
        const char* fileName;
        std::uint32_t stored;
    } cases[] = {
        {"7200", "ANu-포트0디바이스-10.0.0.1-원격감시.ht", 7200},
        {"7203", "ANu-포트3디바이스-10.0.0.1-원격감시.ht", 7203},
        {"7204", "ANu-임의포트-10.0.0.1-7204-원격감시.ht", 7204},
        {"08080", "ANu-임의포트-10.0.0.1-08080-원격감시.ht", 8080},
        {"65559", "ANu-콘솔포트-10.0.0.1-원격감시.ht", 23},
        {"-1", "ANu-임의포트-10.0.0.1--1-원격감시.ht", 65535},
        {"abc", "ANu-임의포트-10.0.0.1-abc-원격감시.ht", 0},
        {" +7201x", "ANu-포트1디바이스-10.0.0.1-원격감시.ht", 7201}, // atoi: blanks, sign, trailing text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.portText);
        const TempDir dir;
        LauncherApp app;
        app.start({"KR-V___", "10.0.0.1", c.portText, "u"}, dir.dir());
        ASSERT_TRUE(app.writeSession());
        const auto b = readBytes(dir.path() / pathFromUtf8(c.fileName));
        ASSERT_EQ(b.size(), 1285u + 8);
        EXPECT_EQ(storedPort(b, 8), c.stored);
    }
}

TEST(PortValue, FollowsAtoiAndKeepsTheLowSixteenBits)
{
    EXPECT_EQ(launcher::portValueOf("-"), 0);
    EXPECT_EQ(launcher::portValueOf("65536"), 0);
    EXPECT_EQ(launcher::portValueOf("-65535"), 1);
}

TEST_F(LauncherRun, NineteenByteAddressFitsAndTwentyIsRefused)
{
    const std::string address19 = "255.255.255.255:123";
    ASSERT_EQ(address19.size(), 19u);
    const LauncherApp app = run({address19, "23", "n"});
    ASSERT_TRUE(app.valid());
    const auto b = file("ANn-콘솔포트-" + address19 + "-원격감시.ht");
    ASSERT_EQ(b.size(), 1304u);
    EXPECT_EQ(le32(b, 813), 20u);
    EXPECT_EQ(storedPort(b, 19), 23u);

    const TempDir other;
    LauncherApp refused;
    refused.start({"KR-V___", address19 + "4", "23", "n"}, other.dir());
    EXPECT_FALSE(refused.valid());
    EXPECT_FALSE(refused.writeSession());
    EXPECT_TRUE(other.entries().empty());
}

TEST_F(LauncherRun, WrongArgumentCountWritesNothing)
{
    for (const std::vector<std::string>& fields :
         {std::vector<std::string>{"192.0.2.5", "23"}, std::vector<std::string>{"192.0.2.5", "23", "Seoul", "1"}}) {
        const LauncherApp app = run(fields);
        EXPECT_FALSE(app.valid());
        EXPECT_EQ(app.outputPath(), m_dir.dir()) << "path stays the bare directory";
    }
    EXPECT_TRUE(m_dir.entries().empty());
}

TEST_F(LauncherRun, ANameWithABlankIsOneArgument)
{
    // "광주 센터" is nine bytes of code page 949: within the name's fifteen.
    const LauncherApp app = run({"192.0.2.5", "7201", "광주 센터"});
    ASSERT_TRUE(app.valid());
    EXPECT_EQ(m_dir.entries(), std::vector<std::string>{"AN광주 센터-포트1디바이스-192.0.2.5-원격감시.ht"});
}

// A name or address is part of a file name: it must never reach outside the
// launcher's directory, nor hide control characters in a file name.
TEST(LauncherRefusal, HostileFieldsWriteNothingAnywhere)
{
    const TempDir root;
    const std::filesystem::path programDir = root.path() / "bin";
    std::filesystem::create_directory(programDir);
    const std::string dir = programDir.string() + "/";

    const std::vector<std::vector<std::string>> hostile = {
        {"192.0.2.5", "23", "../x"},  {"192.0.2.5", "23", "a/b"},   {"192.0.2.5", "23", "x\ny"},
        {"192.0.2.5", "23", ".."},    {"192.0.2.5", "23", "a\\b"},  {"192.0.2.5", "23", "tab\there"},
        {"192.0.2.5", "23", "del\x7f"}, {"../../tmp", "23", "n"},   {"1.2.3.4/x", "23", "n"},
        {"192.0.2.5", "1/../x", "n"}, {"192.0.2.5", "7..", "n"},
    };
    for (const auto& fields : hostile) {
        LauncherApp app;
        app.start({dir + "KR-V___", fields[0], fields[1], fields[2]}, dir);
        EXPECT_FALSE(app.valid()) << fields[0] << ' ' << fields[1] << ' ' << fields[2];
        app.writeSession();
        app.useDefaultServer();
        app.writeSession();
    }
    EXPECT_EQ(root.entries(), std::vector<std::string>{"bin"});
    EXPECT_TRUE(std::filesystem::is_empty(programDir));
}

TEST(LauncherRefusal, FieldWidthsAreCountedInCodePage949Bytes)
{
    const TempDir dir;
    auto accepts = [&](const std::string& address, const std::string& port, const std::string& name) {
        LauncherApp app;
        app.start({"KR-V___", address, port, name}, dir.dir());
        return app.valid();
    };
    EXPECT_TRUE(accepts("1.2.3.4", "23", "ABCDEFGHIJKLMNO"));   // 15 bytes
    EXPECT_FALSE(accepts("1.2.3.4", "23", "ABCDEFGHIJKLMNOP")); // 16 bytes
    // Seven syllables are 14 code page 949 bytes (21 in UTF-8): accepted,
    // and the file name keeps them in UTF-8.
    EXPECT_TRUE(accepts("1.2.3.4", "23", "서울중앙지사국"));
    EXPECT_EQ(launcher::sessionFileName("부산", "1.2.3.4", "7202", 7202), "AN부산-포트2디바이스-1.2.3.4-원격감시.ht");
    EXPECT_FALSE(accepts("1.2.3.4", "23", "서울중앙지사국가")); // 16 bytes
    EXPECT_FALSE(accepts("1.2.3.4", "23", "Seoul\xF0\x9F\x98\x80")); // not in code page 949
    EXPECT_TRUE(accepts("1.2.3.4", "1234567", "n"));
    EXPECT_FALSE(accepts("1.2.3.4", "12345678", "n"));
}

TEST(LauncherRefusal, OutputPathOver255BytesIsRefused)
{
    auto valid = [](const std::string& directory) {
        LauncherApp app;
        app.start({"KR-V___", "192.0.2.5", "23", "Seoul1"}, directory);
        return app.valid();
    };
    const std::string fileName = launcher::sessionFileName("Seoul1", "192.0.2.5", "23", 23);
    const std::string fits = "/" + std::string(255 - fileName.size() - 2, 'd') + "/";
    EXPECT_TRUE(valid(fits));
    EXPECT_FALSE(valid("/d" + fits));
}

TEST_F(LauncherRun, RewritingReplacesTheEarlierFile)
{
    const std::filesystem::path earlier = m_dir.path() / pathFromUtf8("ANSeoul1-콘솔포트-192.0.2.5-원격감시.ht");
    std::ofstream(earlier) << std::string(5000, 'x');
    run({"192.0.2.5", "23", "Seoul1"});
    EXPECT_EQ(std::filesystem::file_size(earlier), 1294u);
    EXPECT_EQ(m_dir.entries().size(), 1u) << "no temporary file left behind";
}

TEST_F(LauncherRun, RewritingReplacesAPlantedLinkButNotItsTarget)
{
    const std::filesystem::path planted = m_dir.path() / pathFromUtf8("ANSeoul1-포트0디바이스-192.0.2.5-원격감시.ht");
    const std::filesystem::path target = m_dir.path() / "victim";
    std::ofstream(target) << "keep";
    std::error_code linkError;
    std::filesystem::create_symlink(target, planted, linkError);
    if (linkError)
        GTEST_SKIP() << "no symbolic link can be made here: " << linkError.message();
    run({"192.0.2.5", "7200", "Seoul1"});
    EXPECT_FALSE(std::filesystem::is_symlink(planted));
    EXPECT_EQ(std::filesystem::file_size(planted), 1294u);
    EXPECT_EQ(std::filesystem::status(planted).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(file("victim"), (std::vector<unsigned char>{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(m_dir.entries().size(), 2u) << "no temporary file left behind";
}

TEST(ProgramDirectory, IsTheAbsoluteDirectoryOfArgumentZero)
{
    if (!std::filesystem::path("/opt").is_absolute())
        GTEST_SKIP() << "the cases are Linux paths, which are not absolute on this system";
    using launcher::launcherDirectory;
    EXPECT_EQ(launcherDirectory("/opt/krv/KR-V___", "/home/u", "/usr/bin/KR-V___"), "/opt/krv/");
    EXPECT_EQ(launcherDirectory("bin/KR-V___", "/home/u", "/x/KR-V___"), "/home/u/bin/");
    EXPECT_EQ(launcherDirectory("./KR-V___", "/home/u", "/x/KR-V___"), "/home/u/");
    EXPECT_EQ(launcherDirectory("../b/KR-V___", "/home/u", "/x/KR-V___"), "/home/b/");
    // Found on PATH: argument 0 carries no directory.
    EXPECT_EQ(launcherDirectory("KR-V___", "/home/u", "/usr/lib/krv/KR-V___"), "/usr/lib/krv/");
    EXPECT_EQ(launcherDirectory("KR-V___", "/home/u", ""), "/home/u/");
}

TEST(ProgramDirectory, ReadsTheSystemsSeparators)
{
    // Whatever the system, the directory found ends with a separator it reads
    // and the executable's own directory is one it can find.
    const std::string exeDir = launcher::launcherDirectory("KR-V___", "", executablePath());
    ASSERT_FALSE(exeDir.empty());
    EXPECT_TRUE(isPathSeparator(exeDir.back()));
    EXPECT_TRUE(std::filesystem::is_directory(exeDir));
}

namespace {

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
public:
    void set(const char* name, const std::string& value)
    {
        remember(name);
        setEnvironmentVariable(name, value);
    }
    void unset(const char* name)
    {
        remember(name);
        unsetEnvironmentVariable(name);
    }
    ~ScopedEnv()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                setEnvironmentVariable(name.c_str(), *value);
            else
                unsetEnvironmentVariable(name.c_str());
        }
    }

private:
    void remember(const char* name)
    {
        const std::string old = environmentVariable(name);
        m_saved.emplace_back(name, old.empty() ? std::nullopt : std::optional<std::string>(old));
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// A launcher directory and a separate configuration home: the user's
// directory for the program is config/EmuVOLA on either system.
class LauncherOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(m_dir.path() / "lib");
        m_env.unset("EMUVOLA_DATA_DIR");
        m_env.set("XDG_CONFIG_HOME", (m_dir.path() / "config").string());
        m_env.set("APPDATA", (m_dir.path() / "config").string());
        m_env.set("HOME", (m_dir.path() / "home").string());
    }

    std::string launcherDir() const { return withSeparator((m_dir.path() / "lib").string()); }
    std::string dataDir() const { return withSeparator((m_dir.path() / "config" / "EmuVOLA").string()); }

    TempDir m_dir;
    ScopedEnv m_env;
};

const PortableCheck neverWritable = [](const std::string&) { return false; };
const PortableCheck alwaysWritable = [](const std::string&) { return true; };

} // namespace

TEST_F(LauncherOutput, AWritableLauncherDirectoryIsUsedAndNothingIsCreatedElsewhere)
{
    EXPECT_EQ(launcher::outputDirectory(launcherDir(), alwaysWritable), launcherDir());
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "config"));
    EXPECT_EQ(launcher::outputDirectory(launcherDir()), launcherDir()) << "a fresh temporary directory is writable";
}

TEST_F(LauncherOutput, AnInstalledCopyWritesToTheDataDirectoryEvenWhenItCouldWriteBesideItself)
{
    std::ofstream(m_dir.path() / "lib" / "emuvola.installed") << "installed";
    EXPECT_FALSE(isPortableDirectory(launcherDir()));
    EXPECT_EQ(launcher::outputDirectory(launcherDir()), dataDir());
}

TEST_F(LauncherOutput, AReadOnlyLauncherDirectoryFallsBackToTheCreatedDataDirectory)
{
    EXPECT_EQ(launcher::outputDirectory(launcherDir(), neverWritable), dataDir());
    EXPECT_TRUE(std::filesystem::is_directory(dataDir()));
    // A second start finds it there.
    EXPECT_EQ(launcher::outputDirectory(launcherDir(), neverWritable), dataDir());
}

TEST_F(LauncherOutput, TheDataDirectoryOverrideComesFirstAsForEmuVOLA)
{
    // One rule for both programs: the override wins over the launcher's own
    // writable directory too, so both programs share their files.
    m_env.set("EMUVOLA_DATA_DIR", (m_dir.path() / "elsewhere").string());
    const std::string elsewhere = withSeparator((m_dir.path() / "elsewhere").string());
    EXPECT_EQ(launcher::outputDirectory(launcherDir(), neverWritable), elsewhere);
    EXPECT_EQ(launcher::outputDirectory(launcherDir(), alwaysWritable), elsewhere);
    EXPECT_EQ(launcher::outputDirectory(launcherDir()), elsewhere);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.path() / "elsewhere"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "config"));
}

TEST_F(LauncherOutput, AFallbackThatCannotBeCreatedLeavesTheLauncherDirectory)
{
    std::ofstream(m_dir.path() / "config") << "a file, not a directory";
    EXPECT_EQ(launcher::outputDirectory(launcherDir(), neverWritable), launcherDir());
}

TEST_F(LauncherOutput, TheSessionFileOfAnInstalledLauncherGoesToTheDataDirectoryUnderItsUsualName)
{
    LauncherApp app;
    app.start({"KR-V___", "192.0.2.5", "7201", "Seoul1"}, launcher::outputDirectory(launcherDir(), neverWritable));
    ASSERT_TRUE(app.valid());
    ASSERT_TRUE(app.writeSession());
    const std::string name = launcher::sessionFileName("Seoul1", "192.0.2.5", "7201", 7201);
    EXPECT_EQ(app.outputPath(), dataDir() + name);
    EXPECT_EQ(TempDir::entriesOf(dataDir()), std::vector<std::string>{name});
    EXPECT_TRUE(TempDir::entriesOf(m_dir.path() / "lib").empty());
}

TEST_F(LauncherOutput, APermissionProtectedDirectoryIsSeenAsNotWritable)
{
    std::filesystem::permissions(m_dir.path() / "lib", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    if (canCreateFilesIn(launcherDir())) {
        std::filesystem::permissions(m_dir.path() / "lib", std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        GTEST_SKIP() << "this user writes whatever the permission bits say (root, or Windows, whose "
                        "access lists the bits do not reach); the fallback is covered above through an "
                        "injected check";
    }
    EXPECT_FALSE(isPortableDirectory(launcherDir()));
    EXPECT_EQ(launcher::outputDirectory(launcherDir()), dataDir());
    std::filesystem::permissions(m_dir.path() / "lib", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}
