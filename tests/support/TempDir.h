#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace merivane::test {

// A fresh directory under /tmp, removed with everything in it at the end.
class TempDir {
  public:
    TempDir() {
        // A new name, made by this call alone (create_directory fails on one that exists).
        std::random_device entropy;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path made = std::filesystem::temp_directory_path() /
                                               ("merivane-test-" + std::to_string(entropy()));
            std::error_code ec;
            if (std::filesystem::create_directory(made, ec)) path_ = made;
        }
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

// `size` bytes from `seed`: printable lines of text, or any bytes.
inline std::string MadeUpContent(size_t size, bool binary, unsigned seed) {
    std::mt19937 random(seed);
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        content[i] = binary ? static_cast<char>(random())
                            : (i % 61 == 60 ? '\n' : static_cast<char>(' ' + random() % 95));
    }
    return content;
}

}  // namespace merivane::test
