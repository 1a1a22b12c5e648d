#include "cli/DeviceSession.h"

#include "app/Product.h"
#include "app/Startup.h"
#include "cli/PortDiscovery.h"
#include "support/Interruption.h"

namespace merivane::cli {
namespace {

constexpr char kIdentificationFailed[] = "Unable to communicate with the device";
constexpr char kIdentificationCaption[] = "Device communication error";

std::string ListOf(const std::vector<std::string>& ports) {
    std::string list;
    for (const std::string& port : ports) list += "\n  " + port;
    return list;
}

}  // namespace

// Says on standard error when the transport starts waiting for a vanished device,
// and how the wait ended.
class DeviceSession::WaitNotice : public LinkWatcher {
  public:
    explicit WaitNotice(CliPrompts& prompts) : prompts_(prompts) {}
    void LinkStateChanged(LinkState state, int secondsLeft) override {
        if (state == LinkState::Waiting && !waiting_)
            prompts_.Say(WaitingForDeviceText(secondsLeft));
        if (state == LinkState::Up && waiting_) prompts_.Say("The device is back.");
        // Only a wait that ran out ends in a device that did not come back; one
        // the user interrupted is said so at the end.
        if (state == LinkState::Lost && waiting_ && !InterruptionRequested())
            prompts_.Say("The device did not come back.");
        waiting_ = state == LinkState::Waiting;
    }

  private:
    CliPrompts& prompts_;
    bool waiting_ = false;
};

DeviceSession::DeviceSession(const CliOptions& options, std::unique_ptr<PortSource> source,
                             CliPrompts& prompts, TerminalProgress* progress)
    : options_(options),
      app_(std::move(source)),
      prompts_(prompts),
      executor_(app_.Link(), progress),
      waitNotice_(std::make_unique<WaitNotice>(prompts)) {
    app_.Link().SetWatcher(waitNotice_.get());
    prompts_.SetRetryPointless(
        [this] { return app_.Link().State() == LinkState::Lost || InterruptionRequested(); });
}

DeviceSession::~DeviceSession() {
    End();
    app_.Link().SetWatcher(nullptr);
    prompts_.SetRetryPointless(nullptr);
}

bool DeviceSession::OpenPort(CommandReport& report) {
    Transport& link = app_.Link();
    if (!options_.Port().empty()) {
        if (link.OpenNamedPort(options_.Port())) return true;
        report.Fail(kExitNoDevice,
                    "cannot open " + options_.Port() + ": " +
                        DescribePortError(link.LastPortError(), link.LastPortErrno()));
        return false;
    }
    const Discovery found = DiscoverPorts(link);
    if (found.opened) return true;
    if (found.candidates.size() > 1) {
        report.Fail(kExitNoDevice, "several devices found; choose one with --port or use --all:" +
                                       ListOf(found.candidates));
        return false;
    }
    const std::string why = DetectionProblemDetails(link);
    report.Fail(kExitNoDevice, "no device found" + (why.empty() ? "" : ":\n" + why));
    return false;
}

bool DeviceSession::Start(CommandReport& report) {
    if (std::string why; options_.debug && !app_.StartCommandLog(options_.LogPath(), &why))
        prompts_.Say(CommandLogRefusal(options_.LogPath(), why));
    app_.Documents().Clear();
    app_.Documents().SetZelboPresent(true);
    if (!OpenPort(report)) return false;
    report.SetPort(app_.PortName());

    app_.PauseDeviceConsole();
    paused_ = true;
    g_product = app_.QueryProduct();
    // Interrupted, or gone for the whole wait: the device was never asked properly.
    if (InterruptionRequested()) return false;
    if (app_.Link().State() == LinkState::Lost) {
        report.Fail(kExitFailed, "the device on " + app_.PortName() + " did not come back");
        return false;
    }
    if (g_product.empty()) {
        report.Fail(kExitNoDevice,
                    "the device on " + app_.PortName() + " did not name its product");
        return false;
    }
    report.SetProduct(g_product);
    app_.Identity().status = "Connected (" + app_.PortName() + ")";

    while (!app_.IdentifyDevice(executor_)) {
        // An interrupted run ends without a word about the device (the report says why).
        if (InterruptionRequested()) return false;
        if (prompts_.RetryCancel(kIdentificationFailed, kIdentificationCaption,
                                 Prompts::Icon::Warning) != Prompts::Answer::Retry) {
            report.Fail(kExitFailed, kIdentificationFailed);
            return false;
        }
    }
    return true;
}

void DeviceSession::End() {
    if (paused_ && !restarting_) app_.ResumeDeviceConsole();
    paused_ = false;
    app_.CleanUp();
}

}  // namespace merivane::cli
