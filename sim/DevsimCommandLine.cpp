#include "sim/DevsimCommandLine.h"

#include "sim/FaultPlan.h"

namespace merivane::sim {

const char* DevsimCommandLine::Usage() {
    return "usage: merivane-devsim --link PATH [--product brivel|korvane] [--no-radio] "
           "[--no-echo]\n"
           "                       [--chatter] [--autostart on|off] [--state-dir DIR] [--log "
           "FILE]\n"
           "                       [--fault SPEC]... [--no-sim] [--quiet-console] [--signal-walk]\n"
           "faults: silent:CMD error:CMD echo-only:CMD bad-xml:CMD huge:CMD garbage split slow:MS\n"
           "        unplug-after-bytes:N corrupt-upload corrupt-download\n"
           "        stall-upload:MS chatter-forever\n"
           "signals: SIGUSR1 unplugs the device, SIGUSR2 plugs it in again (a new terminal\n"
           "         behind the same link)\n"
           "MERIVANE_TIME_SCALE=N runs the device's delays N times faster\n";
}

bool DevsimCommandLine::Parse(const std::vector<std::string>& args, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const size_t eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto flag = [&](bool& out, bool set) {
            if (inlineValue) {
                error = name + " takes no value";
                return false;
            }
            out = set;
            return true;
        };
        std::string text;
        bool ok = true;
        if (name == "--link") {
            ok = value(options.linkPath);
        } else if (name == "--product") {
            ok = value(text);
            if (ok && text == "brivel") {
                options.product = Product::Brivel;
            } else if (ok && text == "korvane") {
                options.product = Product::Korvane;
            } else if (ok) {
                error = "--product must be brivel or korvane";
                ok = false;
            }
        } else if (name == "--no-radio") {
            ok = flag(options.radio, false);
        } else if (name == "--no-echo") {
            ok = flag(options.echo, false);
        } else if (name == "--chatter") {
            ok = flag(options.chatter, true);
        } else if (name == "--signal-walk") {
            ok = flag(options.signalWalk, true);
        } else if (name == "--no-sim") {
            ok = flag(options.sim, false);
        } else if (name == "--quiet-console") {
            ok = flag(options.console, false);
        } else if (name == "--autostart") {
            ok = value(text);
            if (ok && (text == "on" || text == "off")) {
                autostart = text == "on";
                options.autostart = *autostart;
            } else if (ok) {
                error = "--autostart must be on or off";
                ok = false;
            }
        } else if (name == "--state-dir") {
            ok = value(options.stateDir);
        } else if (name == "--log") {
            ok = value(options.logPath);
        } else if (name == "--fault") {
            ok = value(text);
            if (ok && !FaultPlan().Add(text)) {
                error = "unknown fault: " + text;
                ok = false;
            }
            if (ok) options.faults.push_back(text);
        } else if (name == "--help" || name == "-h") {
            help = true;
        } else {
            error = "unknown option: " + args[i];
            ok = false;
        }
        if (!ok) return false;
    }
    if (!help && options.linkPath.empty()) {
        error = "--link PATH is required";
        return false;
    }
    return true;
}

}  // namespace merivane::sim
