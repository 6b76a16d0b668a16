// Fuzz target: arbitrary bytes as a saved profile. The reader must refuse
// them or read a profile that merges with itself, makes every analytics
// report, and is written back as a document that reads back to the same
// bytes; what it reads of version 1, the tree reader it replaced must read
// the same; read in parts into a running total, it and the document
// written back merge as MergeableProfile::merge merges them.
// Aborts when a profile read back differs from the one written or from the
// tree reader's, or when the running total differs from the merge.
#include <zstd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "analysis/mergeable_profile.h"
#include "analysis/profile_total.h"
#include "report/report_writer.h"
#include "report/saved_profile_reader.h"
#include "report/saved_profile_writer.h"
#include "tests/support/tree_saved_profile_reader.h"

namespace {

// The document the writer puts in its zstd frame.
std::string Saved(const quintrel::MergeableProfile& profile) {
  std::ostringstream out;
  quintrel::WriteSavedProfile(profile, out);
  const std::string frame = out.str();
  std::string text(ZSTD_getFrameContentSize(frame.data(), frame.size()), '\0');
  size_t size = ZSTD_decompress(text.data(), text.size(), frame.data(), frame.size());
  if (ZSTD_isError(size) || size != text.size()) {
    fprintf(stderr, "the saved profile's frame does not decompress\n");
    abort();
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quintrel::MergeableProfile profile;
  std::string error;
  if (!quintrel::ReadSavedProfile(text, &profile, &error)) return 0;
  const std::string written = Saved(profile);
  quintrel::MergeableProfile tree;
  const bool treeRead = quintrel::ReadSavedProfileAsTree(text, &tree, &error);
  // The tree reader knows version 1 alone.
  const bool later = !treeRead && error.rfind("written by a later version", 0) == 0;
  if (!profile.hasSessions && !later && (!treeRead || Saved(tree) != written)) {
    fprintf(stderr, "the tree reader reads otherwise: %s\n", error.c_str());
    abort();
  }
  quintrel::MergeableProfile again;
  if (!quintrel::ReadSavedProfile(written, &again, &error) || Saved(again) != written) {
    fprintf(stderr, "a saved profile does not read back as written: %s\n", error.c_str());
    abort();
  }
  quintrel::ProfileTotal total;
  quintrel::MergeableProfile rest;
  quintrel::ClassBatch classes;
  for (std::string_view document : {text, std::string_view(written)}) {
    if (!quintrel::ReadSavedProfile(document, &rest, &classes, &error)) {
      fprintf(stderr, "read whole but not in parts: %s\n", error.c_str());
      abort();
    }
    total.add(&rest, classes);
  }
  profile.merge(again);
  if (Saved(total.take()) != Saved(profile)) {
    fprintf(stderr, "the running total differs from the merge\n");
    abort();
  }
  quintrel::Profile merged = profile.toProfile();
  merged.mergeable = std::make_shared<quintrel::MergeableProfile>(profile);
  quintrel::ReportContext context;
  for (quintrel::ReportFormat format :
       {quintrel::ReportFormat::kJson, quintrel::ReportFormat::kDigest,
        quintrel::ReportFormat::kDashboard, quintrel::ReportFormat::kProfile}) {
    std::ostringstream out;
    quintrel::WriteReport(format, merged, context, out);
  }
  return 0;
}
