// What the data files meet on Linux: permission bits, read-only directories,
// FIFOs, devices and symbolic links planted at their names.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/base/ProfileFileFixture.h"

TEST_F(ProfileFileTest, SavedFilesAreOwnerOnly)
{
    ProfileFile created(m_path);
    ASSERT_TRUE(created.load());
    created.setString("A", "PWD", "secret");
    ASSERT_TRUE(created.save());
    struct stat info {};
    ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A save is a new file: one left world-readable becomes owner-only again.
    ASSERT_EQ(::chmod(m_path.c_str(), 0644), 0);
    ProfileFile existing = reloaded();
    existing.setString("A", "PWD", "other");
    ASSERT_TRUE(existing.save());
    ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}


TEST_F(ProfileFileTest, SaveIntoReadOnlyDirectoryFailsAndKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only directories";
    const std::string before = "[A]\nK=old\n";
    ProfileFile file = loaded(before);
    file.setString("A", "K", "new");
    ASSERT_EQ(::chmod(m_dir.path().c_str(), 0500), 0);
    EXPECT_FALSE(file.save());
    ::chmod(m_dir.path().c_str(), 0700);
    EXPECT_EQ(readBytes(m_path), before);
}


TEST_F(ProfileFileTest, WhatIsNoRegularFileIsNeitherReadNorOverwritten)
{
    // A FIFO would block a plain open for ever and /dev/zero never ends: both are
    // refused before they are read, as is a directory. A file under a regular file
    // (a data directory that is a file) fails with the system's reason.
    const std::string under = m_dir.file("plain") + "/test.dat";
    writeBytes(m_dir.file("plain"), "");
    const std::pair<std::string, FileFault::Kind> cases[] = {
        {"under a file", FileFault::Kind::System},
        {"fifo", FileFault::Kind::NotRegularFile},
        {"directory", FileFault::Kind::NotRegularFile},
        {"zero", FileFault::Kind::NotRegularFile},
    };
    for (const auto& [what, kind] : cases) {
        std::filesystem::remove_all(m_path);
        std::string path = m_path;
        if (what == "fifo")
            ASSERT_EQ(::mkfifo(m_path.c_str(), 0600), 0);
        else if (what == "directory")
            std::filesystem::create_directory(m_path);
        else if (what == "zero")
            std::filesystem::create_symlink("/dev/zero", m_path);
        else
            path = under;
        ProfileFile file(path);
        EXPECT_FALSE(file.load()) << what;
        EXPECT_EQ(file.fault().kind, kind) << what;
        file.setString("A", "K", "v");
        EXPECT_FALSE(file.save()) << what;
        EXPECT_EQ(file.fault().kind, kind) << what;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(m_path));
}


TEST_F(ProfileFileTest, SaveReplacesAPlantedLinkAndLeavesItsTarget)
{
    // A link planted at the name may point anywhere (outside the data directory):
    // the save replaces the link, and the file it points to keeps its bytes and mode.
    const std::string target = m_dir.file("elsewhere.txt");
    writeBytes(target, "[A]\nK=old\n");
    ASSERT_EQ(::chmod(target.c_str(), 0644), 0);
    std::filesystem::create_symlink(target, m_path);
    ProfileFile file = reloaded();
    EXPECT_EQ(file.getString("A", "K", ""), "old");
    file.setString("A", "PWD", "secret");
    ASSERT_TRUE(file.save());
    EXPECT_FALSE(std::filesystem::is_symlink(m_path));
    EXPECT_EQ(readBytes(target), "[A]\nK=old\n");
    EXPECT_EQ(readBytes(m_path), "[A]\nK=old\nPWD=secret\n");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// --- hostile files ---------------------------------------------------------

