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

namespace hengdian {

namespace {

/// How many lines behind the one handed over next may be looked up already. The lines done ahead
/// of it wait in memory, so a line held up long (its ten waits, a slow answer) keeps at most this
/// many waiting, however long the list.
constexpr std::size_t kLookahead = 256;

/// One line between its worker and the hand-over.
struct Slot {
  int waits = 0;                      // waits begun of the line's second attempt
  std::optional<CheckedEntry> entry;  // set once the line is done
};

/// What the workers and the handing-over thread share, under `mutex`.
struct Shared {
  explicit Shared(std::size_t lines) : slots(std::clamp<std::size_t>(lines, 1, kLookahead)) {}

  std::mutex mutex;
  std::condition_variable changed;  // a slot changed, the hand-over moved on, or the check ends
  std::vector<Slot> slots;          // line i in slots[i % size], while next <= i < next + size
  std::size_t next = 0;             // the line handed over next
  std::size_t taken = 0;            // the lines the workers have taken
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

/// Gives `entry` its version in force, as `ListCheckOptions::findCurrent` has it; false when the
/// check was stopped. Worker thread.
bool findCurrent(CheckedEntry &entry, Site site, const QuerySettings &settings, StopFlag &stop,
                 StemSearches &searches) {
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
  if (found.stem == code) {
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

/// Takes the next line nobody has taken, as soon as it lies within the lookahead, and looks it
/// up, until every line is taken or the check ends. A stopped lookup ends the check. Worker
/// thread.
void work(Shared &shared, const std::vector<EnteredLine> &lines, Site site, const QuerySettings &settings,
          bool findCurrents, StemSearches &stems, StopFlag &stop) {
  for (;;) {
    std::size_t index = 0;
    {
      std::unique_lock lock(shared.mutex);
      shared.changed.wait(lock, [&] {
        return shared.ending || shared.taken == lines.size() ||
               shared.taken < shared.next + shared.slots.size();
      });
      if (shared.ending || shared.taken == lines.size()) return;
      index = shared.taken++;
    }
    // The slot is this line's until the hand-over has taken its entry.
    Slot &slot = shared.slots[index % shared.slots.size()];
    std::optional<CheckedEntry> entry = checkEntry(lines[index], site, settings, stop, [&](int wait) {
      {
        std::lock_guard lock(shared.mutex);
        slot.waits = wait;
      }
      shared.changed.notify_all();
      return true;
    });
    if (entry && findCurrents && !findCurrent(*entry, site, settings, stop, stems)) entry.reset();
    {
      std::lock_guard lock(shared.mutex);
      if (entry) {
        slot.entry = std::move(entry);
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

}  // namespace

bool checkList(const std::vector<EnteredLine> &lines, Site site, const QuerySettings &settings,
               const ListCheckOptions &options, StopFlag &stop, const ListCheckHooks &hooks) {
  const std::size_t count = lines.size();
  const auto progress = [&hooks](const CheckProgress &shown) {
    if (hooks.onProgress) hooks.onProgress(shown);
  };
  Shared shared(count);
  StemSearches stems;
  {
    Workers workers{shared, stop, count, {}};
    const std::size_t wanted = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), 1,
                                                       std::max<std::size_t>(count, 1));
    for (std::size_t i = 0; i < wanted; ++i) {
      workers.threads.emplace_back([&] {
        try {
          work(shared, lines, site, settings, options.findCurrent, stems, stop);
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
      if (entry) slot = Slot{};
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
