// Byte-substitution scrambling of 8-bit strings (not encryption: it only keeps some names in
// the binary headers of survey files from being read in a plain text viewer).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quin {

using TScrambleTable = std::array<uint8_t, 256>;

// The fixed substitution table: a permutation of the 256 byte values. Files written with it
// can only be read back with it, so it never changes.
const TScrambleTable& ScrambleTable();
// The inverse table: UnscrambleTable()[ScrambleTable()[i]] == i. Built on first use.
const TScrambleTable& UnscrambleTable();
// Builds the inverse table from the substitution table. Start-up calls it once; calling it
// again (or not at all) is harmless, the first use of the inverse builds it as well.
void BuildUnscrambleTable();

// Every byte b replaced by ScrambleTable()[b]; the length is kept.
std::string ScrambleString(std::string_view S);
// Every byte b replaced by UnscrambleTable()[b]; UnscrambleString(ScrambleString(S)) == S.
std::string UnscrambleString(std::string_view S);

}  // namespace quin
