#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// A directory below the system's temporary directory, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brevalon-XXXXXX").string();
        if (const char* made = mkdtemp(pattern.data())) {
            path_ = made;
        }
    }
    ~TempDir() {
        if (path_.empty()) {
            return;
        }
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Empty when the directory could not be made.
    const std::filesystem::path& path() const { return path_; }

    // Writes `content` to `relative`, creating the directories above it.
    void write(const std::filesystem::path& relative, std::string_view content) const {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
    }

private:
    std::filesystem::path path_;
};
