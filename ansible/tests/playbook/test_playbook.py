# The collection as a user runs it: built and installed with ansible-galaxy, and
# fleet.yml run with ansible-playbook against localhost, where two merivane-devsim
# devices wait behind pseudo-terminals and the built merivane-cli talks to them. The
# devices' logs show every command they took, so a second run can be shown to send
# nothing.

import json
import os
import re
import signal
import subprocess
import sys

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
COLLECTION = os.path.dirname(os.path.dirname(HERE))
BUILD = os.path.join(os.path.dirname(COLLECTION), "build")
TIME_SCALE = "50"
SET_REQUEST = "<set_setting>"
UPLOAD_START = "AT&USBINTERFACE=17"


def program(variable, built):
    path = os.environ.get(variable) or os.path.join(BUILD, built)
    assert os.access(path, os.X_OK), "%s not built (%s); set %s" % (built, path, variable)
    return path


def commands_taken(log, piece):
    """How many commands containing `piece` a device's log shows it took."""
    with open(log, encoding="utf-8", errors="replace") as lines:
        return sum(1 for line in lines if " -- command " in line and piece in line)


@pytest.fixture(scope="module")
def fleet(tmp_path_factory):
    """Two simulated devices, the installed collection and the playbook's variables."""
    work = tmp_path_factory.mktemp("fleet")
    devsim = program("MERIVANE_DEVSIM", "sim/merivane-devsim")
    environment = dict(os.environ, MERIVANE_TIME_SCALE=TIME_SCALE)
    devices = []
    for name, product in (("ttyA", "brivel"), ("ttyB", "korvane")):
        link = str(work / name)
        process = subprocess.Popen(
            [devsim, "--link", link, "--product", product, "--log", link + ".log"],
            stdout=subprocess.PIPE, env=environment, universal_newlines=True)
        devices.append((link, process))
    try:
        for link, process in devices:
            assert process.stdout.readline().strip() == "READY " + link

        subprocess.run(["ansible-galaxy", "collection", "build", COLLECTION, "--output-path", str(work)],
                       check=True, stdout=subprocess.DEVNULL, timeout=120)
        tarball = str(next(work.glob("merivane-device-*.tar.gz")))
        subprocess.run(["ansible-galaxy", "collection", "install", "--offline", "-p",
                        str(work / "collections"), tarball],
                       check=True, stdout=subprocess.DEVNULL, timeout=120,
                       env=dict(os.environ, ANSIBLE_COLLECTIONS_PATH=str(work / "collections")))

        job = work / "job.py"
        job.write_text("print('report')\n")
        image = work / "image.bin"
        image.write_text("IMAGE version=5.0.1.2\n" + "f" * 20000)
        ports = [link for link, _ in devices]
        yield dict(
            work=work,
            ports=ports,
            logs=[link + ".log" for link in ports],
            cli=program("MERIVANE_CLI", "merivane-cli"),
            variables=dict(
                cli=program("MERIVANE_CLI", "merivane-cli"),
                discovery=";".join("Varik International=" + port for port in ports),
                time_scale=TIME_SCALE,
                apn="fleet.example",
                job=str(job),
                image=str(image),
                ports=ports,
            ),
        )
    finally:
        for _, process in devices:
            process.send_signal(signal.SIGTERM)
            process.wait(timeout=30)


def ansible(fleet, command, *args):
    """Runs ansible-playbook or ansible on localhost without SSH; returns (rc, output)."""
    work = fleet["work"]
    environment = dict(
        os.environ,
        ANSIBLE_COLLECTIONS_PATH=str(work / "collections"),
        ANSIBLE_PYTHON_INTERPRETER=sys.executable,
        ANSIBLE_LOCAL_TEMP=str(work / "ansible-local"),
        ANSIBLE_REMOTE_TEMP=str(work / "ansible-remote"),
        ANSIBLE_NOCOLOR="1",
        ANSIBLE_LOCALHOST_WARNING="false",
        ANSIBLE_INVENTORY_UNPARSED_WARNING="false",
        ANSIBLE_RETRY_FILES_ENABLED="false",
    )
    run = subprocess.run([command, "-i", "localhost,", "-c", "local"] + list(args),
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=environment,
                         universal_newlines=True, timeout=240)
    print(run.stdout)
    return run.returncode, run.stdout


def playbook(fleet, *options, **variables):
    values = dict(fleet["variables"], **variables)
    return ansible(fleet, "ansible-playbook", os.path.join(HERE, "fleet.yml"),
                   "-e", json.dumps(values), *options)


def recap_changed(output):
    found = re.search(r"^localhost\s+:.*\bchanged=(\d+).*\bfailed=(\d+)", output, re.M)
    assert found, output
    assert found.group(2) == "0", output
    return int(found.group(1))


def device_apn(fleet, port):
    run = subprocess.run([fleet["cli"], "--json", "--port", port, "get", "mobile_simple/apn"],
                         stdout=subprocess.PIPE, universal_newlines=True, timeout=60,
                         env=dict(os.environ, MERIVANE_TIME_SCALE=TIME_SCALE))
    return json.loads(run.stdout)["values"]["mobile_simple/apn"]


def taken(fleet):
    return [(commands_taken(log, SET_REQUEST), commands_taken(log, UPLOAD_START)) for log in fleet["logs"]]


def test_a_second_identical_run_changes_nothing_and_check_diff_only_shows(fleet):
    rc, output = playbook(fleet)
    assert rc == 0, output
    # Settings, the job with its auto-start, and the firmware.
    assert recap_changed(output) == 3
    assert [device_apn(fleet, port) for port in fleet["ports"]] == ["fleet.example"] * 2
    before = taken(fleet)
    assert all(sets > 0 and uploads > 0 for sets, uploads in before), before

    rc, output = playbook(fleet)
    assert rc == 0, output
    assert recap_changed(output) == 0
    assert taken(fleet) == before

    rc, output = playbook(fleet, "--check", "--diff", apn="other.example")
    assert rc == 0, output
    assert recap_changed(output) == 1
    for port in fleet["ports"]:
        assert "--- before: %s\n+++ after: %s\n" % (port, port) in output
    assert "-mobile_simple/apn=fleet.example\n+mobile_simple/apn=other.example\n" in output
    assert [device_apn(fleet, port) for port in fleet["ports"]] == ["fleet.example"] * 2
    assert taken(fleet) == before


def test_a_failure_carries_the_programs_message_and_status(fleet):
    arguments = dict(port=fleet["ports"][0], cli_path=fleet["variables"]["cli"], settings={"no/such": "1"})
    rc, output = ansible(fleet, "ansible", "localhost", "-m", "merivane.device.merivane_settings",
                         "-a", json.dumps(arguments))
    assert rc != 0, output
    assert '"msg": "the device has no setting no/such; nothing was sent"' in output
    assert '"rc": 2' in output


def test_the_documentation_of_every_module_renders(fleet):
    modules = ["merivane.device." + name for name in
               ("merivane_info", "merivane_settings", "merivane_python_file", "merivane_firmware")]
    run = subprocess.run(["ansible-doc"] + modules, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         universal_newlines=True, timeout=120,
                         env=dict(os.environ, ANSIBLE_COLLECTIONS_PATH=str(fleet["work"] / "collections")))
    assert run.returncode == 0, run.stdout
    assert run.stdout.count("EXAMPLES:") == len(modules), run.stdout
