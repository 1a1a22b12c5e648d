# The modules as Ansible runs them: their options, the merivane-cli command lines they
# make of them (check mode included), and how the program's documents become results.
# merivane-cli itself answers with prepared documents here; the playbook test runs it.

import importlib
import json
import pathlib
import re

import pytest
import yaml
from ansible.module_utils import basic
from ansible.module_utils.common.text.converters import to_bytes

PACKAGE = "ansible_collections.merivane.device.plugins."
MODULES = ["merivane_info", "merivane_settings", "merivane_python_file", "merivane_firmware"]
CLI = ["/c", "--json", "--retries", "3"]


class Ended(Exception):
    def __init__(self, result, failed):
        super(Ended, self).__init__(result)
        self.result = dict(result, failed=failed)


def run_module(monkeypatch, name, args, answers, check=False, diff=False):
    """Runs the module with `args`; merivane-cli runs answer (rc, document, stderr) in
    turn. Returns the result (with "failed") and the command lines run."""
    argvs = []

    def run_command(self, argv, **kwargs):
        argvs.append(argv)
        rc, out, err = answers[len(argvs) - 1]
        return rc, json.dumps(out) if isinstance(out, dict) else out, err

    def end(failed):
        def _end(self, **result):
            raise Ended(result, failed)
        return _end

    monkeypatch.setattr(basic.AnsibleModule, "run_command", run_command)
    monkeypatch.setattr(basic.AnsibleModule, "exit_json", end(False))
    monkeypatch.setattr(basic.AnsibleModule, "fail_json", end(True))
    module_args = dict(args, cli_path="/c", _ansible_check_mode=check, _ansible_diff=diff)
    monkeypatch.setattr(basic, "_ANSIBLE_ARGS", to_bytes(json.dumps({"ANSIBLE_MODULE_ARGS": module_args})))
    with pytest.raises(Ended) as ended:
        importlib.import_module(PACKAGE + "modules." + name).main()
    return ended.value.result, argvs


def doc(port="/dev/a", ok=True, changed=False, changes=(), **more):
    return dict(command="x", ok=ok, exit=0 if ok else more.pop("exit", 1), changed=changed, port=port,
                changes=list(changes), **more)


APN = dict(path="mobile_simple/apn", before="old", after="new")

# A template holding two groups.
TEMPLATE = pathlib.Path(__file__).with_name("golden.cfg")

CASES = [
    # Check mode and --diff: the device is compared, the diff shown; YAML's on is "on".
    ("merivane_settings", dict(port="/dev/a", settings={"mobile_simple/apn": "new", "x&index=3/on": True,
                                                        "serial/baud": 9600}),
     True, True, [(0, doc(changed=True, changes=[APN]), "")],
     [CLI + ["--port", "/dev/a", "--check", "set", "--", "mobile_simple/apn=new", "x&index=3/on=on",
             "serial/baud=9600"]],
     dict(failed=False, changed=True,
          diff=[dict(before_header="/dev/a", after_header="/dev/a", before="mobile_simple/apn=old\n",
                     after="mobile_simple/apn=new\n")])),
    # The program's message and exit status.
    ("merivane_settings", dict(settings={"no/such": "1"}), False, False,
     [(2, doc(ok=False, exit=2, error="the device has no setting no/such; nothing was sent"), "")],
     [CLI + ["set", "--", "no/such=1"]],
     dict(failed=True, rc=2, msg="the device has no setting no/such; nothing was sent", changed=False)),
    # A template's settings go as if named one by one.
    ("merivane_settings", dict(template=str(TEMPLATE)), False, False, [(0, doc(), "")],
     [CLI + ["set", "--", "mobile_simple/apn=golden.example", "mgmtconnection&index=3/connectionEnabled=on"]],
     dict(failed=False, changed=False)),
    ("merivane_settings", dict(settings={"a": "1"}, template=str(TEMPLATE)), False, False, [], [],
     dict(failed=True, msg="parameters are mutually exclusive: settings|template")),
    ("merivane_settings", dict(settings={"a": [1, 2]}), False, False, [], [],
     dict(failed=True, msg="the value of a is not text, a number or true/false")),
    ("merivane_settings", dict(port="/dev/a", all=True, settings={"a": "1"}), False, False, [], [],
     dict(failed=True, msg="parameters are mutually exclusive: port|all")),
    # Upload when different, then auto-start running the file; one result per device.
    ("merivane_python_file", dict(all=True, src="/srv/job.py", autostart=True), False, False,
     [(0, dict(ok=True, exit=0, changed=False, devices=[dict(port="/dev/a", document=doc())]), ""),
      (0, dict(ok=True, exit=0, changed=True, devices=[
          dict(port="/dev/a", document=doc(changed=True, changes=[dict(path="python/state", before="off",
                                                                       after="on")]))]), "")],
     [CLI + ["--all", "--if-changed", "upload", "--", "/srv/job.py"],
      CLI + ["--all", "--command", "job.py", "autostart", "--", "on"]],
     dict(failed=False, changed=True, devices=[dict(port="/dev/a", changed=True, changes=[
         dict(path="python/state", before="off", after="on")])])),
    ("merivane_python_file", dict(src="job.py", state="absent", autostart=False), True, False,
     [(0, doc(), ""), (0, doc(), "")],
     [CLI + ["--check", "--if-present", "rm", "--", "job.py"], CLI + ["--check", "autostart", "--", "off"]],
     dict(failed=False, changed=False)),
    ("merivane_python_file", dict(src="job.py", state="absent", autostart=True), False, False, [], [],
     dict(failed=True, msg="autostart: true needs state: present")),
    ("merivane_firmware", dict(image="/srv/fw.bin", version="5.0.1.2"), True, False,
     [(0, doc(changed=True, firmware_before="3.2.14.7"), "")],
     [CLI + ["--check", "--yes", "--if-version-not", "5.0.1.2", "firmware", "--", "/srv/fw.bin"]],
     dict(failed=False, changed=True, devices=[dict(port="/dev/a", changed=True, changes=[],
                                                    firmware_before="3.2.14.7", firmware=None)])),
    # Reading changes nothing: check mode reads all the same.
    ("merivane_info", dict(port="/dev/a"), True, False,
     [(0, doc(product="Brivel", firmware="3.2.14.7", imei="35", signal_bars=2), "")],
     [CLI + ["--port", "/dev/a", "info", "--"]],
     dict(failed=False, changed=False)),
    ("merivane_info", dict(), False, False, [(3, "", "merivane-cli: no device found\n")],
     [CLI + ["info", "--"]], dict(failed=True, rc=3, msg="no device found")),
]


@pytest.mark.parametrize("name, args, check, diff, answers, argvs, expected", CASES)
def test_module_runs(monkeypatch, name, args, check, diff, answers, argvs, expected):
    result, ran = run_module(monkeypatch, name, args, answers, check, diff)
    assert ran == argvs
    assert dict((key, result.get(key)) for key in expected) == expected


def test_info_facts_are_per_port(monkeypatch):
    result, _ = run_module(monkeypatch, "merivane_info", dict(all=True), [
        (0, dict(ok=True, exit=0, changed=False, devices=[
            dict(port="/dev/a", document=doc("/dev/a", product="Brivel", imsi="310", registration=1)),
            dict(port="/dev/b", document=doc("/dev/b", product="Korvane", imsi="311", registration=5))]), "")])
    facts = result["ansible_facts"]["merivane_devices"]
    assert sorted(facts) == ["/dev/a", "/dev/b"]
    assert (facts["/dev/b"]["product"], facts["/dev/b"]["imsi"], facts["/dev/b"]["registration"]) == (
        "Korvane", "311", 5)
    assert result["devices"][0]["port"] == "/dev/a"


def documented(name):
    """The module's DOCUMENTATION, EXAMPLES and its options with the doc fragment's."""
    module = importlib.import_module(PACKAGE + "modules." + name)
    fragment = importlib.import_module(PACKAGE + "doc_fragments.cli").ModuleDocFragment
    documentation = yaml.safe_load(module.DOCUMENTATION)
    options = dict(yaml.safe_load(fragment.DOCUMENTATION)["options"])
    options.update(documentation.get("options") or {})
    yaml.safe_load(module.RETURN)
    return documentation, options, yaml.safe_load(module.EXAMPLES)


def argument_spec_of(monkeypatch, name):
    """The argument spec the module gives AnsibleModule."""
    class Captured(Exception):
        pass

    def capture(self, argument_spec, **kwargs):
        raise Captured(argument_spec)

    monkeypatch.setattr(basic.AnsibleModule, "__init__", capture)
    with pytest.raises(Captured) as captured:
        importlib.import_module(PACKAGE + "modules." + name).main()
    return captured.value.args[0]


@pytest.mark.parametrize("name", MODULES)
def test_documentation_matches_the_options(monkeypatch, name):
    documentation, options, examples = documented(name)
    assert documentation["module"] == name
    assert "merivane.device.cli" in documentation["extends_documentation_fragment"]
    spec = argument_spec_of(monkeypatch, name)
    assert sorted(options) == sorted(spec)
    for option, rules in spec.items():
        shown = options[option]
        assert shown.get("type") == rules.get("type"), option
        assert shown.get("default") == rules.get("default"), option
        assert bool(shown.get("required")) == bool(rules.get("required")), option
        assert shown.get("choices") == rules.get("choices"), option
    for task in examples:
        fqcn = "merivane.device." + name
        if fqcn in task:
            assert set(task[fqcn]) <= set(options), task
    assert any("merivane.device." + name in task for task in examples)
    assert re.match(r"^[A-Z]", documentation["short_description"])


def test_secrets_and_controls_never_reach_the_controller(monkeypatch, capsys):
    """A password and a PIN given as settings appear nowhere in what the module returns,
    even when merivane-cli's answer carried them (here: in an error and a change), and a
    device's escape sequence in a message arrives escaped."""
    secrets = {"mobile_simple/password": "hunter2-secret", "mobile_simple/pin": "4711"}
    answer = doc(ok=False, exit=1, changes=[dict(path="mobile_simple/pin", before="1234", after="4711")],
                 error="\x1b]52;c;aGk=\x07 did not take mobile_simple/password=hunter2-secret")
    monkeypatch.setattr(basic.AnsibleModule, "run_command", lambda self, argv, **kw: (1, json.dumps(answer), ""))
    module_args = dict(settings=dict(secrets, **{"mobile_simple/apn": "x"}), cli_path="/c", _ansible_diff=True)
    monkeypatch.setattr(basic, "_ANSIBLE_ARGS", to_bytes(json.dumps({"ANSIBLE_MODULE_ARGS": module_args})))
    with pytest.raises(SystemExit):
        importlib.import_module(PACKAGE + "modules.merivane_settings").main()
    printed = capsys.readouterr().out
    result = json.loads(printed)
    for secret in secrets.values():
        assert secret not in printed
    assert result["msg"].startswith("\\x1b]52;c;aGk=\\x07 did not take")
