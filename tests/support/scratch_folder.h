#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A fresh empty folder under the system's temporary folder, removed with
// everything in it when the object goes: the one place every test tier keeps
// the files it makes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }
    // Names of everything in the folder, UTF-8, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path_;
};
