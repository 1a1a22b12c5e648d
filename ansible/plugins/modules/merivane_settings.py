#!/usr/bin/python
# -*- coding: utf-8 -*-
# Settings of Varik devices by binding path, sent only when one differs.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: merivane_settings
short_description: Bring the settings of Varik devices to given values
description:
  - Compares the device's settings with I(settings) and, when any differs, sends them
    all with C(merivane-cli set), waits the 30 seconds the device needs for new settings
    to take effect and checks that the device took every value.
  - When every value matches, nothing is sent and the task reports no change.
  - In check mode the device's settings are read and compared, and nothing is sent.
  - With C(--diff), shows each changed setting as C(PATH=VALUE) before and after.
  - The values may come from a template instead, a file of the kind C(merivane-cli backup)
    writes or one holding only some groups of it (I(template)).
extends_documentation_fragment:
  - merivane.device.cli
  - merivane.device.cli.diff
options:
  settings:
    description:
      - The settings by binding path, such as C(mobile_simple/apn) or
        C(mgmtconnection&index=3/connectionEnabled), and the value each must have.
      - C(true) and C(false) are sent as C(on) and C(off) (YAML reads a bare C(on) as
        C(true)); numbers as their decimal text.
      - A path the device does not have, or one that names a group of settings, fails the
        task before anything is sent.
      - The values of passwords and PINs (a path ending in C(pin) or holding
        C(password) or C(passphrase)) are never logged or returned; results and diffs
        show them as C(********).
      - One of I(settings) and I(template) is required.
    type: dict
  template:
    description:
      - A configuration backup or template on the managed host (an C(rci_request) holding
        C(set_setting) with some or all groups of settings); every setting it holds is
        brought to its value there, as if named in I(settings). Settings the file does not
        hold are left as they are.
    type: path
"""

EXAMPLES = r"""
- name: The same APN and management connection on every device
  merivane.device.merivane_settings:
    all: true
    settings:
      mobile_simple/apn: internet.example
      mgmtconnection&index=3/connectionEnabled: true

- name: The settings of a customer's golden template
  merivane.device.merivane_settings:
    all: true
    template: /srv/merivane/customer-golden.cfg

- name: One device, named by its port
  merivane.device.merivane_settings:
    port: /dev/serial/by-id/usb-Varik_Brivel_BG-310-if00
    settings:
      mobile_simple/apn: internet.example
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
      description: Whether the device's settings were (in check mode, would be) changed.
      type: bool
    changes:
      description: The settings that differed, each with its C(path), C(before) and C(after).
      type: list
      elements: dict
    values:
      description: What the device reports for each path afterwards (not in check mode).
      type: dict
  sample:
    - port: /dev/ttyACM0
      changed: true
      changes:
        - path: mobile_simple/apn
          before: broadband.example
          after: internet.example
      values:
        mobile_simple/apn: internet.example
"""

import xml.etree.ElementTree as ElementTree

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.six import string_types
from ansible_collections.merivane.device.plugins.module_utils.merivane_cli import (
    MUTUALLY_EXCLUSIVE,
    argument_spec,
    finish,
    is_secret_path,
    run_cli,
)


def setting_text(value):
    """The text a value is sent as; None for a value that cannot be one setting."""
    if isinstance(value, bool):
        return "on" if value else "off"
    if isinstance(value, string_types):
        return value
    if isinstance(value, (int, float)):
        return str(value)
    return None


def assignments(settings):
    """PATH=VALUE arguments, in the order given; raises ValueError naming a bad value."""
    if not settings:
        raise ValueError("settings names no setting")
    out = []
    for path, value in settings.items():
        text = setting_text(value)
        if text is None:
            raise ValueError("the value of %s is not text, a number or true/false" % path)
        out.append("%s=%s" % (path, text))
    return out


def template_settings(path):
    """The settings a template file holds, by binding path: each component the element's
    name, with "&attribute=value" of its first attribute; raises ValueError for a file that
    is not a settings request."""
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError) as error:
        raise ValueError("the template %s cannot be read (%s)" % (path, error))
    request = root.find("set_setting") if root.tag == "rci_request" else None
    if request is None:
        raise ValueError("the template %s is not a configuration backup" % path)
    settings = {}

    def collect(element, prefix):
        for child in element:
            component = child.tag
            if child.attrib:
                name, value = next(iter(child.attrib.items()))
                component += "&%s=%s" % (name, value)
            path = prefix + component
            if len(child):
                collect(child, path + "/")
            elif path not in settings:
                settings[path] = child.text or ""

    collect(request, "")
    if not settings:
        raise ValueError("the template %s holds no setting" % path)
    return settings


def hide_secrets(module, settings):
    """Keeps the secret values out of every result, message and log line."""
    for path, value in (settings or {}).items():
        text = setting_text(value)
        if is_secret_path(path) and text:
            module.no_log_values.add(text)


def main():
    module = AnsibleModule(
        argument_spec=argument_spec(settings=dict(type="dict"), template=dict(type="path")),
        mutually_exclusive=MUTUALLY_EXCLUSIVE + [["settings", "template"]],
        required_one_of=[["settings", "template"]],
        supports_check_mode=True,
    )
    settings = module.params["settings"]
    try:
        if module.params["template"]:
            settings = template_settings(module.params["template"])
        hide_secrets(module, settings)
        args = assignments(settings)
    except ValueError as error:
        module.fail_json(msg=str(error))
    finish(module, run_cli(module, "set", args), keys=("values",))


if __name__ == "__main__":
    main()
