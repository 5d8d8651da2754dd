#pragma once

#include <string>
#include <vector>

// A tree of files on the sandbox's drive C:, where a scan of every drive finds it; removed
// with everything in it afterwards.
class SiteTree {
public:
    SiteTree();
    ~SiteTree();
    SiteTree(const SiteTree&) = delete;
    SiteTree& operator=(const SiteTree&) = delete;

    // The full path of relative, a path below the tree's root.
    std::string Path(const std::string& relative) const;
    // Creates the file with exactly these bytes, and its folders; returns its full path.
    std::string Write(const std::string& relative, const std::string& bytes) const;
    // Every file of the tree in the order in which the platform lists them, folders walked
    // where they are met: the order of a scan.
    std::vector<std::string> FilesInWalkOrder() const;

private:
    std::string m_root;
};

std::string ReadWholeFile(const std::string& path);
