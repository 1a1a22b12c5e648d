#!/usr/bin/python
# -*- coding: utf-8 -*-
# Facts about the Varik devices on the managed host, read with merivane-cli info.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: merivane_info
short_description: Read the identity and signal of Varik devices
description:
  - Reads product, firmware, IMEI, IMSI, ICCID, signal and network registration of the
    device on I(port), or of every device with I(all), through C(merivane-cli info).
  - Changes nothing on the devices.
extends_documentation_fragment:
  - merivane.device.cli
"""

EXAMPLES = r"""
- name: Read every device on the host
  merivane.device.merivane_info:
    all: true

- name: Show the firmware of each device
  ansible.builtin.debug:
    msg: "{{ item.key }} runs {{ item.value.firmware }}"
  loop: "{{ merivane_devices | dict2items }}"
"""

RETURN = r"""
ansible_facts:
  description: The facts, in C(merivane_devices).
  returned: success
  type: dict
  contains:
    merivane_devices:
      description:
        - Per port, the device's product, model, firmware, imei, imsi, iccid, phone_number,
          signal_quality (0-31, 99 unknown), signal_bars of signal_scale, registration
          (as in C(+CREG), 1 home, 5 roaming) and mobile_ip.
      type: dict
      sample:
        /dev/ttyACM0:
          product: Brivel
          firmware: 3.2.14.7
          imei: "353270040000001"
          signal_bars: 2
          signal_scale: 3
devices:
  description: Each device's port and the same facts, in the order they were read.
  returned: success
  type: list
  elements: dict
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.merivane.device.plugins.module_utils.merivane_cli import (
    MUTUALLY_EXCLUSIVE,
    argument_spec,
    run_cli,
)

FACTS = (
    "product", "model", "firmware", "imei", "imsi", "iccid", "phone_number",
    "signal_quality", "signal_bars", "signal_scale", "registration", "mobile_ip",
)


def facts_of(devices):
    """The facts of each device by port."""
    return dict((device.get("port"), dict((key, device.get(key)) for key in FACTS)) for device in devices)


def main():
    module = AnsibleModule(
        argument_spec=argument_spec(),
        mutually_exclusive=MUTUALLY_EXCLUSIVE,
        supports_check_mode=True,
    )
    # Reading changes nothing, so check mode reads too.
    devices = run_cli(module, "info", changes_device=False)
    facts = facts_of(devices)
    module.exit_json(
        changed=False,
        ansible_facts=dict(merivane_devices=facts),
        devices=[dict(facts[device.get("port")], port=device.get("port")) for device in devices],
    )


if __name__ == "__main__":
    main()
