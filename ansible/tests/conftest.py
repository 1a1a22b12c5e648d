# Makes this folder's collection importable as ansible_collections.merivane.device, as
# Ansible imports it on a managed host.

import atexit
import os
import shutil
import sys
import tempfile

COLLECTION = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

_root = tempfile.mkdtemp(prefix="merivane-collections-")
atexit.register(shutil.rmtree, _root, True)
os.makedirs(os.path.join(_root, "ansible_collections", "merivane"))
os.symlink(COLLECTION, os.path.join(_root, "ansible_collections", "merivane", "device"))
sys.path.insert(0, _root)
