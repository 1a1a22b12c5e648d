#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merivane::sim {

// The misbehaviour switched on for a device, at start or at run time.
//
// Spec syntax (the devsim --fault argument): NAME or NAME:ARG.
//   silent:CMD            never answer commands that contain CMD
//   error:CMD             answer ERROR to commands that contain CMD
//   echo-only:CMD         echo commands that contain CMD and say nothing more
//   bad-xml:CMD           answer unparsable XML to commands that contain CMD
//   huge:CMD              answer more than 10 MB to commands that contain CMD
//   garbage               random bytes after every answer
//   split                 answers in writes of 1 to 7 bytes with small pauses
//   slow:MS               every answer comes MS product milliseconds late
//   unplug-after-bytes:N  the next upload's data phase unplugs after N bytes
//   corrupt-upload        the next upload is stored with one byte flipped
//   corrupt-download      the next file fetched carries one changed byte
//   stall-upload:MS       the next upload's data stops being read for MS real
//                         milliseconds after its first bytes (a stuck line)
//   chatter-forever       console lines that never stop, paused or not
//   other-file:PATH       file fetches answer with the file named PATH instead
//   longer-download:N     files fetched carry N bytes more than the list says
//   unlisted:NAME         file lists leave out the file NAME, which stays stored
//   extra-operations      the settings answer carries further operations beside
//                         its settings and a command line after its document
//   hostile-text          identity answers carry terminal escape sequences,
//                         line feeds and bidirectional overrides
// CMD is matched as a substring of the command line, ignoring case.
// Safe to use from several threads.
class FaultPlan {
  public:
    enum class Kind {
        Silent,
        Error,
        EchoOnly,
        BadXml,
        Huge,
        Garbage,
        Split,
        Slow,
        UnplugAfterBytes,
        CorruptUpload,
        CorruptDownload,
        StallUpload,
        ChatterForever,
        OtherFile,
        Unlisted,
        LongerDownload,
        ExtraOperations,
        HostileText,
    };

    // Adds one fault; false (and nothing added) for a spec that is not understood.
    bool Add(const std::string& spec);
    void Clear();

    // The first command-bound fault (silent, echo-only, error, bad-xml, huge,
    // in that order of precedence) whose CMD the command contains.
    std::optional<Kind> ForCommand(std::string_view command) const;
    bool Has(Kind kind) const;
    // The number of a numeric fault (slow, unplug-after-bytes, stall-upload), if switched on.
    std::optional<uint64_t> Number(Kind kind) const;
    // The text of a fault whose argument is a text (other-file), if switched on.
    std::optional<std::string> Text(Kind kind) const;
    // Removes a one-shot fault (unplug-after-bytes, corrupt-upload,
    // corrupt-download, stall-upload) and says
    // whether it was there.
    bool Take(Kind kind);

  private:
    struct Fault {
        Kind kind;
        std::string command;
        uint64_t number = 0;
    };
    static std::optional<Fault> Parse(const std::string& spec);

    mutable std::mutex mutex_;
    std::vector<Fault> faults_;
};

}  // namespace merivane::sim
