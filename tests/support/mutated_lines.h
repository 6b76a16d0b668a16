// Random trace lines for the tests that hold the header scanner and the line
// classifier against the patterns: well-formed header lines with random
// fields and entries, and mutations of them that a header's recogniser could
// get wrong. Deterministic for a given generator state; owns nothing.
#ifndef QUINTREL_TESTS_SUPPORT_MUTATED_LINES_H_
#define QUINTREL_TESTS_SUPPORT_MUTATED_LINES_H_

#include <random>
#include <string>

namespace quintrel_test {

// A header line the header pattern matches, with random numbers, stamp words,
// one or two whitespace bytes before the day, and a random entry (one of the
// four keywords, a near miss of one, or none).
std::string ValidHeaderLine(std::mt19937& rng);

// `line` with one random change: a byte inserted (blank, tab, control byte,
// NUL, letter, byte of 0x80 or above), a blank removed or doubled, a keyword
// lowercased, a digit replaced, a byte overwritten, the line cut short, or a
// digit group grown to 12 digits or more.
std::string MutateLine(std::string line, std::mt19937& rng);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_SUPPORT_MUTATED_LINES_H_
