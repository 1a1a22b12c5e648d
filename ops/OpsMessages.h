#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace merivane {

// Captions and texts that several device operations show.
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kEnterFilenameCaption[] = "Please enter a filename";

// A digest mismatch after uploading a firmware image (device or mesh radio): the local
// digest, then what the device answered.
inline constexpr char kImageMismatchPattern[] =
    "File upload failed.  MD5 sum should have been %s, but came back as %s.\r\n"
    "Select Retry to attempt the file upload again.";

// Said when a restore or the factory defaults leave the tool without device settings.
inline constexpr char kSettingsNotReadBack[] =
    "The device did not send back its settings. Press Refresh on the Device Information page "
    "to read them again.";

// `pattern` with each "%s", in order, replaced by the next of `values`; a "%s" without a
// value is dropped. No other sequence is special, so texts from the device or the user
// cannot act as format directives.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

// What the device answered, fit to quote in a message: at most kExcerptChars
// characters (then "..."), control characters written as \r, \n, \t or \xNN, and
// "nothing (the device did not answer)" for an empty answer. The command log keeps
// the whole answer.
inline constexpr size_t kExcerptChars = 200;
std::string DeviceAnswerExcerpt(std::string_view answer);

// A local file that cannot be read, or not as a whole: the path, then the reason.
inline constexpr char kCannotReadFilePattern[] = "The file %s cannot be read (%s).";

// A local file whose name cannot be used on the device: `name`, then the reason.
std::string CannotSendFileText(const std::string& name, const std::string& why);

}  // namespace merivane
