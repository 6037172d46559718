// What the data files meet on Windows: access lists, device names, links
// planted at their names, files held open by another program, Korean names.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include <windows.h>
#include <aclapi.h>

#include "base/DataFile.h"
#include "base/FilePath.h"
#include "base/win32/WideText.h"
#include "tests/base/ProfileFileFixture.h"

namespace {

std::vector<unsigned char> currentUserSid()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    GetTokenInformation(token, TokenUser, user.data(), size, &size);
    CloseHandle(token);
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    const auto* bytes = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(bytes, bytes + GetLengthSid(sid));
}

// The local system account, which Wine lists on every file it describes.
const std::vector<unsigned char> localSystemSid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

// The access list of a file: who may do what with it.
struct Access {
    bool read = false;
    std::vector<std::vector<unsigned char>> allowed;  // SIDs with an allow entry
};

Access accessOf(const std::string& path)
{
    Access access;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring wide = wideFromUtf8(path);
    if (GetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor)
        != ERROR_SUCCESS) {
        return access;
    }
    access.read = true;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(dacl, i, &ace) && static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            const PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
            const auto* bytes = static_cast<const unsigned char*>(sid);
            access.allowed.emplace_back(bytes, bytes + GetLengthSid(sid));
        }
    }
    LocalFree(descriptor);
    return access;
}

}  // namespace

TEST_F(ProfileFileTest, SavedFilesAreTheirOwnersAlone)
{
    // Both a new file and the replacement of one the directory let others
    // read allow the current user and nobody else (Wine describes the file
    // from its Unix mode and adds the system account, which Windows would
    // not list).
    writeBytes(m_path, "[A]\r\nPWD=old\r\n");
    const std::vector<unsigned char> user = currentUserSid();
    for (int save = 0; save < 2; ++save) {
        ProfileFile file = reloaded();
        file.setString("A", "PWD", "secret" + std::to_string(save));
        ASSERT_TRUE(file.save());
        const Access access = accessOf(m_path);
        ASSERT_TRUE(access.read);
        EXPECT_NE(std::find(access.allowed.begin(), access.allowed.end(), user), access.allowed.end());
        for (const std::vector<unsigned char>& sid : access.allowed)
            EXPECT_TRUE(sid == user || sid == localSystemSid) << "an entry for someone else, " << sid.size() << " bytes";
    }
}

TEST_F(ProfileFileTest, DevicesAndDirectoriesAreNeitherReadNorOverwritten)
{
    // A device name opens the device in any directory (COM1.dat is the serial
    // port): such names are refused before anything is opened.
    std::filesystem::create_directory(m_path);
    for (const std::string& path : {m_path, m_dir.file("NUL"), m_dir.file("com1.dat"), m_dir.file("CON")}) {
        ProfileFile file(path);
        EXPECT_FALSE(file.load()) << path;
        EXPECT_EQ(file.fault().kind, FileFault::Kind::NotRegularFile) << path;
        file.setString("A", "K", "v");
        EXPECT_FALSE(file.save()) << path;
    }
    EXPECT_TRUE(std::filesystem::is_directory(m_path));
}

TEST_F(ProfileFileTest, SaveReplacesAPlantedLinkAndLeavesItsTarget)
{
    const std::string target = m_dir.file("elsewhere.txt");
    writeBytes(target, "[A]\nK=old\n");
    // Windows lets only some accounts make links; Wine says it made one and
    // makes nothing.
    if (!CreateSymbolicLinkW(wideFromUtf8(m_path).c_str(), wideFromUtf8(target).c_str(), 0)
        || !std::filesystem::is_symlink(m_path))
        GTEST_SKIP() << "no symbolic link could be made here";
    ProfileFile file = reloaded();
    EXPECT_EQ(file.getString("A", "K", ""), "old");
    file.setString("A", "PWD", "secret");
    ASSERT_TRUE(file.save());
    EXPECT_FALSE(std::filesystem::is_symlink(m_path));
    EXPECT_EQ(readBytes(target), "[A]\nK=old\n");
    EXPECT_EQ(readBytes(m_path), "[A]\nK=old\nPWD=secret\n");
}

TEST_F(ProfileFileTest, AFileAnotherProgramHoldsKeepsItsBytesAndTheFailureIsTold)
{
    writeBytes(m_path, "[A]\r\nK=old\r\n");
    ProfileFile file = reloaded();
    file.setString("A", "K", "new");
    // Held open without leave to delete or rename it, as an editor may hold it.
    const HANDLE held = CreateFileW(wideFromUtf8(m_path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file.save());
    CloseHandle(held);
    EXPECT_EQ(file.fault().kind, FileFault::Kind::System);
    EXPECT_EQ(file.fault().error, EACCES);
    EXPECT_EQ(readBytes(m_path), "[A]\r\nK=old\r\n");
    EXPECT_EQ(filesInDir(), 1U) << "temporary file left behind";
    ASSERT_TRUE(file.save()) << "once let go the same save goes through";
}

TEST(DataFile, KoreanNamesArePassedWhole)
{
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "emuvola-korean-names";
    std::filesystem::remove_all(root);
    const std::string dir = utf8FromPath(root) + "\\전화번호부";
    std::filesystem::create_directories(pathFromUtf8(dir));
    const std::string path = dir + "\\서울 지사.dat";
    ASSERT_TRUE(replaceDataFile(path, "[A]\r\nK=1\r\n").ok());
    const DataFileContents back = readDataFile(path);
    EXPECT_TRUE(back.fault.ok());
    EXPECT_EQ(back.bytes, "[A]\r\nK=1\r\n");
    // The name on the disk is the Korean name, not its bytes in another code page.
    WIN32_FIND_DATAW found {};
    const HANDLE search = FindFirstFileW(wideFromUtf8(dir + "\\*.dat").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(std::wstring(found.cFileName), L"\uC11C\uC6B8 \uC9C0\uC0AC.dat");
    std::filesystem::remove_all(root);
}
