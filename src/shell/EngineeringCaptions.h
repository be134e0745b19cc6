#pragma once

#include <array>
#include <string_view>

namespace krm {

// One row of the engineering page's built-in caption table: the row id and its text in three
// columns (0 English, 1 unused and empty, 2 Simplified Chinese).
struct TTerm {
    int id;
    std::array<std::string_view, 3> text;
};

inline constexpr int kEngineeringCaptionRows = 160;

// Rows 0..159 in order.
const std::array<TTerm, kEngineeringCaptionRows>& engineeringCaptionTable();

// The text of a row in a column; the empty text for a row or column outside the table.
std::string_view engineeringCaption(int row, int column);
// The text of a row in the column chosen by the system locale (engineeringCaptionColumn()).
std::string_view engineeringCaption(int row);

} // namespace krm
