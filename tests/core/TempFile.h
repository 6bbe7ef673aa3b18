#pragma once
// A file of given bytes in the temporary folder, removed when it goes.

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <utility>

class TempFile {
public:
    // suffix: the end of the file's name, such as ".gz".
    explicit TempFile(const std::string& bytes, const std::string& suffix = "")
        : path_(std::filesystem::temp_directory_path()
                / ("tallir-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + suffix))
    {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TempFile()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    std::string path() const { return path_.string(); }

private:
    static inline int counter = 0;
    std::filesystem::path path_;
};

// The ways a file changes under its reader: cut short, grown, or replaced by another.
inline const std::pair<const char*, std::function<void(const std::string&)>> FileChanges[] = {
    {"cut short", [](const std::string& path) { std::filesystem::resize_file(path, 1000); }},
    {"grown", [](const std::string& path) { std::ofstream(path, std::ios::app) << "4 5 6\n"; }},
    {"replaced", [](const std::string& path) {
         std::ofstream(path + ".new") << "7 8\n";
         std::filesystem::rename(path + ".new", path);
     }},
};
