#include "scan/search_ahead.h"

#include <algorithm>
#include <optional>

#include "core/scan_host.h"
#include "core/stop_flag.h"
#include "fileio/file_status.h"
#include "fileio/os_file.h"
#include "fileio/text_file.h"
#include "treat/treat_file.h"

namespace {

constexpr int kMostDefaultThreads = 8;
// How far the searches may run ahead of the log: a few hundred names, in as
// many folders as a tree of small folders needs to keep every thread busy.
// Each folder holds a descriptor, within the walk's budget.
constexpr std::size_t kMostStepsAhead = 256;
constexpr std::size_t kMostFoldersAhead = 64;
// Idle search threads are woken for a batch of files, not for each one: a
// wake-up costs about as much as searching a small file.
constexpr std::size_t kSearchBatch = 16;

bool StopRequested() {
    return g_bStopScan.load() != 0;
}

// True only when the file's treatment, as it stands now, would only read
// it: its status is readable, it is a file, and it can be read through
// without the signature anywhere. Any doubt leaves the file to its
// treatment, which meets the same failure and reports it.
bool FoundClean(const std::string& path) noexcept {
    const std::string& signature = ScanHost().m_strSignature;
    try {
        if (signature.empty() || !IsFileWithStatus(path)) {
            return false;
        }
        const std::optional<bool> holds = SearchFile(path, signature);
        return holds.has_value() && !*holds;
    } catch (...) {
        return false;
    }
}

}  // namespace

int DefaultSearchThreads() {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, kMostDefaultThreads);
}

SearchAhead::SearchAhead(int threads) {
    for (int i = 0; threads > 1 && i < threads; ++i) {
        m_threads.emplace_back([this] { SearchFiles(); });
    }
}

SearchAhead::~SearchAhead() {
    DropSteps();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quitting = true;
    }
    m_searchWanted.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void SearchAhead::Then(std::function<void()> report) {
    if (Serial()) {
        report();
        return;
    }
    Step step;
    step.m_report = std::move(report);
    Push(std::move(step));
}

void SearchAhead::ThenFile(const std::string& path, int matches) {
    Step step;
    step.m_path = path;
    step.m_matches = matches;
    if (!Serial()) {
        step.m_folder = HoldInnermostFolder();
    }
    if (step.m_folder == nullptr) {
        // Without a hold the file can only be named while the walk is in
        // its folder: now, after every step before it.
        Finish();
        if (!StopRequested()) {
            Run(step);
        }
        return;
    }
    step.m_search = Search::kWaiting;
    Push(std::move(step));
}

void SearchAhead::Finish() {
    while (!m_steps.empty()) {
        RunHead();
    }
}

void SearchAhead::Push(Step step) {
    if (step.m_folder != nullptr) {
        ++m_stepsInFolder[step.m_folder.get()];
    }
    m_steps.push_back(std::move(step));
    if (m_steps.back().m_search == Search::kWaiting) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_unsearched.push_back(&m_steps.back());
        if (m_idle > 0 && m_unsearched.size() >= kSearchBatch) {
            m_searchWanted.notify_one();
        }
    }
    RunReadySteps();
    while (m_steps.size() > kMostStepsAhead || m_stepsInFolder.size() > kMostFoldersAhead) {
        RunHead();
    }
}

// The steps at the head that need not wait for a search.
void SearchAhead::RunReadySteps() {
    for (;;) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_steps.empty() || m_steps.front().m_search == Search::kWaiting) {
                return;
            }
        }
        RunHead();
    }
}

void SearchAhead::RunHead() {
    if (StopRequested()) {
        DropSteps();
        return;
    }
    Step& head = m_steps.front();
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (head.m_search == Search::kWaiting && m_idle > 0) {
            m_searchWanted.notify_all();  // however few files wait, they are wanted now
        }
        // Rather than wait for a search thread to take the head, search it here.
        if (!m_unsearched.empty() && m_unsearched.front() == &head) {
            m_unsearched.pop_front();
            lock.unlock();
            const Search found = SearchOf(head);
            lock.lock();
            head.m_search = found;
        }
        AwaitSearches(lock, [&head] { return head.m_search != Search::kWaiting; });
    }
    Run(head);
    if (head.m_folder != nullptr && --m_stepsInFolder[head.m_folder.get()] == 0) {
        m_stepsInFolder.erase(head.m_folder.get());
    }
    m_steps.pop_front();
}

void SearchAhead::Run(const Step& step) {
    if (step.m_report) {
        step.m_report();
        return;
    }
    const NamingThrough naming(step.m_folder);
    for (int i = 0; i < step.m_matches; ++i) {
        ScanHost().AddLogLine(step.m_path);
        if (step.m_search == Search::kClean) {
            TreatFileFoundClean(step.m_path);
        } else if (Serial() || !kReadingKeepsOthersOut) {
            TreatFile(step.m_path);
        } else {
            TreatWhileSearchesWait(step.m_path);
        }
    }
}

void SearchAhead::TreatWhileSearchesWait(const std::string& path) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_treating = true;
    AwaitSearches(lock, [this] { return m_searching == 0; });
    lock.unlock();
    TreatFile(path);  // a raise ends the scan, and with it the searches
    lock.lock();
    m_treating = false;
    if (m_idle > 0 && !m_unsearched.empty()) {
        m_searchWanted.notify_all();
    }
}

template <typename Done>
void SearchAhead::AwaitSearches(std::unique_lock<std::mutex>& lock, const Done& done) {
    m_awaiting = true;
    m_searchEnded.wait(lock, done);
    m_awaiting = false;
}

void SearchAhead::DropSteps() {
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_unsearched.clear();
        AwaitSearches(lock, [this] { return m_searching == 0; });
    }
    m_steps.clear();
    m_stepsInFolder.clear();
}

SearchAhead::Search SearchAhead::SearchOf(const Step& step) {
    const NamingThrough naming(step.m_folder);
    return FoundClean(step.m_path) ? Search::kClean : Search::kMustTreat;
}

void SearchAhead::SearchFiles() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_searchWanted.wait(
            lock, [this] { return m_quitting || (!m_unsearched.empty() && !m_treating); });
        --m_idle;
        if (m_quitting) {
            return;
        }
        Step& step = *m_unsearched.front();
        m_unsearched.pop_front();
        ++m_searching;
        lock.unlock();
        const Search found = SearchOf(step);
        lock.lock();
        step.m_search = found;
        --m_searching;
        if (m_awaiting) {
            m_searchEnded.notify_one();
        }
    }
}
