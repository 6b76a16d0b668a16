// TextPattern: a regular expression of quintrel's own small dialect, compiled
// to an automaton and searched for in linear time, for --match and
// --exclude. No pattern can make a search take longer than the text's length
// times the automaton's size (at most kMaxPatternBytes bytes of pattern give
// at most a few thousand states), whatever it holds.
//
// The dialect, on bytes:
//   x          a byte stands for itself, except the special ones . [ ] ( ) | * + ? ^ $ \ { }
//   \x         a special byte (or any other punctuation) as itself
//   \d \w \s   a digit, a word byte [A-Za-z0-9_], a blank (space, tab, CR, LF,
//              VT, FF); \D \W \S the others; \n \t a line feed, a tab
//   .          any byte but a line feed
//   [abc] [a-z] [^abc]   a byte of the set, or none of it; \d \w \s, \] and
//              \\ inside; ']' first stands for itself
//   (p)        a group;  p|q  either
//   p* p+ p?   any number, at least one, at most one of p
//   ^ $        the text's start and end
//   (?i)       at the very start: letters match either case
// A search is true when any part of the text matches (no anchors: anywhere).
// Counted repetition ({n,m}), back references and look-around are not part
// of it, and are errors.
//
// The pattern owns its automaton and the state lists a search reuses, so a
// search allocates nothing; one pattern must not be searched from two
// threads at once.
#ifndef QUINTREL_ANALYSIS_TEXT_PATTERN_H_
#define QUINTREL_ANALYSIS_TEXT_PATTERN_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

constexpr size_t kMaxPatternBytes = 1000;

class TextPattern {
 public:
  // Compiles `pattern`. False when it is invalid or too large, with `error`
  // naming the position (1 for the first byte) and what is wrong there.
  bool compile(std::string_view pattern, std::string* error);
  // Whether some part of `text` matches. Compile first.
  bool search(std::string_view text);

 private:
  using ByteSet = std::array<uint64_t, 4>;
  enum class Op : uint8_t { kByte, kSplit, kJump, kBegin, kEnd, kMatch };
  struct Instruction {
    Op op;
    uint32_t set = 0;   // kByte: the index of its ByteSet
    uint32_t next = 0;  // kSplit, kJump: where to go; kSplit also to the next
  };
  friend class PatternParser;

  // Adds `pc` and what it reaches without reading a byte to `list`; `at` is
  // where in `text` the list stands.
  void addState(uint32_t pc, std::vector<uint32_t>* list, std::string_view text, size_t at);
  bool runAutomaton(std::string_view text);

  std::vector<Instruction> program_;
  std::vector<ByteSet> sets_;
  // A literal every match holds (searched for first), and whether the
  // pattern is that literal alone.
  std::string required_;
  bool literalOnly_ = false;
  // Search state: the current and next state lists and, per state, the
  // step it was last added at.
  std::vector<uint32_t> current_, next_, stack_;
  std::vector<uint64_t> addedAt_;
  uint64_t step_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TEXT_PATTERN_H_
