#!/usr/bin/python3
"""ansible-test sanity without a network. The tests that would run in a
virtual environment made from PyPI run in one made on the system's Python
with Debian's packages instead (python3-voluptuous, python3-yaml,
python3-jinja2, python3-packaging, python3-pycodestyle, yamllint).
Arguments are ansible-test's."""
import atexit
import os
import shutil
import subprocess
import sys
import tempfile

from ansible_test._internal.commands import sanity
from ansible_test._internal.host_configs import VirtualPythonConfig

VENV = os.path.join(tempfile.mkdtemp(prefix='sanity-venv-'), 'venv')
atexit.register(shutil.rmtree, os.path.dirname(VENV), True)
subprocess.run([sys.executable, '-m', 'venv', '--system-site-packages', '--without-pip', VENV], check=True)


def debian_python(args, python, name, coverage=False, minimize=False):
    return VirtualPythonConfig(version=python.version, path=os.path.join(VENV, 'bin', 'python'))


sanity.create_sanity_virtualenv = debian_python
sanity.check_sanity_virtualenv_yaml = lambda python: True  # Debian's PyYAML has libyaml

from ansible_test._internal import main  # noqa: E402

sys.argv[0] = 'ansible-test'
main()
