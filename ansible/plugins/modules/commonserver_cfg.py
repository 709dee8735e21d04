#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Equipe Vardok <equipe@vardok.example.org>

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: commonserver_cfg
short_description: Sets or removes keys of the [GameServerInfo] section of a commonserver.cfg
version_added: "0.5.0"
description:
  - Writes the given values, or those of a preset, into the C([GameServerInfo]) section of a game
    server's C(commonserver.cfg), or removes keys from it, or puts a backup back, in one transaction,
    through the installed C(commonserver-cfg) tool.
  - Only values that differ from the file's are written; every other byte of the file stays as it was.
    A second run with the same values changes nothing.
  - The tool keeps the file the same file (owner, group, mode, ACLs, hard links), waits for another
    program that is writing it, and refuses values the game server cannot read (a yes/no key takes
    only 0 or 1); a refused value fails the task with the tool's reason, in Portuguese, and nothing is
    written.
  - A save of the file that was cut off halfway (a crash, a kill) leaves it refused until it is settled;
    C(interrupted) settles it, alone or before a change.
options:
  path:
    description: The settings file. It must exist; it is never created.
    type: path
    required: true
  values:
    description:
      - The keys to set and their values, as a mapping. Keys are matched in any case (A to Z).
      - A yes/no key takes a boolean, C(1) or C(0), or C(sim) or C(não), and stores C(1) or C(0); numbers and
        strings are written as text, and a boolean given to a text key as C(true) or C(false). Quote values
        whose text matters, such as C("010") or C("1.50"), which YAML would read as 8 and 1.5.
      - Only spaces and tabs around a value are dropped; a control character, a line or paragraph
        separator or a bidirectional formatting character fails the task, wherever it stands.
      - A key name holding C(=), and a value that is a list or a mapping, fail the task.
    type: dict
  remove:
    description:
      - Keys to remove from the section, every line of each; nothing else in the file changes. A key that
        is not there is no change.
    type: list
    elements: str
  preset:
    description:
      - A preset file on the managed host, holding a C([GameServerInfo]) section with some of the keys.
      - In check mode, a preset the play has not delivered yet is reported with a warning, not a failure.
    type: path
  preset_content:
    description:
      - The preset's content itself, from the play (like the C(content) of C(ansible.builtin.copy)), so
        that check mode shows its diff before the preset is on the host.
    type: str
  restore_backup:
    description:
      - A backup of the file (see C(backup)) to put back as the file's content; what it replaces is kept
        as a new backup.
    type: path
  interrupted:
    description:
      - What to do when a save of the file was cut off halfway. C(restore) puts back the content it had
        before (or, where the save finished but left the file aside, puts that in place); C(keep) keeps
        the file as it is (or removes what was left aside).
      - Nothing to settle is no change, and no failure.
    type: str
    choices: [restore, keep]
  backup:
    description: Before a change, keep the file's content beside it as C(<file>.YYYYMMDD-HHMMSS.bak).
    type: bool
    default: false
  keep_backups:
    description: With C(backup), keep only this many of the file's backups, the newest.
    type: int
  force:
    description: Write even when another program holds the file open for writing and does not change it.
    type: bool
    default: false
  validate:
    description:
      - A command to check the new content before anything is written, with C(%s) standing for a private
        copy of it (like the C(validate) of C(ansible.builtin.copy)); when it does not exit with 0 the
        task fails with what it said and nothing is written. No shell runs it.
    type: str
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
    description: Nothing is written; the C(changed) result says whether the file would change.
  diff_mode:
    support: full
    description: The change as a unified diff of the file, in its own lines, of what was written (in check mode, of what would be).
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

- name: A preset from the play, checked by the game server before it is written
  vardok.commonserver.commonserver_cfg:
    path: /srv/jogo/Data/commonserver.cfg
    preset_content: "{{ lookup('file', 'fim-de-semana.cfg') }}"
    validate: /srv/jogo/bin/check-config %s

- name: No message of the day
  vardok.commonserver.commonserver_cfg:
    path: /srv/jogo/Data/commonserver.cfg
    remove: [Motd]
    any_key: true

- name: After a crash, put back what the file held before the save that was cut off
  vardok.commonserver.commonserver_cfg:
    path: /srv/jogo/Data/commonserver.cfg
    interrupted: restore
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
      description: Its new value; null when the change removes the key.
      type: str
  sample: [{"key": "AddExperience", "before": "50", "after": "100"}]
backup_file:
  description: The copy of the content the change replaced, when C(backup) was asked (or a backup was put back) and the file changed.
  returned: when a backup was kept
  type: str
  sample: /srv/jogo/Data/commonserver.cfg.20261208-220000.bak
settled:
  description: The copy an interrupted save left, which C(interrupted) settled (in check mode, would settle).
  returned: when there was one
  type: str
notices:
  description: What the tool said one should know of the save (also given as warnings).
  returned: always
  type: list
  elements: str
'''

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.vardok.commonserver.plugins.module_utils.tool import COMMON_ARGS, run_tool

WHAT = ('values', 'remove', 'preset', 'preset_content', 'restore_backup')


def pairs(module, values):
    """KEY=VALUE arguments: a boolean as "true" or "false", which the tool's
    one yes/no rule stores as 1 and 0 in a yes/no key; nothing as empty. A
    key with '=' would name another key; a list or a mapping has no text the
    game server reads."""
    result = []
    for key, value in values.items():
        if not key or '=' in key:
            module.fail_json(msg='A chave "%s" não pode ter "=" nem ser vazia. Nada foi gravado.' % key)
        if isinstance(value, (list, dict)):
            module.fail_json(msg='O valor de "%s" é uma lista ou um mapeamento, não um texto. Nada foi gravado.' % key)
        if isinstance(value, bool):
            value = 'true' if value else 'false'
        result.append('%s=%s' % (key, '' if value is None else value))
    return result


def change(module):
    """The tool's command for the change asked, its own options, its operands
    and its standard input; None when nothing is to change."""
    params = module.params
    path = params['path']
    if params['values'] is not None:
        return ('set', [], [path] + pairs(module, params['values']), None) if params['values'] else None
    if params['remove'] is not None:
        return ('unset', [], [path] + params['remove'], None) if params['remove'] else None
    if params['preset_content'] is not None:
        return 'apply', [], [path, '-'], params['preset_content']
    if params['preset'] is not None:
        if module.check_mode and not os.path.exists(params['preset']):
            module.warn('O preset "%s" ainda não está no servidor: em check mode, nada a comparar. Entregue-o antes '
                        'nesta mesma execução, ou use preset_content.' % params['preset'])
            return None
        return 'apply', [], [path, params['preset']], None
    if params['restore_backup'] is not None:
        return 'restore', ['--from', params['restore_backup']], [path], None
    return None


def main():
    module = AnsibleModule(
        argument_spec=dict(
            COMMON_ARGS,
            values=dict(type='dict'),
            remove=dict(type='list', elements='str', no_log=False),
            preset=dict(type='path'),
            preset_content=dict(type='str'),
            restore_backup=dict(type='path'),
            interrupted=dict(type='str', choices=['restore', 'keep']),
            backup=dict(type='bool', default=False),
            keep_backups=dict(type='int'),
            force=dict(type='bool', default=False),
            validate=dict(type='str'),
        ),
        mutually_exclusive=[WHAT],
        required_one_of=[WHAT + ('interrupted',)],
        supports_check_mode=True,
    )
    params = module.params
    if params['keep_backups'] is not None and (not params['backup'] or params['keep_backups'] < 1):
        module.fail_json(msg='keep_backups vai com backup: true e é 1 ou mais.')
    if params['validate'] is not None and '%s' not in params['validate']:
        module.fail_json(msg='validate precisa de um comando com %s, que é onde vai o arquivo a validar.')
    check = ['--dry-run'] if module.check_mode else []
    outcome = dict(changed=False, changes=[], notices=[])
    diffs = []

    # A save cut off halfway, settled first: the change then applies to the settled file.
    if params['interrupted']:
        settled = run_tool(module, 'restore', check + (['--discard'] if params['interrupted'] == 'keep' else []),
                           [params['path']], any_key=False)
        if settled['changed']:
            outcome.update(changed=True, settled=settled['copy'])
            if settled['diff']:
                diffs.append(settled['diff'])

    asked = change(module)
    if asked:
        command, options, operands, data = asked
        options = options + check
        if params['backup'] and command != 'restore':
            options.append('--backup')
            if params['keep_backups'] is not None:
                options += ['--keep-backups', str(params['keep_backups'])]
        if params['force']:
            options.append('--force')
        if params['validate'] is not None:
            options += ['--validate', params['validate']]
        # One run: its diff is that of what it wrote (in check mode, would write).
        result = run_tool(module, command, options, operands, data=data, any_key=command != 'restore')
        outcome['changed'] = outcome['changed'] or result['changed']
        outcome['changes'] = result['changes']
        outcome['notices'] = result['notices']
        if result['backup']:
            outcome['backup_file'] = result['backup']
        if result['changed'] and result['diff']:
            diffs.append(result['diff'])
    for notice in outcome['notices']:
        module.warn(notice)
    if module._diff and diffs:
        outcome['diff'] = dict(prepared=''.join(diffs))
    module.exit_json(**outcome)


if __name__ == '__main__':
    main()
