// report_table_benchmark: the 标准查新 table with 10,000 rows, as a check of a long list fills it.
// Every row goes into the table's model and the virtual list one at a time, as the window's check
// hands them over, and the list is painted; then the table is sorted by title and filtered. Prints
// the times and the peak resident memory. Needs a display (xvfb-run gives one).

#include <sys/resource.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "lookup/report_table.h"
#include "runtime/code_page.h"
#include "ui/report_tab.h"

namespace {

using namespace hengdian;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kRows = 10000;

/// Row `i` as a check of the library site hands it over: one record, its line and its row.
CheckedEntry entryOf(std::size_t i) {
  static const char16_t *const kStatuses[] = {u"现行有效", u"已经废止", u"即将实施"};
  CheckedEntry entry;
  entry.entered.code = u16("GB/T " + std::to_string(10000 + i) + "-2010");
  entry.entered.name = u"粮油检验 一般规则";
  entry.row.code = entry.entered.code;
  if (i % 10 != 9) {
    const std::u16string link =
        u16("http://down.foodmate.net/standard/sort/3/" + std::to_string(20000 + i) + ".html");
    entry.records.push_back({MatchMarker::SameCodeSameName, kStatuses[i % 3],
                             entry.entered.code + u" 粮油检验 一般规则 第" + u16(std::to_string(i)) + u"部分",
                             u"2011-05-01", u"1024", link});
    entry.row.link = link;
    entry.line = recordText(entry.records.front());
  } else {
    entry.line = std::u16string(kNotFoundLine);
  }
  return entry;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class BenchmarkApp : public wxApp {
 public:
  int OnRun() override {
    auto *frame =
        new wxFrame(nullptr, wxID_ANY, "report_table_benchmark", wxDefaultPosition, wxSize(1280, 700));
    ReportTable table;
    auto *list = new ReportList(frame, table);
    list->SetSize(frame->GetClientSize());
    frame->Show();
    paint();
    const long window = peakKilobytes();
    std::vector<CheckedEntry> entries;
    for (std::size_t i = 0; i < kRows; ++i)
      entries.push_back(entryOf(i));
    const long before = peakKilobytes();

    Clock::time_point start = Clock::now();
    for (CheckedEntry &entry : entries) {
      addReportEntry(table, std::move(entry));
      list->showTable();
    }
    paint();
    std::printf("fill %zu rows one by one and paint: %.1f ms\n", kRows, millisecondsSince(start));

    start = Clock::now();
    sortReportBy(table, 5);
    list->showTable();
    paint();
    std::printf("sort %zu rows by title and paint: %.1f ms\n", kRows, millisecondsSince(start));

    start = Clock::now();
    setReportFilter(table, ReportFilter::NeedsAttention);
    list->showTable();
    paint();
    std::printf("filter to %zu rows that need attention and paint: %.1f ms\n", table.shown.size(),
                millisecondsSince(start));
    std::printf(
        "peak resident memory: %ld KiB; %ld KiB with the empty window, %ld KiB once the rows were made\n",
        peakKilobytes(), window, before);
    frame->Destroy();
    return 0;
  }

 private:
  /// Runs the pending events, the paint among them.
  void paint() {
    for (int i = 0; i < 3; ++i) {
      ProcessPendingEvents();
      Yield(true);
    }
  }
};

}  // namespace

wxIMPLEMENT_APP(BenchmarkApp);
