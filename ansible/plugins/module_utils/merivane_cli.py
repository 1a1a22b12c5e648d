# -*- coding: utf-8 -*-
# Running merivane-cli --json on the managed host, for the merivane.device modules:
# the command line from the module's options, the per-device JSON documents from its
# output, and failures with the program's own message and exit status.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import re

# The options every module takes (documented in the doc fragment merivane.device.cli).
COMMON_OPTIONS = dict(
    port=dict(type="str"),
    all=dict(type="bool", default=False),
    cli_path=dict(type="path", default="merivane-cli"),
    retries=dict(type="int", default=3),
)
MUTUALLY_EXCLUSIVE = [("port", "all")]


# The settings merivane-cli shows as "********": a path whose last element is named "pin",
# or whose last element's name holds "password" or "passphrase" (the rule of merivane-cli).
_SECRET_NAME = re.compile(r"^pin$|password|passphrase", re.IGNORECASE)

# What a terminal would act on rather than show: C0 controls but tab and line feed, DEL,
# C1 controls and the bidirectional controls.
_CONTROLS = re.compile("[\x00-\x08\x0b-\x1f\x7f-\x9f\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069]")


def is_secret_path(path):
    """True for a setting path that holds a password or PIN."""
    last = str(path).split("/")[-1].split("&", 1)[0]
    return bool(_SECRET_NAME.search(last))


def safe_text(text, keep_line_breaks=False):
    """`text` with the controls a terminal would act on escaped (\\x1b, \\u202e); also
    line feeds unless kept."""
    def escape(match):
        code = ord(match.group(0))
        return "\\x%02x" % code if code < 0x80 else "\\u%04x" % code

    text = _CONTROLS.sub(escape, str(text))
    return text if keep_line_breaks else text.replace("\n", "\\x0a")


def argument_spec(**own):
    """The module's own options with the common ones."""
    spec = dict(COMMON_OPTIONS)
    spec.update(own)
    return spec


class CliFailure(Exception):
    """A run that failed: the program's message, exit status and device documents."""

    def __init__(self, msg, rc, devices=None):
        super(CliFailure, self).__init__(msg)
        self.msg = msg
        self.rc = rc
        self.devices = devices or []


def cli_arguments(params, command, args=(), options=(), check=False):
    """The merivane-cli command line for `command` on the device(s) the options name."""
    argv = [params["cli_path"], "--json", "--retries", str(params["retries"])]
    if params.get("all"):
        argv.append("--all")
    elif params.get("port"):
        argv += ["--port", params["port"]]
    if check:
        argv.append("--check")
    argv += list(options)
    argv.append(command)
    # Arguments that begin with "-" stay arguments.
    argv += ["--"] + [str(arg) for arg in args]
    return argv


def _stderr_message(err):
    """The program's first message on standard error, without its name."""
    for line in (err or "").splitlines():
        line = line.strip()
        if line.startswith("merivane-cli: "):
            line = line[len("merivane-cli: "):]
        if line:
            return safe_text(line)
    return ""


def _device_document(entry):
    """One device's document of a several-device run (a stand-in when it wrote none)."""
    document = entry.get("document")
    if isinstance(document, dict):
        return document
    return dict(
        port=entry.get("port"),
        ok=False,
        exit=entry.get("exit"),
        changed=False,
        error=entry.get("message") or entry.get("result") or "no document",
    )


def read_run(rc, out, err):
    """The device documents of a finished run; CliFailure when it failed."""
    try:
        document = json.loads(out) if (out or "").strip() else None
    except ValueError:
        document = None
    if not isinstance(document, dict):
        # A command line the program refused prints its message only.
        message = _stderr_message(err) or "merivane-cli printed no JSON document"
        raise CliFailure(message, rc if rc else 1)
    if "devices" in document:
        devices = [_device_document(entry) for entry in document["devices"]]
    else:
        devices = [document]
    if rc != 0:
        failed = [device for device in devices if not device.get("ok", False)]
        if "devices" in document:
            message = "; ".join(
                "%s: %s" % (safe_text(device.get("port")), safe_text(device.get("error", "failed")))
                for device in failed
            )
        else:
            message = safe_text(document.get("error") or "") or _stderr_message(err)
        raise CliFailure(message or "merivane-cli failed", rc, devices)
    return devices


def any_changed(devices):
    return any(device.get("changed", False) for device in devices)


def _text(value):
    return "(absent)" if value is None else safe_text(value)


def diffs(devices):
    """Ansible diffs, one per device with changes: "path=value" lines before and after."""
    out = []
    for device in devices:
        changes = device.get("changes") or []
        if not changes:
            continue
        port = safe_text(device.get("port") or "device")
        out.append(
            dict(
                before_header=port,
                after_header=port,
                before="".join("%s=%s\n" % (_text(c["path"]), _text(c["before"])) for c in changes),
                after="".join("%s=%s\n" % (_text(c["path"]), _text(c["after"])) for c in changes),
            )
        )
    return out


def run_cli(module, command, args=(), options=(), changes_device=True):
    """Runs the command (with --check in check mode, when it changes the device) and
    returns the device documents; fails the module with the program's message and exit
    status when it failed."""
    argv = cli_arguments(module.params, command, args, options, changes_device and module.check_mode)
    rc, out, err = module.run_command(argv)
    try:
        return read_run(rc, out, err)
    except CliFailure as failure:
        module.fail_json(
            msg=failure.msg,
            rc=failure.rc,
            cmd=argv,
            stdout=out,
            stderr=err,
            changed=any_changed(failure.devices),
            devices=failure.devices,
        )


def merge_runs(*runs):
    """Per port, the documents of several runs on the same devices as one: changed when
    any run changed it, with all their changes, the later runs' findings winning."""
    merged = {}
    order = []
    for devices in runs:
        for device in devices:
            port = device.get("port")
            if port not in merged:
                merged[port] = dict(device, changes=[])
                order.append(port)
            else:
                merged[port].update((k, v) for k, v in device.items() if k not in ("changed", "changes"))
            merged[port]["changed"] = merged[port].get("changed", False) or device.get("changed", False)
            merged[port]["changes"] = merged[port]["changes"] + list(device.get("changes") or [])
    return [merged[port] for port in order]


def finish(module, devices, keys=(), **extra):
    """Exits with the devices' summary: port, changed, changes and `keys` of each."""
    summary = []
    for device in devices:
        entry = dict(port=device.get("port"), changed=device.get("changed", False))
        entry["changes"] = device.get("changes") or []
        for key in keys:
            entry[key] = device.get(key)
        summary.append(entry)
    result = dict(changed=any_changed(devices), devices=summary)
    if module._diff:
        result["diff"] = diffs(devices)
    result.update(extra)
    module.exit_json(**result)
