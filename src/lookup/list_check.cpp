#include "lookup/list_check.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>

#include "lookup/report_columns.h"
#include "lookup/site.h"
#include "web/saved_exchanges.h"

namespace hengdian {

namespace {

/// What a lookup under way holds for what its entry keeps once done: the page as sent, the page
/// decoded and every record.
constexpr std::size_t kLookupPerEntryByte = 8;

/// One line between its worker and the hand-over.
struct Slot {
  int waits = 0;                      // waits begun of the line's second attempt
  std::optional<CheckedEntry> entry;  // set once the line is done
  std::size_t bytes = 0;              // what the entry takes up
};

/// What the workers and the handing-over thread share, under `mutex`.
struct Shared {
  Shared(std::size_t lines, const ListCheckOptions &options)
      : slots(std::clamp<std::size_t>(std::min(lines, options.lookahead), 1, kLookahead)),
        heldLimit(options.heldEntryBytes) {}

  std::mutex mutex;
  std::condition_variable changed;  // a slot changed, the hand-over moved on, or the check ends
  std::vector<Slot> slots;          // line i in slots[i % size], while next <= i < next + size
  std::size_t next = 0;             // the line handed over next
  std::size_t taken = 0;            // the lines the workers have taken
  std::size_t heldBytes = 0;        // what the done entries in `slots` take up
  std::size_t underWay = 0;         // lines taken and not yet done
  std::size_t typicalBytes = 0;     // what a recent entry took, the largest counting most
  bool sized = false;               // whether any line is done, which tells `typicalBytes`
  const std::size_t heldLimit;      // no line is taken while `heldBytes` reaches it
  bool ending = false;              // no worker takes another line
  std::exception_ptr failure;       // what a worker threw
};

/// What a stem search found: its page's choice, and why the site did not answer ("" when it did).
struct StemAnswer {
  std::optional<CurrentVersion> version;
  std::u16string error;
};

/// The stem searches of one check, shared by its workers, so that no stem is searched twice. What
/// each gave (its page's choice, not the page) stays until the check ends.
class StemSearches {
 public:
  using Search = std::function<std::optional<StemAnswer>()>;

  /// The answer for `stem`: `search()`'s when no worker has searched the stem yet, else the one
  /// that search gave, waited for while it is under way. Empty when the search was stopped.
  /// Worker thread.
  std::optional<StemAnswer> answer(const std::u16string &stem, const Search &search) {
    {
      std::unique_lock lock(mutex_);
      for (;;) {
        const auto [known, added] = known_.try_emplace(stem);
        if (added) break;
        if (known->second) return known->second;
        settled_.wait(lock);
      }
    }
    // Stopped or thrown, the search leaves the stem unknown again, and a worker waiting for it
    // searches it itself.
    struct Settle {
      StemSearches &searches;
      const std::u16string &stem;
      bool answered = false;
      ~Settle() {
        if (!answered) {
          std::lock_guard lock(searches.mutex_);
          searches.known_.erase(stem);
        }
        searches.settled_.notify_all();
      }
    } settle{*this, stem};
    std::optional<StemAnswer> found = search();
    if (found) {
      std::lock_guard lock(mutex_);
      known_[stem] = found;
      settle.answered = true;
    }
    return found;
  }

 private:
  std::mutex mutex_;
  std::condition_variable settled_;                            // a search ended
  std::map<std::u16string, std::optional<StemAnswer>> known_;  // empty while it is under way
};

/// Whether a worker may take one more line than the one handed over next: the done entries and
/// the lookups under way, each as large as the recent entries, fit in the bound. Before any line is
/// done nothing tells how large they are, and only one line more than the next goes out.
bool roomForOneMore(const Shared &shared) {
  if (!shared.sized) return shared.underWay < 2;
  return shared.heldBytes + (shared.underWay + 1) * shared.typicalBytes * kLookupPerEntryByte <
         shared.heldLimit;
}

/// About what `entry` takes up in memory.
std::size_t entryBytes(const CheckedEntry &entry) {
  const auto units = [](const std::u16string &text) { return text.capacity(); };
  std::size_t count = units(entry.entered.code) + units(entry.entered.name) + units(entry.row.code) +
                      units(entry.row.name) + units(entry.row.link) + units(entry.row.error) +
                      units(entry.line);
  for (const HitRecord &record : entry.records) {
    count += units(record.status) + units(record.title) + units(record.publicationDate) +
             units(record.implementationDate) + units(record.link);
  }
  return sizeof(CheckedEntry) + entry.records.capacity() * sizeof(HitRecord) + count * sizeof(char16_t);
}

/// Drops what nobody reads once `entry` is done: every record but the first, which the outputs
/// and the summary read. A page of a hundred thousand hits would otherwise wait with all of them.
void dropBulk(CheckedEntry &entry) {
  if (entry.records.size() <= 1) return;
  entry.records.erase(entry.records.begin() + 1, entry.records.end());
  entry.records.shrink_to_fit();
}

/// Gives `entry` its version in force, as `ListCheckOptions::findCurrent` has it; false when the
/// check was stopped. A code without a year takes its own page's records when `wholeRecords`
/// holds; an entry that kept only its first record searches its stem like any other. Worker
/// thread.
bool findCurrent(CheckedEntry &entry, Site site, const QuerySettings &settings, StopFlag &stop,
                 StemSearches &searches, bool wholeRecords) {
  CurrentFinding &found = entry.current;
  const std::u16string &code = entry.entered.code;
  // An empty line names no standard, and a lookup the site did not answer tells nothing of it.
  if (code.empty() || !entry.row.error.empty()) return true;
  found.version = inForceRecord(site, code, entry.records);
  if (found.version) {
    found.standing = CurrentStanding::Itself;
    return true;
  }
  found.stem = codeStem(code);
  if (found.stem.empty()) return true;
  std::optional<StemAnswer> answer;
  if (found.stem == code && wholeRecords) {
    // The stem search would be the lookup just made.
    answer = StemAnswer{chooseCurrentVersion(site, found.stem, entry.records), u""};
  } else {
    answer = searches.answer(found.stem, [&]() -> std::optional<StemAnswer> {
      std::optional<SiteAnswer> page = searchSite(site, found.stem, u"", settings, stop);
      if (!page) return std::nullopt;
      return StemAnswer{chooseCurrentVersion(site, found.stem, page->page.records), std::move(page->error)};
    });
    if (!answer) return false;
  }
  found.version = std::move(answer->version);
  found.error = std::move(answer->error);
  found.standing = found.error.empty() ? standingAgainst(code, found.version) : CurrentStanding::NotAnswered;
  return true;
}

/// `settings` whose exchanges, when they are kept, are labelled by the line (at `index`) and code.
QuerySettings labelledForLine(const QuerySettings &settings, std::size_t index, std::u16string_view code) {
  QuerySettings labelled = settings;
  if (settings.http.exchangeSink) labelled.http.exchangeLabel = exchangeLabel(u"line", index + 1, code);
  return labelled;
}

/// Takes the next line nobody has taken, as soon as it lies within the lookahead and the done
/// entries and the lookups under way leave room (or it is the line handed over next), and looks it up, until
/// every line is taken or the check ends. A stopped lookup ends the check. Worker thread.
void work(Shared &shared, const std::vector<EnteredLine> &lines, Site checkSite,
          const QuerySettings &settings, bool findCurrents, const ListCheckHooks &hooks, StemSearches &stems,
          StopFlag &stop) {
  for (;;) {
    std::size_t index = 0;
    {
      std::unique_lock lock(shared.mutex);
      shared.changed.wait(lock, [&] {
        return shared.ending || shared.taken == lines.size() ||
               (shared.taken < shared.next + shared.slots.size() &&
                (shared.taken == shared.next || roomForOneMore(shared)));
      });
      if (shared.ending || shared.taken == lines.size()) return;
      index = shared.taken++;
      ++shared.underWay;
    }
    // The slot is this line's until the hand-over has taken its entry.
    Slot &slot = shared.slots[index % shared.slots.size()];
    const std::optional<Site> site = hooks.siteFor ? hooks.siteFor(index) : checkSite;
    if (!site) {
      {
        std::lock_guard lock(shared.mutex);
        shared.ending = true;
      }
      shared.changed.notify_all();
      return;
    }
    const QuerySettings lineSettings = labelledForLine(settings, index, lines[index].code);
    std::optional<CheckedEntry> entry = checkEntry(lines[index], *site, lineSettings, stop, [&](int wait) {
      {
        std::lock_guard lock(shared.mutex);
        slot.waits = wait;
      }
      shared.changed.notify_all();
      return true;
    });
    if (entry && findCurrents && !findCurrent(*entry, *site, lineSettings, stop, stems, true)) entry.reset();
    if (entry) dropBulk(*entry);
    const std::size_t bytes = entry ? entryBytes(*entry) : 0;
    {
      std::lock_guard lock(shared.mutex);
      --shared.underWay;
      if (entry) {
        slot.entry = std::move(entry);
        slot.bytes = bytes;
        shared.heldBytes += bytes;
        shared.typicalBytes = std::max(shared.typicalBytes / 2, bytes);
        shared.sized = true;
      } else {
        shared.ending = true;
      }
    }
    shared.changed.notify_all();
  }
}

/// The workers of one check. Going, it ends the check (stopping the lookups under way unless every
/// line was handed over) and waits for every worker to end.
struct Workers {
  Shared &shared;
  StopFlag &stop;
  std::size_t count;
  std::vector<std::thread> threads;

  ~Workers() {
    bool incomplete = false;
    {
      std::lock_guard lock(shared.mutex);
      shared.ending = true;
      incomplete = shared.next < count;
    }
    if (incomplete) stop.requestStop();
    shared.changed.notify_all();
    for (std::thread &thread : threads)
      thread.join();
  }
};

/// The check when only the line handed over next may be under way: the calling thread looks each
/// line up and hands it over itself, which spares two thread switches a line and changes nothing
/// else.
bool checkInTurn(const std::vector<EnteredLine> &lines, Site checkSite, const QuerySettings &settings,
                 const ListCheckOptions &options, StopFlag &stop, const ListCheckHooks &hooks) {
  const std::size_t count = lines.size();
  const auto progress = [&hooks](const CheckProgress &shown) {
    if (hooks.onProgress) hooks.onProgress(shown);
  };
  StemSearches stems;
  progress({0, count, 0});
  for (std::size_t index = 0; index < count; ++index) {
    const std::optional<Site> site = hooks.siteFor ? hooks.siteFor(index) : checkSite;
    const QuerySettings lineSettings = labelledForLine(settings, index, lines[index].code);
    std::optional<CheckedEntry> entry;
    if (site) {
      entry = checkEntry(lines[index], *site, lineSettings, stop, [&](int wait) {
        progress({index, count, wait});
        return true;
      });
    }
    if (entry && options.findCurrent && !findCurrent(*entry, *site, lineSettings, stop, stems, true))
      entry.reset();
    if (entry && !stop.stopRequested()) {
      dropBulk(*entry);
      if (hooks.onEntry(index, *entry)) {
        progress({index + 1, count, 0});
        continue;
      }
    }
    stop.requestStop();
    return false;
  }
  return true;
}

}  // namespace

bool checkList(const std::vector<EnteredLine> &lines, Site site, const QuerySettings &settings,
               const ListCheckOptions &options, StopFlag &stop, const ListCheckHooks &hooks) {
  if (options.lookahead <= 1) return checkInTurn(lines, site, settings, options, stop, hooks);
  const std::size_t count = lines.size();
  const auto progress = [&hooks](const CheckProgress &shown) {
    if (hooks.onProgress) hooks.onProgress(shown);
  };
  Shared shared(count, options);
  StemSearches stems;
  {
    Workers workers{shared, stop, count, {}};
    const std::size_t wanted = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), 1,
                                                       std::max<std::size_t>(count, 1));
    for (std::size_t i = 0; i < wanted; ++i) {
      workers.threads.emplace_back([&] {
        try {
          work(shared, lines, site, settings, options.findCurrent, hooks, stems, stop);
        } catch (...) {
          {
            std::lock_guard lock(shared.mutex);
            if (!shared.failure) shared.failure = std::current_exception();
            shared.ending = true;
          }
          stop.requestStop();
          shared.changed.notify_all();
        }
      });
    }

    progress({0, count, 0});
    int shownWaits = 0;
    std::unique_lock lock(shared.mutex);
    while (shared.next < count) {
      const std::size_t index = shared.next;
      Slot &slot = shared.slots[index % shared.slots.size()];
      shared.changed.wait(lock, [&] { return shared.ending || slot.entry || slot.waits > shownWaits; });
      if (shared.ending || stop.stopRequested()) break;
      const int waits = slot.waits;
      std::optional<CheckedEntry> entry = std::move(slot.entry);
      if (entry) {
        shared.heldBytes -= slot.bytes;
        slot = Slot{};
      }
      lock.unlock();

      for (int wait = shownWaits + 1; wait <= waits; ++wait)
        progress({index, count, wait});
      shownWaits = waits;
      if (entry) {
        if (!hooks.onEntry(index, *entry)) break;
        progress({index + 1, count, 0});
        shownWaits = 0;
      }
      lock.lock();
      if (entry) {
        ++shared.next;
        shared.changed.notify_all();
      }
    }
  }
  if (shared.failure) std::rethrow_exception(shared.failure);
  return shared.next == count;
}

bool findCurrentVersions(std::vector<CheckedEntry> &entries, const QuerySettings &settings, int jobs,
                         StopFlag &stop,
                         const std::function<void(std::size_t, const CheckedEntry &)> &onFound) {
  StemSearches stems;
  std::mutex handOver;  // one entry handed over at a time; also guards `next` and `failure`
  std::size_t next = 0;
  std::exception_ptr failure;
  const auto work = [&] {
    try {
      for (;;) {
        std::size_t index = 0;
        {
          std::lock_guard lock(handOver);
          if (next == entries.size() || stop.stopRequested()) return;
          index = next++;
        }
        CheckedEntry &entry = entries[index];
        const QuerySettings lineSettings = labelledForLine(settings, index, entry.entered.code);
        if (!findCurrent(entry, entry.row.site, lineSettings, stop, stems, false)) return;
        std::lock_guard lock(handOver);
        if (stop.stopRequested()) return;
        if (onFound) onFound(index, entry);
      }
    } catch (...) {
      {
        std::lock_guard lock(handOver);
        if (!failure) failure = std::current_exception();
      }
      stop.requestStop();
    }
  };
  {
    std::vector<std::jthread> workers;
    const std::size_t wanted = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), 1,
                                                       std::max<std::size_t>(entries.size(), 1));
    for (std::size_t i = 0; i < wanted; ++i)
      workers.emplace_back(work);
  }
  if (failure) std::rethrow_exception(failure);
  return !stop.stopRequested();
}

void CheckSummary::add(const CheckedEntry &entry) {
  ++checked;
  replaced += entry.current.standing == CurrentStanding::Replaced ? 1 : 0;
  noneInForce += entry.current.standing == CurrentStanding::NoneInForce ? 1 : 0;
  switch (entryState(entry)) {
    case EntryState::NotAnswered:
      ++notAnswered;
      break;
    case EntryState::NotFound:
      ++notFound;
      break;
    case EntryState::InForce:
      ++inForce;
      break;
    case EntryState::Withdrawn:
      ++withdrawn;
      break;
    case EntryState::OtherStatus:
      ++otherStatus;
      break;
  }
}

}  // namespace hengdian
