#include "directory/IpBook.h"

#include "base/ProfileFile.h"

namespace {

constexpr const char* infoSection = "GENINFO";
constexpr const char* countKey = "GENCOUNT";
constexpr const char* entryPrefix = "IPPAD";

}  // namespace

IpBook readIpBook(const std::string& path, FileFault* fault)
{
    ProfileFile file(path);
    file.load();
    if (fault != nullptr)
        *fault = file.fault();
    IpBook book;
    const int count = readableEntryCount(file, file.getInt(infoSection, countKey, 0));
    book.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string section = numberedSection(entryPrefix, i);
        IpEntry entry;
        entry.index = i;
        entry.name = file.getString(section, "NAME", "");
        entry.address = file.getString(section, "ADDR", "");
        entry.port = file.getInt(section, "PORT", 0);
        book.push_back(std::move(entry));
    }
    return book;
}

FileFault writeIpBook(const std::string& path, IpBook& book)
{
    ProfileFile file(path);
    if (!file.load())
        return file.fault();
    file.setInt(infoSection, countKey, static_cast<int>(book.size()));
    int k = 0;
    for (const IpEntry& entry : book) {
        const std::string section = numberedSection(entryPrefix, k++);
        file.setString(section, "NAME", entry.name);
        file.setString(section, "ADDR", entry.address);
        file.setInt(section, "PORT", entry.port);
    }
    if (!file.save())
        return file.fault();
    // The saved order is what the combo box lines refer to from now on. Until a save
    // works, the dialog's rows still show the old numbers, so they stay.
    k = 0;
    for (IpEntry& entry : book)
        entry.index = k++;
    return {};
}
