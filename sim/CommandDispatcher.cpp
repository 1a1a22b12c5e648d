#include "sim/CommandDispatcher.h"

#include "sim/DeviceCommand.h"
#include "sim/FirmwareImage.h"
#include "support/Clock.h"

namespace merivane::sim {
namespace {

ModemIdentity IdentityFor(const DeviceOptions& options) {
    ModemIdentity identity;
    identity.sim = options.sim;
    identity.signal = options.signalQuality;
    if (!options.sim) identity.registration = 0;
    return identity;
}

Reply Answer(bool ok) { return ok ? Reply::Ok() : Reply::Error(); }

}  // namespace

CommandDispatcher::CommandDispatcher(const DeviceOptions& options, DeviceModel& model)
    : options_(options), model_(model), modem_(IdentityFor(options)), rci_(model) {}

void CommandDispatcher::Restarted() {
    consolePaused_ = false;
    upload_ = UploadSession();
}

void CommandDispatcher::FirmwareApplied(const std::string& version) { model_.SetFirmware(version); }

Reply CommandDispatcher::Handle(const Frame& frame) {
    if (options_.signalWalk)
        walk_.Advance(TheClock().NowMs(), modem_.Identity(), model_,
                      options_.product == Product::Korvane);
    switch (frame.kind) {
        case Frame::Kind::Line:
            return HandleLine(frame.text);
        case Frame::Kind::Document:
            return rci_.Execute(frame.text);
        case Frame::Kind::UploadData:
            return HandleUploadData(frame.text);
    }
    return Reply::Error();
}

Reply CommandDispatcher::HandleLine(const std::string& line) {
    if (auto command = DeviceCommand::Parse(line)) return HandleDeviceCommand(*command);
    if (UpperAscii(line) == "AT+CFUN=1") {
        Reply reply = Reply::Ok();
        reply.then = Reply::Then::Reboot;
        return reply;
    }
    const std::string productLine = std::string("Varik ") + ProductName(options_.product);
    if (auto reply = modem_.Answer(line, productLine)) return *reply;
    return Reply::Error();
}

Reply CommandDispatcher::HandleDeviceCommand(const DeviceCommand& command) {
    switch (command.number) {
        case 55:
            return HandleConsole(command);
        case 20:
            return HandleRequest(command);
        case 22: {
            if (command.hasArgument) return Reply::Error();
            Reply reply = Reply::Ok();
            reply.then = Reply::Then::ExpectDocument;
            return reply;
        }
        case 41:
            return HandleDigest(command);
        case 110:
            return command.hasArgument ? Reply::Error() : HandleFirmwareUpdate();
        case 17:
        case 3:
        case 9:
        case 5:
        case 18:
            return HandleUpload(command);
        default:
            break;
    }
    return Reply::Error();
}

Reply CommandDispatcher::HandleConsole(const DeviceCommand& command) {
    const std::string argument = UpperAscii(command.argument);
    if (argument == "PAUSE") {
        consolePaused_ = true;
        return Reply::Ok();
    }
    if (argument == "GO") {
        consolePaused_ = false;
        return Reply::Ok();
    }
    return Reply::Error();
}

Reply CommandDispatcher::HandleRequest(const DeviceCommand& command) {
    const std::string& argument = command.argument;
    if (argument.size() < 2 || argument.front() != '"' || argument.back() != '"')
        return Reply::Error();
    return rci_.Execute(std::string_view(argument).substr(1, argument.size() - 2));
}

Reply CommandDispatcher::HandleDigest(const DeviceCommand& command) {
    const std::optional<std::string> data = model_.Files().Read(command.Unquoted());
    if (!data) return Reply::Error();
    return Reply::Lines({Md5Hex(*data)});
}

Reply CommandDispatcher::HandleFirmwareUpdate() {
    const std::optional<std::string> image = model_.Files().Read(kFirmwareImagePath);
    if (!image) return Reply::Error();
    Reply reply = Reply::Ok();
    reply.then = Reply::Then::UpdateFirmware;
    reply.firmware = FirmwareVersionOf(*image);
    // The updater consumes the image.
    model_.Files().Remove(kFirmwareImagePath);
    return reply;
}

Reply CommandDispatcher::HandleUpload(const DeviceCommand& command) {
    const std::string argument = command.Unquoted();
    switch (command.number) {
        case 17:
            return Answer(upload_.Announce(argument));
        case 3:
            return Answer(upload_.Confirm(argument));
        case 9:
            return Answer(upload_.Name(argument));
        case 18:
            return Answer(upload_.Close(argument));
        default:
            break;
    }
    if (command.hasArgument) return Reply::Error();
    const std::optional<size_t> size = upload_.Open();
    if (!size) return Reply::Error();
    Reply reply = Reply::Ok();
    if (*size == 0) {
        // Nothing to wait for: the empty file is there at once.
        upload_.Store({}, model_.Files());
        return reply;
    }
    reply.then = Reply::Then::ExpectData;
    reply.dataSize = *size;
    return reply;
}

Reply CommandDispatcher::HandleUploadData(std::string data) {
    return Answer(upload_.Store(std::move(data), model_.Files()));
}

}  // namespace merivane::sim
