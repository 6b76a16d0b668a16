// ProfileFrame: the bytes a saved profile's text is written as. Where the
// build has libzstd (Linux) they are a zstd frame, a sixth of the text or
// less; elsewhere (the Windows build) the text itself. The saved profile
// reader takes both, as it takes any trace.
#ifndef QUINTREL_REPORT_PROFILE_FRAME_H_
#define QUINTREL_REPORT_PROFILE_FRAME_H_

#include <string>

namespace quintrel {

// The bytes of `text`; throws std::runtime_error when they cannot be made.
std::string FrameProfileText(const std::string& text);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_PROFILE_FRAME_H_
