#pragma once
// The IP address book file ip.dat: [GENINFO] GENCOUNT, then [IPPAD000].. with NAME, ADDR, PORT.

#include <string>
#include <vector>

struct IpEntry {
    int index = -1;
    std::string name;
    std::string address;
    int port = 0;
};

using IpBook = std::vector<IpEntry>;

// Reads the book; entries numbered 0, 1, .. in file order.
IpBook readIpBook(const std::string& path);
// Writes GENCOUNT and one section per entry, then renumbers the entries 0, 1, ..
// Sections beyond the new count stay. True when saved.
bool writeIpBook(const std::string& path, IpBook& book);
