#include "base/NativeFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <vector>

#include <windows.h>

#include "base/win32/SystemErrors.h"
#include "base/win32/WideText.h"

namespace {

HANDLE handleOf(NativeFile file)
{
    return reinterpret_cast<HANDLE>(file);
}

NativeFile nativeOf(HANDLE handle)
{
    return reinterpret_cast<NativeFile>(handle);
}

// CON, NUL, COM1 and their kin name devices in every directory, with any
// extension: C:\data\COM1.dat opens the serial port.
bool namesADevice(const std::string& path)
{
    const std::size_t separator = path.find_last_of("/\\");
    std::string name = path.substr(separator == std::string::npos ? 0 : separator + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    static const std::array<const char*, 4> plain = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(plain.begin(), plain.end(), name) != plain.end())
        return true;
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0)
        && name[3] >= '1' && name[3] <= '9';
}

FileLook lookOfOpenHandle(HANDLE handle)
{
    FileLook look;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        look.kind = FileLook::Kind::Other;
        return look;
    }
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandle(handle, &info)) {
        look.error = lastErrorAsErrno();
        return look;
    }
    look.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileLook::Kind::Other
                                                                        : FileLook::Kind::Regular;
    look.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return look;
}

// A security descriptor whose only entry gives the current user full access,
// inheriting nothing from the directory: the file is its owner's alone.
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity()
    {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        m_user.resize(size);
        const bool haveUser = size > 0 && GetTokenInformation(token, TokenUser, m_user.data(), size, &size);
        CloseHandle(token);
        if (!haveUser)
            return;
        PSID sid = reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid;
        const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
        m_acl.resize(aclSize);
        auto* acl = reinterpret_cast<ACL*>(m_acl.data());
        m_ready = InitializeAcl(acl, aclSize, ACL_REVISION) && AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid)
            && InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION)
            && SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE)
            && SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        m_attributes.nLength = sizeof m_attributes;
        m_attributes.lpSecurityDescriptor = &m_descriptor;
        m_attributes.bInheritHandle = FALSE;
    }
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    SECURITY_ATTRIBUTES* attributes() { return m_ready ? &m_attributes : nullptr; }

private:
    std::vector<unsigned char> m_user;
    std::vector<unsigned char> m_acl;
    SECURITY_DESCRIPTOR m_descriptor {};
    SECURITY_ATTRIBUTES m_attributes {};
    bool m_ready = false;
};

constexpr DWORD maxTransfer = 1U << 30;

}  // namespace

FileLook lookAtFile(const std::string& path)
{
    FileLook look;
    if (namesADevice(path)) {
        look.kind = FileLook::Kind::Other;
        return look;
    }
    const std::wstring wide = wideFromUtf8(path);
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
        const int error = lastErrorAsErrno();
        if (error != ENOENT)
            look.error = error;
        return look;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        look.kind = FileLook::Kind::Other;
        return look;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // A link is followed, as a read follows it: look at its target without
        // asking for any access to it.
        const HANDLE handle = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const int error = lastErrorAsErrno();
            if (error != ENOENT)
                look.error = error;
            return look;
        }
        look = lookOfOpenHandle(handle);
        CloseHandle(handle);
        return look;
    }
    look.kind = FileLook::Kind::Regular;
    look.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return look;
}

FileLook lookAtOpenFile(NativeFile file)
{
    return lookOfOpenHandle(handleOf(file));
}

int openFileForReading(const std::string& path, NativeFile& file)
{
    const HANDLE handle = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastErrorAsErrno();
    file = nativeOf(handle);
    return 0;
}

int readFileSome(NativeFile file, char* buffer, std::size_t size, std::size_t& got)
{
    DWORD read = 0;
    if (!ReadFile(handleOf(file), buffer, static_cast<DWORD>(std::min<std::size_t>(size, maxTransfer)), &read,
                  nullptr)) {
        if (GetLastError() != ERROR_HANDLE_EOF)
            return lastErrorAsErrno();
    }
    got = read;
    return 0;
}

int createOwnerOnlyFile(const std::string& path, NativeFile& file)
{
    OwnerOnlySecurity security;
    if (security.attributes() == nullptr)
        return EACCES;
    // CREATE_NEW on the name itself, never on what a link there points to.
    const HANDLE handle =
        CreateFileW(wideFromUtf8(path).c_str(), GENERIC_WRITE, 0, security.attributes(), CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastErrorAsErrno();
    file = nativeOf(handle);
    return 0;
}

int writeFileSome(NativeFile file, const char* data, std::size_t size, std::size_t& put)
{
    DWORD written = 0;
    if (!WriteFile(handleOf(file), data, static_cast<DWORD>(std::min<std::size_t>(size, maxTransfer)), &written,
                   nullptr))
        return lastErrorAsErrno();
    put = written;
    return 0;
}

int flushFile(NativeFile file)
{
    return FlushFileBuffers(handleOf(file)) ? 0 : lastErrorAsErrno();
}

int closeFile(NativeFile file)
{
    return CloseHandle(handleOf(file)) ? 0 : lastErrorAsErrno();
}

int replaceFileName(const std::string& from, const std::string& to)
{
    return MoveFileExW(wideFromUtf8(from).c_str(), wideFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
        ? 0
        : lastErrorAsErrno();
}

void removeFile(const std::string& path)
{
    DeleteFileW(wideFromUtf8(path).c_str());
}

void flushDirectoryOf(const std::string&)
{
    // MOVEFILE_WRITE_THROUGH has made the rename durable already.
}

long currentProcessId()
{
    return static_cast<long>(GetCurrentProcessId());
}
