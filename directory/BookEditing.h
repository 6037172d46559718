#pragma once
// Editing rules shared by the phone book and IP book dialogs. Entries keep their
// index while a dialog is open (deleting leaves gaps), so the dialogs find an
// entry by the number shown in its row, never by the row's position.

#include <algorithm>
#include <string>
#include <string_view>

// The index of a new entry: one past the last entry's, 0 for an empty book.
template <class Book>
int nextEntryIndex(const Book& book)
{
    return book.empty() ? 0 : book.back().index + 1;
}

// The first entry with the given index, or nullptr.
template <class Book>
auto findEntryByIndex(Book& book, int index) -> decltype(&book.front())
{
    const auto it = std::find_if(book.begin(), book.end(),
                                 [index](const auto& entry) { return entry.index == index; });
    return it == book.end() ? nullptr : &*it;
}

// Removes every entry with the given index; returns how many went.
template <class Book>
std::size_t removeEntriesByIndex(Book& book, int index)
{
    return static_cast<std::size_t>(std::erase_if(book, [index](const auto& entry) { return entry.index == index; }));
}

// True when saving the book would store something else than `saved` holds:
// the entries' stored fields in order. Indexes, gaps included, do not count.
template <class Book>
bool differsFromSaved(const Book& book, const Book& saved)
{
    return !std::equal(book.begin(), book.end(), saved.begin(), saved.end(),
                       [](const auto& a, const auto& b) { return storedFields(a) == storedFields(b); });
}

// The "순번" cell text of an entry: its index plus one in decimal.
std::string rowNumberText(int index);

// The entry index named by a "순번" cell: its leading decimal number minus one.
// Text without a number (an empty cell) reads as 0 and so gives -1, which no
// entry carries.
int indexFromRowNumber(std::string_view text);
