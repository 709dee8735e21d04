# -*- coding: utf-8 -*-
# Copyright 2026 Equipe Vardok <equipe@vardok.example.org>
"""Runs the installed commonserver-cfg tool, which holds all of the file logic."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os

TOOL = 'commonserver-cfg'

# What every module passes on to the tool.
COMMON_ARGS = dict(
    path=dict(type='path', required=True),
    any_key=dict(type='bool', default=False),
    wait=dict(type='float'),
    executable=dict(type='path'),
)

# What a module offers, in its own options, for what the tool refuses.
ADVICE = {
    'interrupted': 'Use interrupted: restore para pôr de volta o conteúdo de antes, ou interrupted: keep para '
                   'manter o arquivo como está.',
    'finished-aside': 'Use interrupted: restore para pôr esse conteúdo no lugar do arquivo, ou interrupted: keep '
                      'para apagá-lo.',
    'held-open': 'Se esse programa não vai mais gravar o arquivo, use force: true.',
}


def tool_path(module):
    """The tool: the one `executable` names, or the one on the PATH."""
    named = module.params['executable']
    if named:
        if not (os.path.isfile(named) and os.access(named, os.X_OK)):
            module.fail_json(msg='O programa %s indicado em executable, "%s", não existe ou não pode ser executado. '
                                 'Nada foi lido nem gravado.' % (TOOL, named))
        return named
    found = module.get_bin_path(TOOL)
    if not found:
        module.fail_json(msg='O programa %s não está instalado neste servidor (pacote commonserver-editor) nem no '
                             'PATH; indique-o em executable. Nada foi lido nem gravado.' % TOOL)
    return found


def usage(err):
    """The tool's report of a usage mistake, in the module's terms: its reason
    alone, the options it names as this module's."""
    lines = [line for line in err.strip().splitlines() if '--help' not in line]
    reason = '\n'.join(lines)
    if reason.startswith(TOOL + ': '):
        reason = reason[len(TOOL) + 2:]
    for flag, option in (('--any-key', 'any_key: true'), ('--force', 'force: true'), ('--validate', 'validate')):
        reason = reason.replace(flag, option)
    return reason


def run_tool(module, command, options, operands, data=None, any_key=True):
    """Runs `commonserver-cfg COMMAND --json OPTIONS -- OPERANDS` (with `data`
    on its standard input) and returns the JSON it printed. Fails the task
    with the tool's reason, in Portuguese, and this module's own advice when
    the tool refuses or fails."""
    args = [tool_path(module), command, '--json'] + options
    if any_key and module.params['any_key']:
        args.append('--any-key')
    if module.params['wait'] is not None:
        args += ['--wait', str(module.params['wait'])]
    args += ['--'] + operands
    rc, out, err = module.run_command(args, encoding='utf-8', data=data, binary_data=data is not None)
    try:
        result = json.loads(out) if out.strip() else None
    except ValueError:
        result = None
    failure = result if isinstance(result, dict) and result.get('failed') else {}
    if rc != 0 or result is None or failure:
        reason = failure.get('msg') or usage(err) or '%s saiu com %d' % (TOOL, rc)
        advice = ADVICE.get(failure.get('kind'))
        module.fail_json(msg=reason + (' ' + advice if advice else ''), rc=rc, cmd=args, stderr=err)
    return result
