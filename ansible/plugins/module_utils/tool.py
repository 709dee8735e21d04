# -*- coding: utf-8 -*-
# Copyright 2026 Equipe Vardok <equipe@vardok.example.org>
"""Runs the installed commonserver-cfg tool, which holds all of the file logic."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json

TOOL = 'commonserver-cfg'

# What every module passes on to the tool.
COMMON_ARGS = dict(
    path=dict(type='path', required=True),
    any_key=dict(type='bool', default=False),
    wait=dict(type='float'),
    executable=dict(type='path'),
)


def run_tool(module, command, options, operands):
    """Runs `commonserver-cfg COMMAND --json OPTIONS -- OPERANDS` and returns
    the JSON object it printed. Fails the task with the tool's own report
    (in Portuguese) when the tool refuses or fails."""
    tool = module.params['executable'] or module.get_bin_path(TOOL, required=True)
    args = [tool, command, '--json'] + options
    if module.params['any_key']:
        args.append('--any-key')
    if module.params['wait'] is not None:
        args += ['--wait', str(module.params['wait'])]
    args += ['--'] + operands
    rc, out, err = module.run_command(args, encoding='utf-8')
    if rc != 0:
        module.fail_json(msg=err.strip() or '%s saiu com %d' % (TOOL, rc), rc=rc, cmd=args, stderr=err)
    try:
        return json.loads(out)
    except ValueError:
        module.fail_json(msg='%s não deu um objeto JSON: %s' % (TOOL, out), rc=rc, cmd=args, stderr=err)
