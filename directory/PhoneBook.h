#pragma once
// The phone book file phone.dat: [INFO] COUNT, then [TEL000].. with NAME, NO, USE, ID, PWD.

#include <string>
#include <tuple>
#include <vector>

#include "base/DataFile.h"

struct PhoneEntry {
    int index = 0;
    std::string name;
    std::string number;
    bool outsideLine = false;
    std::string userId;
    std::string password;
};

using PhoneBook = std::vector<PhoneEntry>;

// What the file keeps of an entry; the index is renumbered by reading.
inline auto storedFields(const PhoneEntry& entry)
{
    return std::tie(entry.name, entry.number, entry.outsideLine, entry.userId, entry.password);
}

// Reads the book; a missing file gives an empty book, and so does one that cannot be
// read (its fault goes to *fault when given). Entries are numbered 0, 1, .. in file
// order; missing sections and keys give the defaults.
PhoneBook readPhoneBook(const std::string& path, FileFault* fault = nullptr);
// Writes COUNT and one section per entry in book order (indexes are not renumbered);
// sections beyond the new count stay in the file. ok() when saved; a file that could
// not be read is not replaced.
[[nodiscard]] FileFault writePhoneBook(const std::string& path, const PhoneBook& book);
