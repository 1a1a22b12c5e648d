#!/usr/bin/python
# -*- coding: utf-8 -*-
# A Python program in the Python folder of Varik devices, and whether it starts at boot.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: merivane_python_file
short_description: Keep a Python file on Varik devices, or keep it off them
description:
  - With I(state=present), sends I(src) into the device's Python folder under its own
    name when the device has no such file or a different one (compared by MD5 digest),
    and checks the device's copy by its digest.
  - With I(state=absent), deletes the file of that name when the device has it.
  - With I(autostart), also switches the device's Python auto-start on (running this file)
    or off; nothing is sent when the device is so already.
  - In check mode the device is asked and compared, and nothing is changed.
extends_documentation_fragment:
  - merivane.device.cli
  - merivane.device.cli.diff
options:
  src:
    description:
      - The file on the managed host. With I(state=absent) only its name counts, and the
        file need not exist.
    type: path
    required: true
  state:
    description:
      - Whether the device has the file.
    type: str
    choices: [present, absent]
    default: present
  autostart:
    description:
      - C(true) runs this file when the device starts (needs I(state=present)); C(false)
        switches Python auto-start off. Left alone when not given.
    type: bool
  autostart_command:
    description:
      - The command line auto-start runs, with I(autostart=true). Default the file's name.
    type: str
"""

EXAMPLES = r"""
- name: The reporting job on every device, started at boot
  merivane.device.merivane_python_file:
    all: true
    src: files/report.py
    autostart: true

- name: An old job gone
  merivane.device.merivane_python_file:
    all: true
    src: old_job.py
    state: absent
"""

RETURN = r"""
devices:
  description: Each device's port, whether it changed, and what changed.
  returned: always
  type: list
  elements: dict
  contains:
    port:
      description: The device's port.
      type: str
    changed:
      description: Whether the device was (in check mode, would be) changed.
      type: bool
    changes:
      description:
        - What differed, each with its C(path), C(before) and C(after) - the device file
          (MD5 digest, C(present) or null for absent) and the settings C(python/state) and
          C(python/command).
      type: list
      elements: dict
  sample:
    - port: /dev/ttyACM0
      changed: true
      changes:
        - path: /WEB/python/report.py
          before: null
          after: 3f0a6e2b1c9d8e7f6a5b4c3d2e1f0a9b
"""

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.merivane.device.plugins.module_utils.merivane_cli import (
    MUTUALLY_EXCLUSIVE,
    argument_spec,
    finish,
    merge_runs,
    run_cli,
)


def planned_runs(params):
    """The merivane-cli commands for the options: (command, arguments, options) each.
    Raises ValueError for options that do not go together."""
    name = os.path.basename(params["src"])
    autostart = params["autostart"]
    if params["state"] == "absent" and autostart:
        raise ValueError("autostart: true needs state: present")
    if params["autostart_command"] is not None and not autostart:
        raise ValueError("autostart_command goes with autostart: true")
    if params["state"] == "present":
        runs = [("upload", [params["src"]], ["--if-changed"])]
    else:
        runs = [("rm", [name], ["--if-present"])]
    if autostart is not None:
        options = ["--command", params["autostart_command"] or name] if autostart else []
        runs.append(("autostart", ["on" if autostart else "off"], options))
    return runs


def main():
    module = AnsibleModule(
        argument_spec=argument_spec(
            src=dict(type="path", required=True),
            state=dict(type="str", choices=["present", "absent"], default="present"),
            autostart=dict(type="bool"),
            autostart_command=dict(type="str"),
        ),
        mutually_exclusive=MUTUALLY_EXCLUSIVE,
        supports_check_mode=True,
    )
    try:
        runs = planned_runs(module.params)
    except ValueError as error:
        module.fail_json(msg=str(error))
    finish(module, merge_runs(*[run_cli(module, *run) for run in runs]))


if __name__ == "__main__":
    main()
