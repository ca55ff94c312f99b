#pragma once
// Result pages saved under tests/data, read as the decoding step would hand them over.

#include <fstream>
#include <iterator>
#include <string>

#include "runtime/code_page.h"

namespace hengdian {

/// The UTF-8 file `name` from the test data folder as text; "" when it cannot be read.
inline std::u16string readTestPage(const std::string &name) {
  std::ifstream file(std::string(HENGDIAN_TEST_DATA) + "/" + name, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return fromUtf8(bytes);
}

}  // namespace hengdian
