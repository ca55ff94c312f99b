#pragma once
// Standard output (or the --output file) as the results go there, every write checked.

#include <iosfwd>
#include <string_view>

namespace hengdian::cli {

/// Standard output as the results go there: every write flushed and checked. The first failure is
/// reported on `err` ("hengdian-cli: cannot write the results: <reason>"); nothing is written
/// after it.
class ResultsOutput {
 public:
  ResultsOutput(std::ostream &out, std::ostream &err);

  /// Writes and flushes `bytes`; false once any write has failed.
  bool write(std::string_view bytes);
  /// Whether a write has failed.
  bool failed() const { return failed_; }

 private:
  std::ostream &out_;
  std::ostream &err_;
  bool failed_ = false;
};

}  // namespace hengdian::cli
