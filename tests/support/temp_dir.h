#pragma once

#include <filesystem>
#include <string>

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The path of name ('/' between folders) inside the folder, in the platform's own form.
    std::string Path(const std::string& name) const;
    // Creates the file name with exactly these bytes; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    // Every entry of the folder, sorted, so a test can see what was left.
    std::string Listing() const;

    const std::filesystem::path& Root() const { return m_root; }

private:
    std::filesystem::path m_root;
};

std::string ReadBytes(const std::string& path);
