#include "sim/UploadSession.h"

#include <charconv>

#include "sim/DeviceFileSystem.h"

namespace merivane::sim {

std::optional<size_t> UploadSession::ParseSize(std::string_view text) {
    size_t size = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (ec != std::errc() || end != text.data() + text.size() || size > kMaxSize)
        return std::nullopt;
    return size;
}

bool UploadSession::Announce(std::string_view sizeText) {
    const std::optional<size_t> size = ParseSize(sizeText);
    if (!size) {
        step_ = Step::Idle;
        return false;
    }
    size_ = *size;
    path_.clear();
    step_ = Step::Announced;
    return true;
}

bool UploadSession::Confirm(std::string_view sizeText) {
    if (step_ != Step::Announced || ParseSize(sizeText) != size_) return false;
    step_ = Step::Confirmed;
    return true;
}

bool UploadSession::Name(std::string_view path) {
    const std::optional<std::string> clean = DeviceFileSystem::Normalize(path);
    if ((step_ != Step::Confirmed && step_ != Step::Named) || !clean || *clean == "/") return false;
    path_ = *clean;
    step_ = Step::Named;
    return true;
}

std::optional<size_t> UploadSession::Open() {
    if (step_ != Step::Named) return std::nullopt;
    step_ = Step::Receiving;
    return size_;
}

bool UploadSession::Store(std::string data, DeviceFileSystem& files) {
    if (step_ != Step::Receiving || data.size() != size_) return false;
    if (!files.Write(path_, std::move(data))) {
        step_ = Step::Idle;
        return false;
    }
    step_ = Step::Stored;
    return true;
}

bool UploadSession::Close(std::string_view sizeText) {
    const bool ok = step_ == Step::Stored && ParseSize(sizeText) == size_;
    step_ = Step::Idle;
    return ok;
}

void UploadSession::Abort() {
    if (step_ == Step::Receiving) step_ = Step::Idle;
}

}  // namespace merivane::sim
