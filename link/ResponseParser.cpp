#include "link/ResponseParser.h"

#include <algorithm>
#include <cstring>

namespace merivane {

namespace {

constexpr std::string_view kPyPrintOpen = "<pyPrint>";
constexpr std::string_view kPyPrintClose = "</pyPrint>";
constexpr std::string_view kUsbOpen = "<usb>";
constexpr std::string_view kUsbClose = "</usb>";

// Removes blocks from `open` up to and including the first `close` after it, in place,
// with the result of repeatedly cutting out the block that starts at the first `open`
// of the current text, until that `open` has no `close` after it (or there is none).
//
// The text is handled as two parts: the kept part text[0, kept), which never contains a
// whole opening tag, and the unread part text[next, end). Cutting a block can join a
// tail of the kept part to the unread part so that a new opening tag forms across the
// join; such a tag starts at most open.size() - 1 bytes before the join and comes before
// any tag inside the unread part, so it is looked for first. Every byte is searched at
// most once apart from that short tail, so the time is linear in the text's length.
//
// When the first opening tag has no closing tag after it, nothing more is removed: a
// later opening tag cannot have a closing tag after it either.
void RemoveBlocks(std::string& text, std::string_view open, std::string_view close) {
    const size_t end = text.size();
    char* data = text.data();
    size_t kept = 0;
    size_t next = 0;
    // Moves the unread bytes [next, upTo) behind the kept part.
    auto keepUpTo = [&](size_t upTo) {
        if (kept != next) std::memmove(data + kept, data + next, upTo - next);
        kept += upTo - next;
        next = upTo;
    };
    const std::string_view view(data, end);
    while (next < end) {
        size_t blockStart = std::string_view::npos;  // the kept part's end once the block is cut
        size_t openEnd = 0;                          // just past the opening tag
        // A tag that starts k bytes before the join, earliest start first.
        for (size_t k = std::min(kept, open.size() - 1); k >= 1; --k) {
            const size_t rest = open.size() - k;
            if (end - next >= rest && view.substr(kept - k, k) == open.substr(0, k) &&
                view.substr(next, rest) == open.substr(k)) {
                blockStart = kept - k;
                openEnd = next + rest;
                break;
            }
        }
        if (blockStart == std::string_view::npos) {
            const size_t openAt = view.find(open, next);
            if (openAt == std::string_view::npos) break;
            keepUpTo(openAt);
            blockStart = kept;
            openEnd = openAt + open.size();
        }
        const size_t closeAt = view.find(close, openEnd);
        if (closeAt == std::string_view::npos) break;
        kept = blockStart;
        next = closeAt + close.size();
    }
    keepUpTo(end);
    text.resize(kept);
}

// A status ending at the very end of an answer and the verdict it stands for.
struct StatusEnding {
    std::string_view text;
    bool success;
};

// Tried in this order; the first that matches is cut off.
constexpr StatusEnding kStatusEndings[] = {
    {"OK\r\n", true},
    {"SLEEP", true},
    {"ERROR\r\n", false},
    {"\r\n\x06\r\n", true},  // the acknowledgement line
};

constexpr std::string_view kTrimmed = " \r\n";

}  // namespace

bool ParseAnswer(std::string_view command, std::string_view raw, size_t outSize,
                 std::string& parsed) {
    std::string text(raw.substr(0, std::min(raw.find('\0'), raw.size())));
    RemoveBlocks(text, kPyPrintOpen, kPyPrintClose);
    RemoveBlocks(text, kUsbOpen, kUsbClose);

    std::string_view rest(text);
    bool verdict = true;
    for (const StatusEnding& status : kStatusEndings) {
        if (rest.ends_with(status.text)) {
            rest.remove_suffix(status.text.size());
            verdict = status.success;
            break;
        }
    }
    // The status is cut first, so an answer with and without the echo reads the same.
    if (rest.starts_with(command)) rest.remove_prefix(command.size());

    const size_t first = rest.find_first_not_of(kTrimmed);
    if (first == std::string_view::npos) {
        rest = {};
    } else {
        rest = rest.substr(first, rest.find_last_not_of(kTrimmed) - first + 1);
    }

    const size_t room = outSize == 0 ? 0 : outSize - 1;
    parsed.assign(rest.substr(0, std::min(room, rest.size())));
    return verdict;
}

}  // namespace merivane
