#include "sim/SimulatedDevice.h"

#include <libxml/parser.h>
#include <poll.h>

#include <algorithm>
#include <utility>

#include "sim/FaultyAnswers.h"

namespace merivane::sim {
namespace {

// Real milliseconds of quiet after which a "\r" (or a document's end) with
// nothing behind it is taken as the end of the command.
constexpr uint64_t kLineEndGraceMs = 30;
// Between a hang-up of a served terminal and the next attempt to open it.
constexpr uint64_t kTtyReopenMs = 250;
// Product milliseconds without input after which unfinished upload data or
// an unfinished bare document is given up.
constexpr uint64_t kInputIdleMs = 10000;
// How long a restarting device waits for the tool to read its last answer.
constexpr uint64_t kDrainMs = 2000;

}  // namespace

SimulatedDevice::SimulatedDevice(DeviceOptions options)
    : options_(std::move(options)),
      endpoint_(options_.linkPath, options_.ttyPath),
      waiter_(wake_, [this] { return ShouldAbort(); }),
      writer_(endpoint_, waiter_, log_, faults_),
      model_(options_),
      dispatcher_(options_, model_) {}

SimulatedDevice::~SimulatedDevice() { Stop(); }

bool SimulatedDevice::ShouldAbort() const { return stopping_.load() || controlsQueued_.load() > 0; }

bool SimulatedDevice::Start() {
    if (running_.load() || options_.linkPath.empty() || !wake_.IsValid()) return false;
    // The XML library sets itself up once, before a second thread uses it.
    xmlInitParser();
    for (const std::string& spec : options_.faults) {
        if (!faults_.Add(spec)) return false;
    }
    if (!options_.logPath.empty() && !log_.IsOpen() && !log_.Open(options_.logPath)) return false;
    {
        std::lock_guard lock(modelMutex_);
        if (!model_.Load()) return false;
    }
    DoPlug();
    if (!plugged_.load()) return false;
    stopping_ = false;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void SimulatedDevice::Stop() {
    if (running_.exchange(false)) {
        stopping_ = true;
        wake_.Notify();
        thread_.join();
        // Anyone still waiting for a control request gets released.
        std::lock_guard lock(controlMutex_);
        controlsServed_ += controls_.size();
        controls_.clear();
        controlsQueued_ = 0;
        controlDone_.notify_all();
    }
    DoUnplug();
    replugAt_.reset();
}

bool SimulatedDevice::AddFault(const std::string& spec) { return faults_.Add(spec); }

void SimulatedDevice::ClearFaults() { faults_.Clear(); }

void SimulatedDevice::Unplug() { RunControl(Control::Unplug); }

void SimulatedDevice::Plug() { RunControl(Control::Plug); }

void SimulatedDevice::RunControl(Control control) {
    if (!running_.load()) {
        if (control == Control::Unplug) {
            DoUnplug();
        } else if (!plugged_.load()) {
            DoPlug();
        }
        return;
    }
    std::unique_lock lock(controlMutex_);
    controls_.push_back(control);
    ++controlsQueued_;
    const uint64_t ticket = controlsServed_ + controls_.size();
    wake_.Notify();
    controlDone_.wait(lock, [&] { return controlsServed_ >= ticket || !running_.load(); });
}

void SimulatedDevice::ServeControls() {
    std::unique_lock lock(controlMutex_);
    while (!controls_.empty()) {
        const Control control = controls_.front();
        controls_.pop_front();
        --controlsQueued_;
        lock.unlock();
        if (control == Control::Unplug) {
            DoUnplug();
            replugAt_.reset();
        } else if (!plugged_.load()) {
            ComeBack();
        }
        lock.lock();
        ++controlsServed_;
        controlDone_.notify_all();
    }
}

uint64_t SimulatedDevice::PlugCount() const {
    std::lock_guard lock(plugMutex_);
    return plugCount_;
}

bool SimulatedDevice::WaitForPlugCount(uint64_t count, int realTimeoutMs) const {
    std::unique_lock lock(plugMutex_);
    return plugChanged_.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                                 [&] { return plugCount_ >= count && plugged_.load(); });
}

std::vector<std::string> SimulatedDevice::ReceivedCommands() const {
    std::lock_guard lock(commandsMutex_);
    return commands_;
}

void SimulatedDevice::ClearReceivedCommands() {
    std::lock_guard lock(commandsMutex_);
    commands_.clear();
    handled_.clear();
}

bool SimulatedDevice::WaitForCommand(const std::string& command, int realTimeoutMs) const {
    std::unique_lock lock(commandsMutex_);
    return commandDone_.wait_for(lock, std::chrono::milliseconds(realTimeoutMs), [&] {
        return std::find(handled_.begin(), handled_.end(), command) != handled_.end();
    });
}

std::optional<std::string> SimulatedDevice::Value(Document which, const std::string& path) const {
    std::lock_guard lock(modelMutex_);
    return model_.Value(which, path);
}

bool SimulatedDevice::SetValue(Document which, const std::string& path, const std::string& value) {
    std::lock_guard lock(modelMutex_);
    const bool ok = model_.SetValue(which, path, value);
    model_.SaveIfChanged();
    return ok;
}

std::string SimulatedDevice::FirmwareVersion() const {
    return StateValue("device_info/firmware").value_or("");
}

std::optional<std::string> SimulatedDevice::FileContents(const std::string& path) const {
    std::lock_guard lock(modelMutex_);
    return model_.Files().Read(path);
}

bool SimulatedDevice::PutFile(const std::string& path, const std::string& data) {
    std::lock_guard lock(modelMutex_);
    return model_.Files().Write(path, data);
}

bool SimulatedDevice::RemoveFile(const std::string& path) {
    std::lock_guard lock(modelMutex_);
    return model_.Files().Remove(path);
}

std::vector<std::string> SimulatedDevice::FileNames(const std::string& folder) const {
    std::lock_guard lock(modelMutex_);
    std::vector<std::string> names;
    if (const auto entries = model_.Files().List(folder)) {
        for (const DeviceFileSystem::Entry& entry : *entries) {
            if (!entry.folder) names.push_back(entry.name);
        }
    }
    return names;
}

void SimulatedDevice::DoPlug() {
    if (!endpoint_.Open()) {
        log_.Note("could not open a terminal behind " + options_.linkPath);
        // An existing terminal may be back in a moment (a gadget being rebound).
        if (endpoint_.ServesTty()) replugAt_ = TheClock().NowMs() + kTtyReopenMs;
        return;
    }
    framer_.Reset();
    {
        std::lock_guard lock(modelMutex_);
        dispatcher_.Restarted();
        if (!options_.console) dispatcher_.PauseConsole();
        consolePaused_ = dispatcher_.ConsolePaused();
    }
    unplugAfterBytes_.reset();
    nextConsoleAt_ = TheClock().NowMs() + ConsoleChatter::kConsoleIntervalMs;
    log_.Note("plugged in as " + endpoint_.SlavePath());
    {
        std::lock_guard lock(plugMutex_);
        ++plugCount_;
        plugged_ = true;
    }
    plugChanged_.notify_all();
}

void SimulatedDevice::ComeBack() {
    const std::string firmware = std::move(pendingFirmware_);
    pendingFirmware_.clear();
    replugAt_.reset();
    if (!firmware.empty()) {
        std::lock_guard lock(modelMutex_);
        dispatcher_.FirmwareApplied(firmware);
        model_.SaveIfChanged();
    }
    DoPlug();
}

void SimulatedDevice::DoUnplug() {
    if (!endpoint_.IsOpen()) return;
    endpoint_.Close();
    framer_.Reset();
    garbageDue_ = false;
    log_.Note("unplugged");
    {
        std::lock_guard lock(plugMutex_);
        plugged_ = false;
    }
    plugChanged_.notify_all();
}

void SimulatedDevice::Run() {
    while (!stopping_.load()) {
        ServeControls();
        if (!endpoint_.IsOpen()) {
            WaitWhileUnplugged();
            continue;
        }
        bool gotData = false;
        ReadInput(gotData);
        if (!endpoint_.IsOpen()) continue;
        const bool settled = !gotData && framer_.EndPending() &&
                             Clock::RealNowMs() - lastInputRealMs_ >= kLineEndGraceMs;
        ProcessFrames(settled);
        if (!endpoint_.IsOpen()) continue;
        CheckIdleInput();
        SendGarbage();
        TalkOnConsole();
    }
}

void SimulatedDevice::SendGarbage() {
    // Between answers: as soon as the tool has taken in the last one, before
    // it sends its next command.
    if (!garbageDue_) return;
    if (!writer_.AllReadByPeer()) {
        if (garbageLimit_.Passed()) garbageDue_ = false;
        return;
    }
    garbageDue_ = false;
    writer_.WriteIfRoom(writer_.Garbage(16));
}

void SimulatedDevice::WaitWhileUnplugged() {
    Clock& clock = TheClock();
    int realMs = Waiter::kMaxPollMs;
    if (replugAt_) {
        const uint64_t now = clock.NowMs();
        if (now >= *replugAt_) {
            ComeBack();
            return;
        }
        realMs = std::min(
            realMs, clock.RealMs(static_cast<int>(std::min<uint64_t>(*replugAt_ - now, 1u << 30))));
    }
    waiter_.WaitFd(-1, 0, realMs);
}

void SimulatedDevice::ReadInput(bool& gotData) {
    if (framer_.InDataPhase() && framer_.DataReceived() > 0) StallUploadOnce();
    Clock& clock = TheClock();
    int realMs = Waiter::kMaxPollMs;
    if (framer_.EndPending()) realMs = static_cast<int>(kLineEndGraceMs);
    if (garbageDue_) realMs = 2;
    const bool consoleOn =
        !dispatcher_.ConsolePaused() || faults_.Has(FaultPlan::Kind::ChatterForever);
    if (consoleOn) {
        const uint64_t now = clock.NowMs();
        const uint64_t left = nextConsoleAt_ > now ? nextConsoleAt_ - now : 0;
        realMs = std::min(
            realMs,
            std::max(1, clock.RealMs(static_cast<int>(std::min<uint64_t>(left, 1u << 30)))));
    }
    if (waiter_.WaitFd(endpoint_.MasterFd(), POLLIN, realMs) != Waiter::Result::Ready) return;

    char buffer[65536];
    const long n = endpoint_.Read(buffer, sizeof buffer);
    if (n < 0) {
        // The master failed under us: nothing more can be said on this line.
        log_.Note("the terminal failed or hung up");
        DoUnplug();
        // A hung-up terminal of our own is opened again: the next host to attach finds us.
        if (endpoint_.ServesTty()) replugAt_ = TheClock().NowMs() + kTtyReopenMs;
        return;
    }
    if (n == 0) {
        // Readable but empty: do not come straight back to the poll.
        waiter_.WaitFd(-1, 0, 5);
        return;
    }
    log_.Received(std::string_view(buffer, static_cast<size_t>(n)));
    framer_.Feed(buffer, static_cast<size_t>(n));
    gotData = true;
    garbageDue_ = false;
    lastInputRealMs_ = Clock::RealNowMs();
    inputIdle_ = Deadline(kInputIdleMs, true);

    if (unplugAfterBytes_ && framer_.InDataPhase() &&
        framer_.DataReceived() >= *unplugAfterBytes_) {
        log_.Note("unplugging in the middle of the upload");
        {
            std::lock_guard lock(modelMutex_);
            dispatcher_.AbortUpload();
        }
        RestartLater({});
    }
}

void SimulatedDevice::StallUploadOnce() {
    const std::optional<uint64_t> stallMs = faults_.Number(FaultPlan::Kind::StallUpload);
    if (!stallMs || !faults_.Take(FaultPlan::Kind::StallUpload)) return;
    log_.Note("upload data not read for a while");
    // Real time: what fills up is the system's line buffer, and what runs out
    // is the sender's real-time write deadline.
    const uint64_t until = Clock::RealNowMs() + *stallMs;
    while (Clock::RealNowMs() < until) {
        const int left =
            static_cast<int>(std::min<uint64_t>(until - Clock::RealNowMs(), Waiter::kMaxPollMs));
        if (waiter_.WaitFd(-1, 0, left) == Waiter::Result::Aborted) return;
    }
    inputIdle_ = Deadline(kInputIdleMs, true);
}

void SimulatedDevice::ProcessFrames(bool settled) {
    while (endpoint_.IsOpen() && !stopping_.load()) {
        std::optional<Frame> frame = framer_.Next(settled);
        if (!frame) return;
        Respond(std::move(*frame));
    }
}

void SimulatedDevice::CheckIdleInput() {
    if (!framer_.InDataPhase() && !framer_.DocumentPartial()) return;
    if (!inputIdle_.Passed()) return;
    if (framer_.InDataPhase()) {
        log_.Note("upload data stopped coming; upload dropped");
        framer_.AbandonData();
        unplugAfterBytes_.reset();
        {
            std::lock_guard lock(modelMutex_);
            dispatcher_.AbortUpload();
        }
        writer_.Write(Reply::Error().StatusText());
        return;
    }
    if (std::optional<Frame> frame = framer_.TakePartialDocument()) Respond(std::move(*frame));
}

void SimulatedDevice::TalkOnConsole() {
    const bool forever = faults_.Has(FaultPlan::Kind::ChatterForever);
    if (dispatcher_.ConsolePaused() && !forever) return;
    const uint64_t now = TheClock().NowMs();
    if (now < nextConsoleAt_) return;
    writer_.WriteIfRoom(chatter_.NextLine());
    nextConsoleAt_ =
        now + (forever ? ConsoleChatter::kForeverIntervalMs : ConsoleChatter::kConsoleIntervalMs);
}

void SimulatedDevice::Respond(Frame frame) {
    const bool command = frame.kind != Frame::Kind::UploadData;
    const std::string text = command ? frame.text : std::string();
    Answer(std::move(frame));
    if (!command) return;
    {
        std::lock_guard lock(commandsMutex_);
        handled_.push_back(text);
    }
    commandDone_.notify_all();
}

void SimulatedDevice::Answer(Frame frame) {
    std::optional<FaultPlan::Kind> fault;
    if (frame.kind != Frame::Kind::UploadData) {
        {
            std::lock_guard lock(commandsMutex_);
            commands_.push_back(frame.text);
        }
        // Whole, where the received bytes may come in several reads: what a test of the
        // program reads to learn which requests reached the device.
        log_.Note("command " + TrafficLog::Escape(frame.text));
        fault = faults_.ForCommand(frame.text);
    } else {
        unplugAfterBytes_.reset();
        if (!frame.text.empty() && faults_.Take(FaultPlan::Kind::CorruptUpload)) {
            frame.text[frame.text.size() / 2] ^= static_cast<char>(0xff);
            log_.Note("upload stored with one byte flipped");
        }
    }
    if (fault == FaultPlan::Kind::Silent) return;

    const bool echo = frame.kind != Frame::Kind::UploadData &&
                      (options_.echo || fault == FaultPlan::Kind::EchoOnly);
    if (echo && !writer_.Write(frame.raw)) return;
    if (fault == FaultPlan::Kind::EchoOnly) return;

    Reply reply;
    if (fault == FaultPlan::Kind::Error) {
        reply = Reply::Error();
    } else {
        std::lock_guard lock(modelMutex_);
        reply = dispatcher_.Handle(frame);
        model_.SaveIfChanged();
        consolePaused_ = dispatcher_.ConsolePaused();
    }
    if (fault == FaultPlan::Kind::BadXml) reply.body = BrokenXml(reply.body);
    if (fault == FaultPlan::Kind::Huge) reply.body = HugeFiller() + reply.body;
    if (reply.body.find("<get_file") != std::string::npos &&
        faults_.Has(FaultPlan::Kind::CorruptDownload) && CorruptFileContent(reply.body)) {
        faults_.Take(FaultPlan::Kind::CorruptDownload);
        log_.Note("file content sent with one byte changed");
    }
    ShapeHostileAnswer(frame.text, reply);

    const std::optional<uint64_t> slow = faults_.Number(FaultPlan::Kind::Slow);
    if ((!slow || waiter_.Sleep(*slow)) && writer_.Write(Compose(reply))) {
        garbageDue_ = faults_.Has(FaultPlan::Kind::Garbage);
        garbageLimit_ = Deadline(kDrainMs, true);
    }
    // The device has acted on the command whether or not its answer got out.
    Follow(reply);
}

void SimulatedDevice::ShapeHostileAnswer(const std::string& command, Reply& reply) {
    if (const auto path = faults_.Text(FaultPlan::Kind::OtherFile);
        path && RenameFetchedFile(reply.body, *path))
        log_.Note("file answer names " + TrafficLog::Escape(*path));
    if (const auto name = faults_.Text(FaultPlan::Kind::Unlisted);
        name && LeaveOutOfList(reply.body, *name))
        log_.Note("file list leaves out " + TrafficLog::Escape(*name));
    if (const auto extra = faults_.Number(FaultPlan::Kind::LongerDownload);
        extra && LengthenFetchedFile(reply.body, *extra))
        log_.Note("file answer lengthened");
    if (faults_.Has(FaultPlan::Kind::ExtraOperations) && !reply.chatterBehind &&
        AddForeignOperations(reply.body))
        log_.Note("settings answer carries foreign operations");
    const std::string upper = UpperAscii(command);
    if (faults_.Has(FaultPlan::Kind::HostileText) &&
        (upper == "AT+CGSN" || upper == "AT+CIMI" || upper == "AT+CGMR"))
        reply = Reply::Lines({kHostileText});
}

std::string SimulatedDevice::Compose(const Reply& reply) {
    std::string blocks;
    if (options_.chatter) blocks = chatter_.PyPrintBlock() + chatter_.UsbBlock();
    std::string out;
    out.reserve(reply.body.size() + blocks.size() + 16);
    if (!reply.chatterBehind) out += blocks;
    out += reply.body;
    if (reply.chatterBehind) out += blocks;
    out += reply.StatusText();
    return out;
}

void SimulatedDevice::Follow(const Reply& reply) {
    switch (reply.then) {
        case Reply::Then::Nothing:
            return;
        case Reply::Then::ExpectDocument:
            framer_.ExpectDocument();
            inputIdle_ = Deadline(kInputIdleMs, true);
            return;
        case Reply::Then::ExpectData:
            framer_.ExpectData(reply.dataSize);
            inputIdle_ = Deadline(kInputIdleMs, true);
            if (faults_.Has(FaultPlan::Kind::UnplugAfterBytes)) {
                unplugAfterBytes_ = faults_.Number(FaultPlan::Kind::UnplugAfterBytes);
                faults_.Take(FaultPlan::Kind::UnplugAfterBytes);
            }
            return;
        case Reply::Then::Reboot:
            RestartLater({});
            return;
        case Reply::Then::UpdateFirmware:
            RestartLater(reply.firmware);
            return;
    }
}

void SimulatedDevice::RestartLater(const std::string& firmware) {
    // Let the tool read what was said before the line goes.
    const Deadline drain(kDrainMs, true);
    while (!writer_.AllReadByPeer() && !drain.Passed()) {
        if (waiter_.WaitFd(-1, 0, 2) == Waiter::Result::Aborted) break;
    }
    DoUnplug();
    pendingFirmware_ = firmware;
    replugAt_ = TheClock().NowMs() + options_.restartMs;
}

}  // namespace merivane::sim
