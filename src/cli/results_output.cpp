#include "cli/results_output.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace hengdian::cli {

ResultsOutput::ResultsOutput(std::ostream &out, std::ostream &err) : out_(out), err_(err) {}

bool ResultsOutput::write(std::string_view bytes) {
  if (failed_) return false;
  errno = 0;
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out_.flush();
  if (out_.good()) return true;
  failed_ = true;
  // The stream keeps no reason, but the failed write of the C library behind it left one.
  const int error = errno;
  err_ << "hengdian-cli: cannot write the results: "
       << (error != 0 ? std::strerror(error) : "the write failed") << "\n"
       << std::flush;
  return false;
}

}  // namespace hengdian::cli
