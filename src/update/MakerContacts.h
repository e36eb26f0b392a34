#pragma once
// How to reach the maker: chosen when the program is built, shown by the Help message and the
// About box.
namespace maker {
inline constexpr char Telephone[] = "+44 20 7946 0321"; // one number for support and sales
inline constexpr char Email[] = "support@harrowmere.example";
inline constexpr char Website[] = "https://www.harrowmere.example/";
inline constexpr char Copyright[] = "Copyright (C) 2026 Harrowmere Software";
} // namespace maker
