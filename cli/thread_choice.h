// The answer at the thread prompt.
#ifndef QUINTREL_CLI_THREAD_CHOICE_H_
#define QUINTREL_CLI_THREAD_CHOICE_H_

#include <cstdio>
#include <string>

namespace quintrel {

// The longest answer taken.
constexpr size_t kMaxThreadChoice = 4096;

// Reads one word from `in` into `choice`: blanks, tabs and line ends before
// it are skipped, and it ends at the next of them or at the end of the input
// (an empty word then). The rest of the line stays unread. Returns false
// when the word is longer than kMaxThreadChoice; no more than one byte
// beyond that limit is read.
bool ReadThreadChoice(std::FILE* in, std::string* choice);

}  // namespace quintrel

#endif  // QUINTREL_CLI_THREAD_CHOICE_H_
