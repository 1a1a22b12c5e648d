#!/usr/bin/python
# -*- coding: utf-8 -*-
# The firmware of Varik devices, updated only where it is not the wanted version.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: merivane_firmware
short_description: Bring Varik devices to a firmware version
description:
  - Updates the device's firmware from I(image) with C(merivane-cli firmware) when the
    device's firmware version is not I(version), and waits (up to five minutes) until the
    device is back.
  - Fails when the device reports another version than I(version) after the update, so that
    an image of the wrong version is not sent again on every run.
  - In check mode the device's version is compared, and nothing is sent.
extends_documentation_fragment:
  - merivane.device.cli
  - merivane.device.cli.diff
options:
  image:
    description:
      - The firmware image on the managed host.
    type: path
    required: true
  version:
    description:
      - The firmware version the image holds, as C(merivane_info) reports it (C(firmware)).
    type: str
    required: true
"""

EXAMPLES = r"""
- name: Firmware 5.0.1.2 on every device
  merivane.device.merivane_firmware:
    all: true
    image: /srv/firmware/brivel-5.0.1.2.bin
    version: 5.0.1.2
"""

RETURN = r"""
devices:
  description: Each device's port, whether it changed, and its firmware before and after.
  returned: always
  type: list
  elements: dict
  contains:
    port:
      description: The device's port.
      type: str
    changed:
      description: Whether the device was (in check mode, would be) updated.
      type: bool
    changes:
      description: The firmware change, with C(path) C(firmware), C(before) and C(after).
      type: list
      elements: dict
    firmware_before:
      description: The version before.
      type: str
    firmware:
      description: The version after the update (only when it was updated).
      type: str
  sample:
    - port: /dev/ttyACM0
      changed: true
      changes:
        - path: firmware
          before: 3.2.14.7
          after: 5.0.1.2
      firmware_before: 3.2.14.7
      firmware: 5.0.1.2
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.merivane.device.plugins.module_utils.merivane_cli import (
    MUTUALLY_EXCLUSIVE,
    argument_spec,
    finish,
    run_cli,
)


def main():
    module = AnsibleModule(
        argument_spec=argument_spec(
            image=dict(type="path", required=True),
            version=dict(type="str", required=True),
        ),
        mutually_exclusive=MUTUALLY_EXCLUSIVE,
        supports_check_mode=True,
    )
    # --yes: the task is the confirmation.
    options = ["--yes", "--if-version-not", module.params["version"]]
    devices = run_cli(module, "firmware", [module.params["image"]], options)
    finish(module, devices, keys=("firmware_before", "firmware"))


if __name__ == "__main__":
    main()
