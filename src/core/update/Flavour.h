#pragma once

#include <string_view>

namespace velmora {

// The build of the definitions package the user chose: it names the package files the
// vendor publishes for it ("-i32.exe" or "-x86.exe").
enum class Flavour { I32, X86 };

// The flavour as it appears in package file names and in the hash list.
constexpr std::string_view flavourText(Flavour flavour) {
    return flavour == Flavour::X86 ? "x86" : "i32";
}

// The flavour of a stored flavour index: 1 is x86; 0, and any number the window cannot
// show, is i32.
constexpr Flavour flavourFromStoredIndex(int storedIndex) {
    return storedIndex == 1 ? Flavour::X86 : Flavour::I32;
}

}  // namespace velmora
