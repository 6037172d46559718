#pragma once
// The IP address book file ip.dat: [GENINFO] GENCOUNT, then [IPPAD000].. with NAME, ADDR, PORT.

#include <string>
#include <tuple>
#include <vector>

#include "base/DataFile.h"

struct IpEntry {
    int index = -1;
    std::string name;
    std::string address;
    int port = 0;
};

using IpBook = std::vector<IpEntry>;

// What the file keeps of an entry; the index is renumbered by saving.
inline auto storedFields(const IpEntry& entry)
{
    return std::tie(entry.name, entry.address, entry.port);
}

// Reads the book; entries numbered 0, 1, .. in file order. A file that cannot be read
// gives an empty book and its fault in *fault when given.
IpBook readIpBook(const std::string& path, FileFault* fault = nullptr);
// Writes GENCOUNT and one section per entry; once saved, renumbers the entries 0, 1, ..
// Sections beyond the new count stay. ok() when saved; a failed save leaves the book
// as it was, so the dialog that holds it can try again.
[[nodiscard]] FileFault writeIpBook(const std::string& path, IpBook& book);
