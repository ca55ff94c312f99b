#include "web/saved_exchanges.h"

#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "runtime/code_page.h"

namespace hengdian {

namespace {

/// What the sinks of one folder share: how many exchanges each label has had.
struct SavedCounts {
  std::mutex mutex;
  std::map<std::u16string, int> counts;
};

}  // namespace

ExchangeSink exchangeSaver(const std::filesystem::path &folder,
                           std::function<std::u16string()> defaultLabel) {
  auto counts = std::make_shared<SavedCounts>();
  return [folder, defaultLabel = std::move(defaultLabel), counts](const HttpExchange &exchange) {
    std::u16string label = exchange.label;
    if (label.empty() && defaultLabel) label = defaultLabel();
    if (label.empty()) label = u"exchange";
    const std::u16string safe = fileNameSafe(label);
    int number = 0;
    {
      std::lock_guard lock(counts->mutex);
      number = ++counts->counts[safe];
    }
    const std::u16string name = safe + u"-" + u16(std::to_string(number)) + u".txt";
    std::ofstream file(folder / std::filesystem::path(name), std::ios::binary | std::ios::trunc);
    file << exchangeFileText(exchange);
  };
}

std::u16string exchangeLabel(std::u16string_view what, std::size_t lineNumber, std::u16string_view code) {
  std::string number = std::to_string(lineNumber);
  if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
  return std::u16string(what) + u" " + u16(number) + u" " + std::u16string(code);
}

std::string exchangeFileText(const HttpExchange &exchange) {
  std::string text = exchange.method == HttpMethod::Post ? "POST " : "GET ";
  text += toUtf8(exchange.url) + "\n";
  if (!exchange.requestBody.empty()) text += "\n" + exchange.requestBody + "\n";
  text += "\n";
  if (!exchange.error.empty()) text += "# the transfer failed: " + toUtf8(exchange.error) + "\n";
  return text + exchange.responseHeaders + exchange.responseBody;
}

std::u16string fileNameSafe(std::u16string_view text) {
  std::u16string safe(text);
  for (char16_t &c : safe) {
    const bool kept = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                      c == u'-' || c == u'.';
    if (!kept) c = u'_';
  }
  return safe;
}

}  // namespace hengdian
