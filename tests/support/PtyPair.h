#pragma once

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace merivane::test {

// A pseudo-terminal whose slave path stands in for a serial port. The slave
// side is kept open here too, so the master does not report hang-up while
// the port under test is closed.
class PtyPair {
  public:
    PtyPair() {
        char name[256] = "";
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        path_ = name;
    }
    ~PtyPair() {
        if (master_ >= 0) ::close(master_);
        if (slave_ >= 0) ::close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return !path_.empty(); }
    const std::string& SlavePath() const { return path_; }
    int Master() const { return master_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace merivane::test
