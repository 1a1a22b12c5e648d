# The shared part of the modules: the merivane-cli command line, reading its JSON
# documents and failures, and turning changes into Ansible diffs.

import json

import pytest

from ansible_collections.merivane.device.plugins.module_utils.merivane_cli import (
    CliFailure,
    cli_arguments,
    diffs,
    merge_runs,
    read_run,
)

BASE = dict(cli_path="/opt/merivane-cli", retries=3, port=None, all=False)
HEAD = ["/opt/merivane-cli", "--json", "--retries", "3"]


@pytest.mark.parametrize(
    "params, command, args, options, check, expected",
    [
        ({}, "info", (), (), False, HEAD + ["info", "--"]),
        ({"port": "/dev/ttyACM0"}, "info", (), (), False, HEAD + ["--port", "/dev/ttyACM0", "info", "--"]),
        ({"all": True}, "set", ["a/b=1"], (), True, HEAD + ["--all", "--check", "set", "--", "a/b=1"]),
        # Options before the command, arguments after "--" even when they look like options.
        ({"retries": 0}, "rm", ["-x.py"], ["--if-present"], False,
         ["/opt/merivane-cli", "--json", "--retries", "0", "--if-present", "rm", "--", "-x.py"]),
    ],
)
def test_command_line(params, command, args, options, check, expected):
    assert cli_arguments(dict(BASE, **params), command, args, options, check) == expected


def device(port, ok=True, changed=False, error=None, **more):
    document = dict(command="set", ok=ok, exit=0 if ok else 1, changed=changed, port=port, **more)
    if error:
        document["error"] = error
    return document


def fleet(*entries):
    """A several-device document of (port, exit, message, own document) entries."""
    ok = all(exit_ == 0 for _, exit_, _, _ in entries)
    return dict(command="set", ok=ok, exit=0 if ok else 1, changed=False, devices=[
        dict(port=port, exit=exit_, result="done" if exit_ == 0 else "failed", message=message,
             document=document) for port, exit_, message, document in entries])


@pytest.mark.parametrize(
    "rc, out, err, devices",
    [
        (0, json.dumps(device("/dev/a", changed=True)) + "\n", "", [device("/dev/a", changed=True)]),
        (0, json.dumps(fleet(("/dev/a", 0, "", device("/dev/a")), ("/dev/b", 0, "", device("/dev/b")))), "",
         [device("/dev/a"), device("/dev/b")]),
    ],
)
def test_documents_of_a_run(rc, out, err, devices):
    assert read_run(rc, out, err) == devices


@pytest.mark.parametrize(
    "rc, out, err, msg, expected_rc",
    [
        # The device's own error text and exit status.
        (1, json.dumps(device("/dev/a", ok=False, error="the device did not take a/b=1")), "",
         "the device did not take a/b=1", 1),
        # A refused command line prints no document, only its message.
        (2, "", 'merivane-cli: unknown option "--bogus"\nTry "merivane-cli --help".\n',
         'unknown option "--bogus"', 2),
        (3, json.dumps(dict(device(None, ok=False, error="no device found"), exit=3)), "",
         "no device found", 3),
        # Several devices: each failed one by port, also one whose process wrote nothing.
        (1, json.dumps(fleet(("/dev/a", 0, "", device("/dev/a")),
                             ("/dev/b", 1, "x", device("/dev/b", ok=False, error="refused")),
                             ("/dev/c", 1, "could not be started", None))), "",
         "/dev/b: refused; /dev/c: could not be started", 1),
        # Output that is no document is a failure even with status 0.
        (0, "garbage", "", "merivane-cli printed no JSON document", 1),
    ],
)
def test_failures_carry_the_message_and_exit_status(rc, out, err, msg, expected_rc):
    with pytest.raises(CliFailure) as failure:
        read_run(rc, out, err)
    assert (failure.value.msg, failure.value.rc) == (msg, expected_rc)


def test_diffs_show_each_changed_path_per_device():
    devices = [
        device("/dev/a", changed=True, changes=[
            dict(path="mobile_simple/apn", before="old", after="new"),
            dict(path="/WEB/python/job.py", before=None, after="d41d8cd9"),
        ]),
        device("/dev/b", changes=[]),
    ]
    assert diffs(devices) == [dict(
        before_header="/dev/a", after_header="/dev/a",
        before="mobile_simple/apn=old\n/WEB/python/job.py=(absent)\n",
        after="mobile_simple/apn=new\n/WEB/python/job.py=d41d8cd9\n",
    )]


def test_runs_on_the_same_devices_merge_by_port():
    upload = [device("/dev/a", changed=True, changes=[dict(path="f", before=None, after="1")]),
              device("/dev/b")]
    autostart = [device("/dev/a", autostart="on"),
                 device("/dev/b", changed=True, changes=[dict(path="s", before="off", after="on")])]
    merged = merge_runs(upload, autostart)
    assert [(d["port"], d["changed"], [c["path"] for c in d["changes"]]) for d in merged] == [
        ("/dev/a", True, ["f"]), ("/dev/b", True, ["s"])]
    assert merged[0]["autostart"] == "on"
