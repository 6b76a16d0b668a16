// ClassId: the short name of a query class or a call class, one a person can
// carry from one run, trace or report to the next ("class 3f2a9c01b2d4" in a
// ticket, in the dashboard, in the JSON profile). It is derived from the
// kind of class and its fingerprint alone: the FNV-1a hash (64 bits) of "q "
// or "c " followed by the fingerprint, its bits then mixed (three rounds of
// xor-shift and multiply, so that texts that differ in one byte get ids that
// differ throughout), of which the high 48 bits are written as 12
// lower-case hex digits. The same fingerprint gives the same id in
// every run, on every machine.
#ifndef QUINTREL_ANALYSIS_CLASS_ID_H_
#define QUINTREL_ANALYSIS_CLASS_ID_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quintrel {

enum class ClassKind { kQuery, kCall };

// The hex digits of every id.
constexpr size_t kClassIdDigits = 12;

std::string ClassId(ClassKind kind, std::string_view fingerprint);
// Writes the same id's kClassIdDigits digits to `out`.
void WriteClassId(ClassKind kind, std::string_view fingerprint, char* out);

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CLASS_ID_H_
