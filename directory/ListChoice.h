#pragma once
// Picking an item of a fixed drop-down list by the text it begins with, as the
// settings dialogs do when they show stored or reported values.

#include <span>
#include <string_view>

// Position of the first item that begins with prefix, ignoring ASCII case; -1
// when none does.
int firstItemStartingWith(std::span<const std::string_view> items, std::string_view prefix);
