#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace merivane::sim {

class DeviceFileSystem;

// The device side of a file upload: command 17 announces the size, 3 repeats
// it, 9 names the destination, 5 opens the data phase, exactly the announced
// number of raw bytes follow and are stored, and 18 closes the transfer with
// the size once more. A step out of order is refused and the steps taken so
// far stay as they are; a new 17 starts over.
class UploadSession {
  public:
    // Largest upload the device takes (its flash is not endless).
    static constexpr size_t kMaxSize = 64u * 1024 * 1024;

    bool Announce(std::string_view sizeText);  // 17
    bool Confirm(std::string_view sizeText);   // 3
    bool Name(std::string_view path);          // 9
    // 5: the number of data bytes that follow now, or nothing when refused.
    std::optional<size_t> Open();
    // The data came: stores it. False when it could not be stored.
    bool Store(std::string data, DeviceFileSystem& files);
    bool Close(std::string_view sizeText);  // 18
    // The data phase broke off: the partial file is dropped.
    void Abort();

    const std::string& Path() const { return path_; }

  private:
    enum class Step { Idle, Announced, Confirmed, Named, Receiving, Stored };
    static std::optional<size_t> ParseSize(std::string_view text);

    Step step_ = Step::Idle;
    size_t size_ = 0;
    std::string path_;
};

}  // namespace merivane::sim
