#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Equipe Vardok <equipe@vardok.example.org>

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: commonserver_cfg
short_description: Sets keys of the [GameServerInfo] section of a commonserver.cfg
version_added: "0.5.0"
description:
  - Writes the given values, or those of a preset file, into the C([GameServerInfo]) section of a game
    server's C(commonserver.cfg), in one transaction, through the installed C(commonserver-cfg) tool.
  - Only values that differ from the file's are written; every other byte of the file stays as it was.
    A second run with the same values changes nothing.
  - The tool keeps the file the same file (owner, group, mode, ACLs, hard links), waits for another
    program that is writing it, and refuses values the game server cannot read (a yes/no key takes
    only 0 or 1); a refused value fails the task with the tool's report, in Portuguese, and nothing is
    written.
options:
  path:
    description: The settings file. It must exist; it is never created.
    type: path
    required: true
  values:
    description:
      - The keys to set and their values, as a mapping. Keys are matched in any case.
      - Booleans become C(1) and C(0), as the yes/no keys take them; numbers and strings are written as
        text. Quote values whose text matters, such as C("010") or C("1.50"), which YAML would read as 8 and 1.5.
      - A key name holding C(=), and a value that is a list or a mapping, fail the task.
      - Mutually exclusive with O(preset).
    type: dict
  preset:
    description:
      - A preset file on the managed host, holding a C([GameServerInfo]) section with some of the keys.
      - Mutually exclusive with O(values).
    type: path
  backup:
    description: Before a change, keep the file's content beside it as C(<file>.YYYYMMDD-HHMMSS.bak).
    type: bool
    default: false
  keep_backups:
    description: With O(backup), keep only this many of the file's backups, the newest.
    type: int
  any_key:
    description:
      - Also accept keys of the section that the editor does not show (C(ServerName), C(Motd) ...), as
        text. Without it such a key fails the task.
    type: bool
    default: false
extends_documentation_fragment:
  - vardok.commonserver.tool
attributes:
  check_mode:
    support: full
    description: Nothing is written; RV(changed) says whether the file would change.
  diff_mode:
    support: full
    description: The change as a unified diff of the file, in its own lines (the tool's C(--dry-run)).
author:
  - Equipe Vardok (@vardok)
'''

EXAMPLES = r'''
- name: Double experience for the weekend
  vardok.commonserver.commonserver_cfg:
    path: /srv/jogo/Data/commonserver.cfg
    values:
      AddExperience: 100
      ItemDropPer: 80
      Trade: true
    backup: true
    keep_backups: 5
  notify: restart game server

- name: Switch to a preset kept on the server
  vardok.commonserver.commonserver_cfg:
    path: /srv/jogo/Data/commonserver.cfg
    preset: /srv/jogo/presets/fim-de-semana.cfg

- name: A key the editor does not show
  vardok.commonserver.commonserver_cfg:
    path: /srv/jogo/Data/commonserver.cfg
    values:
      Motd: Bem-vindo
    any_key: true
'''

RETURN = r'''
changes:
  description: The keys that changed (in check mode, that would change), in the order given.
  returned: always
  type: list
  elements: dict
  contains:
    key:
      description: The key's name.
      type: str
    before:
      description: Its value before; null when the change adds the key.
      type: str
    after:
      description: Its new value.
      type: str
  sample: [{"key": "AddExperience", "before": "50", "after": "100"}]
backup_file:
  description: The copy of the content the change replaced, when O(backup) was asked and the file changed.
  returned: when a backup was kept
  type: str
  sample: /srv/jogo/Data/commonserver.cfg.20261208-220000.bak
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.vardok.commonserver.plugins.module_utils.tool import COMMON_ARGS, run_tool


def pairs(module, values):
    """KEY=VALUE arguments, values as the file holds them: yes/no as 1 and 0,
    nothing as empty. A key with '=' would name another key; a list or a
    mapping has no text the game server reads."""
    result = []
    for key, value in values.items():
        if not key or '=' in key:
            module.fail_json(msg='A chave "%s" não pode ter "=" nem ser vazia. Nada foi gravado.' % key)
        if isinstance(value, (list, dict)):
            module.fail_json(msg='O valor de "%s" é uma lista ou um mapeamento, não um texto. Nada foi gravado.' % key)
        if isinstance(value, bool):
            value = '1' if value else '0'
        result.append('%s=%s' % (key, '' if value is None else value))
    return result


def main():
    module = AnsibleModule(
        argument_spec=dict(
            COMMON_ARGS,
            values=dict(type='dict'),
            preset=dict(type='path'),
            backup=dict(type='bool', default=False),
            keep_backups=dict(type='int'),
        ),
        mutually_exclusive=[('values', 'preset')],
        required_one_of=[('values', 'preset')],
        supports_check_mode=True,
    )
    params = module.params
    if params['keep_backups'] is not None and (not params['backup'] or params['keep_backups'] < 1):
        module.fail_json(msg='keep_backups vai com backup: true e é 1 ou mais.')
    if params['preset'] is not None:
        command, operands = 'apply', [params['path'], params['preset']]
    else:
        command, operands = 'set', [params['path']] + pairs(module, params['values'])
        if len(operands) == 1:
            module.exit_json(changed=False, changes=[])

    # The diff is the tool's own, of the file as it stands: in check mode the
    # run itself; otherwise a dry run right before the change.
    diff = None
    if module.check_mode or module._diff:
        foreseen = run_tool(module, command, ['--dry-run'], operands)
        diff = foreseen['diff']
        if module.check_mode:
            result = foreseen
    if not module.check_mode:
        options = []
        if params['backup']:
            options.append('--backup')
            if params['keep_backups'] is not None:
                options += ['--keep-backups', str(params['keep_backups'])]
        result = run_tool(module, command, options, operands)

    outcome = dict(changed=result['changed'], changes=result['changes'])
    if result['backup']:
        outcome['backup_file'] = result['backup']
    if module._diff and result['changed'] and diff:
        outcome['diff'] = dict(prepared=diff)
    module.exit_json(**outcome)


if __name__ == '__main__':
    main()
