#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

#include "support/RegularFile.h"
#include "support/ReplacementFile.h"

namespace merivane {
namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 100;

std::string SystemText(DWORD error) {
    char text[256] = "";
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               error, 0, text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) --n;
    return n > 0 ? std::string(text, n) : "error " + std::to_string(error);
}

// A hidden name in the target's folder that no other file has:
// ".merivane-XXXXXXXX.part", created new so that nothing already there is reused.
HANDLE CreateTemporary(const fs::path& folder, fs::path& made) {
    std::random_device entropy;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".merivane-%08x.part", static_cast<unsigned>(entropy()));
        made = folder / name;
        // No sharing while it is written; the folder's ACL (the user's profile
        // grants the user alone) is what the new file gets.
        const HANDLE file = ::CreateFileW(made.wstring().c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target, FileSecrecy secrecy)
    : target_(std::move(target)), secrecy_(secrecy) {}

ReplacementFile::~ReplacementFile() { Discard(); }

// On Windows `error` is a GetLastError() code.
bool ReplacementFile::Fail(int error) {
    error_ = SystemText(static_cast<DWORD>(error));
    Discard();
    return false;
}

void ReplacementFile::CloseFolder() {}

bool ReplacementFile::Write(std::string_view bytes) {
    Discard();
    error_.clear();
    if (!CanSaveTo(target_, &error_)) return false;
    const fs::path target(target_);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    fs::path made;
    const HANDLE file = CreateTemporary(folder, made);
    if (file == INVALID_HANDLE_VALUE) return Fail(static_cast<int>(::GetLastError()));
    temporaryName_ = made.filename().string();
    temporaryPath_ = made.string();
    DWORD error = 0;
    while (error == 0 && !bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr))
            error = ::GetLastError();
        else
            bytes.remove_prefix(written);
    }
    if (error == 0 && !::FlushFileBuffers(file)) error = ::GetLastError();
    if (!::CloseHandle(file) && error == 0) error = ::GetLastError();
    // The secrecy needs nothing more: the new file has the folder's ACL, and a
    // file it replaces takes that ACL too, which in the user's profile is the
    // owner's alone.
    (void)secrecy_;
    return error == 0 ? true : Fail(static_cast<int>(error));
}

bool ReplacementFile::Commit() {
    if (temporaryName_.empty()) {
        error_ = SystemText(ERROR_FILE_NOT_FOUND);
        return false;
    }
    // Replaces the target in one step and returns only once the move is on the disk.
    const fs::path target(target_);
    if (!::MoveFileExW(fs::path(temporaryPath_).wstring().c_str(), target.wstring().c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(static_cast<int>(::GetLastError()));
    temporaryName_.clear();
    temporaryPath_.clear();
    return true;
}

void ReplacementFile::Discard() {
    if (!temporaryPath_.empty()) ::DeleteFileW(fs::path(temporaryPath_).wstring().c_str());
    temporaryName_.clear();
    temporaryPath_.clear();
}

}  // namespace merivane
