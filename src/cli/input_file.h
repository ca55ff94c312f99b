#pragma once
// Reading the entered list from a file or standard input.

#include <optional>
#include <string>
#include <string_view>

namespace hengdian::cli {

/// Bytes of an entered list as text: UTF-8 (a leading BOM dropped), or GBK when the bytes are not
/// valid UTF-8.
std::u16string decodeInputBytes(std::string_view bytes);

}  // namespace hengdian::cli
