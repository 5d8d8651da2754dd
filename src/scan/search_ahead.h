#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fileio/entry_folder.h"

// The threads a scan searches with unless told otherwise: one per core, at
// most 8.
int DefaultSearchThreads();

// Runs a walk's steps strictly in walk order on the walking thread, while
// a pool of threads searches the files ahead of it for the signature. A
// file that its search found clean is only counted and reported in its
// turn; any other is treated in its turn exactly as without a search,
// reading it again. Where a file open for reading keeps others out
// (Windows), the searches wait meanwhile, so that no search holds a file
// while one is treated; elsewhere they go on, and a file they read while it
// is replaced is either version, which its own treatment reads again.
//
// Threads: a search uses only the file layer's reading calls (GetFileStatus,
// ReadOnlyFile), which are safe from any thread, and the scan settings,
// which do not change while a scan runs. Everything else (the scan host, the
// statistics, the treatment and its policy) is used from the walking thread
// only.
class SearchAhead {
public:
    // With one thread every step runs at once and no thread is started.
    explicit SearchAhead(int threads);
    // Drops the steps not run; no search outlives it.
    ~SearchAhead();
    SearchAhead(const SearchAhead&) = delete;
    SearchAhead& operator=(const SearchAhead&) = delete;

    // A step that only reports (a banner, a folder left out).
    void Then(std::function<void()> report);
    // A file to log and treat once for every mask that matches it.
    void ThenFile(const std::string& path, int matches);
    // Runs every step left; a stop drops the steps after the one in hand.
    void Finish();

private:
    enum class Search { kNone, kWaiting, kClean, kMustTreat };
    struct Step {
        std::function<void()> m_report;  // empty for a file
        std::string m_path;
        int m_matches = 0;
        EntryFolderHold m_folder;
        Search m_search = Search::kNone;  // guarded by m_mutex
    };

    bool Serial() const { return m_threads.empty(); }
    void Push(Step step);
    void RunReadySteps();
    void RunHead();
    void Run(const Step& step);
    void TreatWhileSearchesWait(const std::string& path);
    void DropSteps();
    // Waits, on the walking thread, until done; the searches wake it only
    // while it waits.
    template <typename Done>
    void AwaitSearches(std::unique_lock<std::mutex>& lock, const Done& done);
    static Search SearchOf(const Step& step);
    void SearchFiles();

    // The walking thread's.
    std::deque<Step> m_steps;
    std::map<const EntryFolder*, int> m_stepsInFolder;  // one descriptor each
    std::vector<std::thread> m_threads;

    std::mutex m_mutex;
    std::condition_variable m_searchWanted;
    std::condition_variable m_searchEnded;
    std::deque<Step*> m_unsearched;  // in walk order
    int m_searching = 0;
    int m_idle = 0;           // search threads waiting for files
    bool m_awaiting = false;  // the walking thread waits for the searches
    bool m_treating = false;
    bool m_quitting = false;
};
