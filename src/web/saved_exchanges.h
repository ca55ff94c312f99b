#pragma once
// Keeping every request and its answer as a file, for a bug report: when a site changes its
// pages, the page it really sent is what shows how.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "web/http.h"

namespace hengdian {

/// A sink that writes every exchange into `folder` (which must exist) as a file of its own, named
/// by its label (`fileNameSafe`) and its number among the exchanges of that label:
/// "line_0003_GB_T_5490-2010-1.txt". An exchange without a label takes `defaultLabel()`'s, or
/// "exchange". A file that cannot be written is skipped. Any thread.
ExchangeSink exchangeSaver(const std::filesystem::path &folder,
                           std::function<std::u16string()> defaultLabel = {});

/// The label of the exchanges for entered line `lineNumber` (from 1) of `code`, by `what` ("line"
/// for the lookups, "download" for the file): "line 0003 GB/T 5490-2010".
std::u16string exchangeLabel(std::u16string_view what, std::size_t lineNumber, std::u16string_view code);

/// The saved file's bytes: the request line, the request body (after an empty line, when there is
/// one), an empty line, a line "# the transfer failed: <why>" when it did, then the response
/// headers and body bytes exactly as received.
std::string exchangeFileText(const HttpExchange &exchange);

/// `text` with every character but ASCII letters, digits, "-" and "." as "_".
std::u16string fileNameSafe(std::u16string_view text);

}  // namespace hengdian
