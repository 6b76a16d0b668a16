#include "analysis/text_pattern.h"

#include <cstring>

namespace quintrel {

namespace {

// Group nesting deeper than this is an error, which keeps the recursive
// parser's stack small.
const int kMaxDepth = 100;

bool IsLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

}  // namespace

// The parser: pattern text to a tree of nodes, then the tree to the
// automaton's program.
class PatternParser {
 public:
  using ByteSet = TextPattern::ByteSet;
  enum class Kind { kSet, kConcat, kAlternate, kStar, kPlus, kOptional, kBegin, kEnd, kEmpty };
  struct Node {
    Kind kind;
    int left = -1, right = -1;  // children; kSet: left is the set's index
  };

  PatternParser(std::string_view text, TextPattern* pattern) : text_(text), pattern_(pattern) {}

  bool parse(std::string* error) {
    if (text_.size() > kMaxPatternBytes) {
      return fail(kMaxPatternBytes + 1,
                  "longer than " + std::to_string(kMaxPatternBytes) + " bytes", error);
    }
    if (text_.substr(0, 4) == "(?i)") caseless_ = true, at_ = 4;
    int root = alternation(0);
    if (failed_) return fail(failAt_, failWhat_, error);
    if (at_ < text_.size()) return fail(at_ + 1, "')' without '('", error);
    emit(root);
    pattern_->program_.push_back({TextPattern::Op::kMatch});
    findRequiredLiteral(root);
    return true;
  }

 private:
  static bool fail(size_t position, const std::string& what, std::string* error) {
    *error = "position " + std::to_string(position) + ": " + what;
    return false;
  }
  int setError(const std::string& what) {
    if (!failed_) failed_ = true, failAt_ = at_ + 1, failWhat_ = what;
    return add({Kind::kEmpty});
  }
  int add(Node node) {
    nodes_.push_back(node);
    return static_cast<int>(nodes_.size()) - 1;
  }
  bool more() const { return !failed_ && at_ < text_.size(); }

  int alternation(int depth) {
    int left = concatenation(depth);
    while (more() && text_[at_] == '|') {
      ++at_;
      int right = concatenation(depth);
      left = add({Kind::kAlternate, left, right});
    }
    return left;
  }

  int concatenation(int depth) {
    int left = add({Kind::kEmpty});
    while (more() && text_[at_] != '|' && text_[at_] != ')') {
      int right = repetition(depth);
      left = nodes_[left].kind == Kind::kEmpty ? right : add({Kind::kConcat, left, right});
    }
    return left;
  }

  // An atom and at most one of * + ?: a second one, as in "a**" or "a*?",
  // means other things in other dialects and is an error here.
  int repetition(int depth) {
    int node = atom(depth);
    if (!more() || std::strchr("*+?", text_[at_]) == nullptr) return node;
    Kind atomKind = nodes_[node].kind;
    if (atomKind == Kind::kBegin || atomKind == Kind::kEnd) {
      return setError(std::string("nothing to repeat before '") + text_[at_] + "'");
    }
    char op = text_[at_++];
    Kind kind = op == '*' ? Kind::kStar : op == '+' ? Kind::kPlus : Kind::kOptional;
    node = add({kind, node});
    if (more() && std::strchr("*+?", text_[at_]) != nullptr) {
      return setError(std::string("'") + text_[at_] + "' after a repetition");
    }
    return node;
  }

  int atom(int depth) {
    unsigned char c = static_cast<unsigned char>(text_[at_]);
    switch (c) {
      case '(':
        return group(depth);
      case '[':
        return byteClass();
      case '*':
      case '+':
      case '?':
        return setError(std::string("nothing to repeat before '") + char(c) + "'");
      case '{':
      case '}':
        return setError("counted repetition is not supported (\\{ for a brace)");
      case ']':
        return setError("']' without '['");
      case '^':
      case '$':
        ++at_;
        return add({c == '^' ? Kind::kBegin : Kind::kEnd});
      case '.': {
        ++at_;
        ByteSet set = Fill(0, 255);
        Remove(&set, '\n');
        return setNode(set);
      }
      case '\\':
        return escapeNode();
      default:
        ++at_;
        return setNode(Single(c));
    }
  }

  int group(int depth) {
    if (depth >= kMaxDepth) return setError("groups nested too deep");
    ++at_;
    if (at_ < text_.size() && text_[at_] == '?') return setError("'(?' is not supported");
    int inner = alternation(depth + 1);
    if (failed_) return inner;
    if (at_ >= text_.size()) return setError("missing ')'");
    ++at_;
    return inner;
  }

  int escapeNode() {
    ByteSet set;
    if (!escape(&set)) return setError(failWhat_);
    return setNode(set);
  }

  // Reads the escape at at_ (a backslash) into `set`; false with failWhat_.
  bool escape(ByteSet* set) {
    if (at_ + 1 >= text_.size()) return failWhat_ = "'\\' at the end", false;
    unsigned char c = static_cast<unsigned char>(text_[at_ + 1]);
    at_ += 2;
    switch (c) {
      case 'd':
      case 'D':
        *set = Fill('0', '9');
        break;
      case 'w':
      case 'W':
        *set = Word();
        break;
      case 's':
      case 'S':
        *set = Blanks();
        break;
      case 'n':
        *set = Single('\n');
        return true;
      case 't':
        *set = Single('\t');
        return true;
      default:
        if (IsLetter(c) || (c >= '0' && c <= '9')) {
          at_ -= 2;
          return failWhat_ = std::string("unknown escape '\\") + char(c) + "'", false;
        }
        *set = Single(c);
        return true;
    }
    if (c >= 'A' && c <= 'Z') Invert(set);
    return true;
  }

  int byteClass() {
    size_t open = at_++;
    bool negated = at_ < text_.size() && text_[at_] == '^';
    at_ += negated;
    ByteSet set{};
    bool first = true;
    while (at_ < text_.size() && (text_[at_] != ']' || first)) {
      first = false;
      ByteSet item;
      unsigned char low = static_cast<unsigned char>(text_[at_]);
      if (low == '\\') {
        if (!escape(&item)) return setError(failWhat_);
        Merge(&set, item);
        continue;
      }
      ++at_;
      unsigned char high = low;
      if (at_ + 1 < text_.size() && text_[at_] == '-' && text_[at_ + 1] != ']') {
        high = static_cast<unsigned char>(text_[at_ + 1]);
        if (high == '\\' || high < low) {
          ++at_;
          return setError(high < low ? "range out of order" : "an escape cannot end a range");
        }
        at_ += 2;
      }
      Merge(&set, Fill(low, high));
    }
    if (at_ >= text_.size()) {
      at_ = open;
      return setError("missing ']'");
    }
    ++at_;
    if (negated) Invert(&set);
    return setNode(set);
  }

  int setNode(ByteSet set) {
    if (caseless_) {
      for (int c = 'a'; c <= 'z'; ++c) {
        if (Has(set, c) || Has(set, c - 32)) Merge(&set, Single(c)), Merge(&set, Single(c - 32));
      }
    }
    pattern_->sets_.push_back(set);
    return add({Kind::kSet, static_cast<int>(pattern_->sets_.size()) - 1});
  }

  // The program of node `index`, appended.
  void emit(int index) {
    using Op = TextPattern::Op;
    std::vector<TextPattern::Instruction>& program = pattern_->program_;
    const Node node = nodes_[index];
    auto here = [&program] { return static_cast<uint32_t>(program.size()); };
    switch (node.kind) {
      case Kind::kSet:
        program.push_back({Op::kByte, static_cast<uint32_t>(node.left)});
        return;
      case Kind::kConcat:
        emit(node.left);
        emit(node.right);
        return;
      case Kind::kAlternate: {
        // split L2 (L1 follows); L1: left; jump L3; L2: right; L3:
        uint32_t split = here();
        program.push_back({Op::kSplit});
        emit(node.left);
        uint32_t jump = here();
        program.push_back({Op::kJump});
        program[split].next = here();
        emit(node.right);
        program[jump].next = here();
        return;
      }
      case Kind::kStar:
      case Kind::kOptional: {
        // L1: split L3 (L2 follows); L2: inner; [jump L1]; L3:
        uint32_t split = here();
        program.push_back({Op::kSplit});
        emit(node.left);
        if (node.kind == Kind::kStar) program.push_back({Op::kJump, 0, split});
        program[split].next = here();
        return;
      }
      case Kind::kPlus: {
        // L1: inner; split L1 (L3 follows), reading the split's other way
        // first, which does not matter for a yes or no.
        uint32_t start = here();
        emit(node.left);
        program.push_back({Op::kSplit, 0, start});
        return;
      }
      case Kind::kBegin:
      case Kind::kEnd:
        program.push_back({node.kind == Kind::kBegin ? Op::kBegin : Op::kEnd});
        return;
      case Kind::kEmpty:
        return;
    }
  }

  // The longest run of single bytes that every match holds in order: along
  // the top-level concatenation.
  void findRequiredLiteral(int root) {
    std::vector<int> parts;
    Flatten(root, &parts);
    std::string run, best;
    bool onlyBytes = true;
    for (int part : parts) {
      int byte =
          nodes_[part].kind == Kind::kSet ? SingleByte(pattern_->sets_[nodes_[part].left]) : -1;
      if (byte >= 0) {
        run.push_back(static_cast<char>(byte));
      } else {
        onlyBytes = false;
        run.clear();
      }
      if (run.size() > best.size()) best = run;
    }
    pattern_->required_ = best;
    pattern_->literalOnly_ = onlyBytes && !best.empty();
  }

  void Flatten(int index, std::vector<int>* parts) const {
    if (nodes_[index].kind == Kind::kConcat) {
      Flatten(nodes_[index].left, parts);
      Flatten(nodes_[index].right, parts);
    } else if (nodes_[index].kind != Kind::kEmpty) {
      parts->push_back(index);
    }
  }

  static ByteSet Fill(int low, int high) {
    ByteSet set{};
    for (int c = low; c <= high; ++c) set[c >> 6] |= uint64_t{1} << (c & 63);
    return set;
  }
  static ByteSet Single(int c) { return Fill(c, c); }
  static ByteSet Word() {
    ByteSet set = Fill('a', 'z');
    for (const ByteSet& part : {Fill('A', 'Z'), Fill('0', '9'), Single('_')}) Merge(&set, part);
    return set;
  }
  static ByteSet Blanks() {
    ByteSet set = Fill('\t', '\r');
    Merge(&set, Single(' '));
    return set;
  }
  static bool Has(const ByteSet& set, int c) { return (set[c >> 6] >> (c & 63)) & 1; }
  static void Merge(ByteSet* set, const ByteSet& other) {
    for (size_t i = 0; i < set->size(); ++i) (*set)[i] |= other[i];
  }
  static void Remove(ByteSet* set, int c) { (*set)[c >> 6] &= ~(uint64_t{1} << (c & 63)); }
  static void Invert(ByteSet* set) {
    for (uint64_t& word : *set) word = ~word;
  }
  // The byte a set holds when it holds exactly one, else -1.
  static int SingleByte(const ByteSet& set) {
    int found = -1;
    for (int c = 0; c < 256; ++c) {
      if (!Has(set, c)) continue;
      if (found >= 0) return -1;
      found = c;
    }
    return found;
  }

  std::string_view text_;
  TextPattern* pattern_;
  std::vector<Node> nodes_;
  size_t at_ = 0;
  bool caseless_ = false;
  bool failed_ = false;
  size_t failAt_ = 0;
  std::string failWhat_;
};

bool TextPattern::compile(std::string_view pattern, std::string* error) {
  *this = TextPattern();
  PatternParser parser(pattern, this);
  if (!parser.parse(error)) return false;
  current_.reserve(program_.size());
  next_.reserve(program_.size());
  addedAt_.assign(program_.size(), 0);
  return true;
}

bool TextPattern::search(std::string_view text) {
  if (!required_.empty() && text.find(required_) == std::string_view::npos) return false;
  return literalOnly_ || runAutomaton(text);
}

bool TextPattern::runAutomaton(std::string_view text) {
  // Each list holds the states reached at one position, each state once; a
  // match may begin at any position, so the start joins every list.
  current_.clear();
  ++step_;
  addState(0, &current_, text, 0);
  for (size_t at = 0;; ++at) {
    next_.clear();
    ++step_;
    for (uint32_t pc : current_) {
      const Instruction& instruction = program_[pc];
      if (instruction.op == Op::kMatch) return true;
      unsigned char c = at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
      if (at < text.size() && ((sets_[instruction.set][c >> 6] >> (c & 63)) & 1)) {
        addState(pc + 1, &next_, text, at + 1);
      }
    }
    if (at >= text.size()) return false;
    addState(0, &next_, text, at + 1);
    current_.swap(next_);
  }
}

void TextPattern::addState(uint32_t pc, std::vector<uint32_t>* list, std::string_view text,
                           size_t at) {
  stack_.clear();
  stack_.push_back(pc);
  while (!stack_.empty()) {
    uint32_t state = stack_.back();
    stack_.pop_back();
    if (addedAt_[state] == step_) continue;
    addedAt_[state] = step_;
    const Instruction& instruction = program_[state];
    switch (instruction.op) {
      case Op::kJump:
        stack_.push_back(instruction.next);
        break;
      case Op::kSplit:
        stack_.push_back(instruction.next);
        stack_.push_back(state + 1);
        break;
      case Op::kBegin:
        if (at == 0) stack_.push_back(state + 1);
        break;
      case Op::kEnd:
        if (at == text.size()) stack_.push_back(state + 1);
        break;
      case Op::kByte:
      case Op::kMatch:
        list->push_back(state);
        break;
    }
  }
}

}  // namespace quintrel
