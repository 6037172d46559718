#pragma once
// The two panes of a connection, side by side.

#include <array>
#include <cstddef>

enum class PaneSide { Left = 0, Right = 1 };

inline constexpr std::array<PaneSide, 2> paneSides{PaneSide::Left, PaneSide::Right};

constexpr std::size_t indexOf(PaneSide side)
{
    return static_cast<std::size_t>(side);
}
// The letter a pane's log name carries: 'L' or 'R'.
constexpr char letterOf(PaneSide side)
{
    return side == PaneSide::Left ? 'L' : 'R';
}
