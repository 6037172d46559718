#include "directory/PhoneBook.h"

#include "base/ProfileFile.h"

namespace {

constexpr const char* infoSection = "INFO";
constexpr const char* countKey = "COUNT";
constexpr const char* entryPrefix = "TEL";
// Used only when the key is absent; a key present with an empty value reads empty.
constexpr const char* defaultUserId = "admin";
constexpr const char* defaultPassword = "pilvo";

}  // namespace

PhoneBook readPhoneBook(const std::string& path, FileFault* fault)
{
    ProfileFile file(path);
    file.load();
    if (fault != nullptr)
        *fault = file.fault();
    PhoneBook book;
    const int count = readableEntryCount(file, file.getInt(infoSection, countKey, 0));
    book.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const std::string section = numberedSection(entryPrefix, k);
        PhoneEntry entry;
        entry.index = k;
        entry.name = file.getString(section, "NAME", "");
        entry.number = file.getString(section, "NO", "");
        entry.outsideLine = file.getInt(section, "USE", 0) != 0;
        entry.userId = file.getString(section, "ID", defaultUserId);
        entry.password = file.getString(section, "PWD", defaultPassword);
        book.push_back(std::move(entry));
    }
    return book;
}

FileFault writePhoneBook(const std::string& path, const PhoneBook& book)
{
    ProfileFile file(path);
    if (!file.load())
        return file.fault();
    file.setInt(infoSection, countKey, static_cast<int>(book.size()));
    int k = 0;
    for (const PhoneEntry& entry : book) {
        const std::string section = numberedSection(entryPrefix, k++);
        file.setString(section, "NAME", entry.name);
        file.setString(section, "NO", entry.number);
        file.setString(section, "USE", entry.outsideLine ? "1" : "0");
        file.setString(section, "ID", entry.userId);
        file.setString(section, "PWD", entry.password);
    }
    file.save();
    return file.fault();
}
