#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The operating-system calls of the text files, one backend per platform.
// Every failure raises CFileException, except the open for reading, which
// answers by its result.

// Whether a file open for reading keeps every other open out: true on
// Windows, where it is opened without sharing, so that while it is open no
// other process or thread can open it, and the open fails while another
// holds it; false elsewhere, where reading takes no lock.
extern const bool kReadingKeepsOthersOut;

// A file opened for reading. Safe from any thread, each with files of its own.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile();  // closes a file still open, without raising

    bool Open(const std::string& path);
    // 0 at the end. A read that fills less than the buffer reached the end,
    // so the next one gives 0 without asking the system.
    std::size_t Read(char* buffer, std::size_t size);
    void Rewind();  // reads from the start again; a failure is a read failure
    void Close();

private:
    std::intptr_t m_handle = -1;
    bool m_atEnd = false;
};

// A new version of a file, written to a temporary file in the same folder
// and put in the file's place by Commit. Destroyed without Commit, it
// removes the temporary file and leaves the original as it was. On POSIX a
// symbolic link stays a link and its target gets the new content; on
// Windows the path is taken as given.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& path);  // creates the temporary file
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();

    void Write(const char* data, std::size_t size);
    void Commit();  // flushes to disk, closes, replaces the original

private:
    void CreateTemporary();
    // Runs step; when it raises, discards the new version first.
    template <typename Step>
    void DiscardOnFailure(const Step& step);
    void Discard() noexcept;

    std::string m_target;     // the file that is replaced
    std::string m_name;       // its full path, for failures
    std::string m_temporary;  // the new content until Commit
    std::intptr_t m_handle = -1;
};
