# -*- coding: utf-8 -*-
# The options that every merivane.device module takes.

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  port:
    description:
      - The device's serial port on the managed host, such as C(/dev/ttyACM0) or a
        C(/dev/serial/by-id/...) link.
      - Without I(port) and I(all), the one device that discovery finds is used; when it finds
        several, the module fails and nothing is done.
    type: str
  all:
    description:
      - Work on every device that discovery finds on the managed host, in parallel.
    type: bool
    default: false
  cli_path:
    description:
      - The merivane-cli program on the managed host.
    type: path
    default: merivane-cli
  retries:
    description:
      - How often a failed transfer or identification is tried again before the module fails.
    type: int
    default: 3
notes:
  - Runs C(merivane-cli --json) on the managed host; the user needs access to the device's
    serial port (the udev rule that comes with merivane, or group C(dialout)).
  - On a failure the module fails with merivane-cli's message, and I(rc) holds its exit
    status - 1 when the device or a transfer failed, 2 when the input was refused before
    anything was sent, 3 when no device was found (or several, without I(port) or I(all)).
requirements:
  - merivane-cli on the managed host
attributes:
  check_mode:
    description: The device is asked and compared; nothing is sent that changes it.
    support: full
"""

    # For the modules that can change a device: --diff shows each change.
    DIFF = r"""
attributes:
  diff_mode:
    description: Each setting, file or firmware that differs, as C(PATH=VALUE) before and after.
    support: full
"""
