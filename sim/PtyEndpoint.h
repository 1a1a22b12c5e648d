#pragma once

#include <cstddef>
#include <string>

namespace merivane::sim {

// The device end of a pseudo-terminal, published under a stable symbolic link.
//
// The slave side is put in raw mode at once (its default echo would feed the
// device its own output) and one slave descriptor stays open for as long as
// the endpoint is open: without it the master reports a hang-up whenever the
// tool closes its side, and a poll on it would spin. Closing the endpoint
// closes both descriptors and removes the link, which is what the tool sees
// when a USB device vanishes; opening it again puts a new pseudo-terminal
// behind the same link.
//
// Given an existing terminal (a USB gadget's serial port), the endpoint opens
// that in raw mode instead and publishes no link: the host side's name is the
// kernel's business there.
class PtyEndpoint {
  public:
    explicit PtyEndpoint(std::string linkPath, std::string ttyPath = {});
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Opens a new pseudo-terminal and points the link at its slave (a new
    // link renamed over the old one, so the name never dangles half-made).
    bool Open();
    // Closes both sides and removes the link if it still points at our slave.
    void Close();
    bool IsOpen() const { return master_ >= 0; }
    // True when serving an existing terminal rather than a pseudo-terminal of our own.
    bool ServesTty() const { return !ttyPath_.empty(); }

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& LinkPath() const { return linkPath_; }

    // Reads what the tool wrote, without waiting. Bytes read, 0 when nothing
    // is waiting, -1 when the master failed.
    long Read(char* buffer, size_t max);
    // Writes without waiting. Bytes written, 0 when the line is full, -1 on failure.
    long Write(const char* data, size_t size);
    // Bytes written by the device that the tool has not read yet.
    size_t UnreadByPeer() const;

  private:
    bool PublishLink();
    bool OpenTty();

    std::string linkPath_;
    std::string slavePath_;
    std::string ttyPath_;
    int master_ = -1;
    int slave_ = -1;
};

}  // namespace merivane::sim
