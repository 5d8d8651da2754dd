#pragma once

#include <memory>

// The folder a walk is listing, held so that its entries can still be named
// through it, from any thread, once the walk has gone on: the file layer then
// resolves an entry by its name in that folder, as it does while the walk is
// inside it, so a folder swapped for a link meanwhile is never followed.
// Where the platform names files by their full path only, a hold carries
// nothing.
class EntryFolder;
using EntryFolderHold = std::shared_ptr<const EntryFolder>;

// A hold on the folder this thread lists innermost; null when there is none
// or no descriptor is left for it, and its entries must be used while the
// walk is still inside it.
EntryFolderHold HoldInnermostFolder();

// While it lives, this thread names the entries directly inside the held
// folder through the hold.
class NamingThrough {
public:
    explicit NamingThrough(const EntryFolderHold& hold);
    ~NamingThrough();
    NamingThrough(const NamingThrough&) = delete;
    NamingThrough& operator=(const NamingThrough&) = delete;

private:
    const EntryFolder* m_previous;
};
