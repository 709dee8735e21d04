#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Equipe Vardok <equipe@vardok.example.org>

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: commonserver_cfg_info
short_description: Reads keys of the [GameServerInfo] section of a commonserver.cfg
version_added: "0.5.0"
description:
  - Reads the C([GameServerInfo]) section of a game server's C(commonserver.cfg) through the installed
    C(commonserver-cfg) tool, by the same rules the game server and the editor read it.
  - Reads only; the file is never written.
options:
  path:
    description: The settings file. It must exist.
    type: path
    required: true
  keys:
    description:
      - The keys to read, matched in any case. A key the file lacks is returned as null.
      - Without it, every key the section holds, in file order.
    type: list
    elements: str
  any_key:
    description:
      - Also accept, in C(keys), keys of the section that the editor does not show (C(ServerName),
        C(Motd) ...). Without it such a key fails the task.
    type: bool
    default: false
extends_documentation_fragment:
  - vardok.commonserver.tool
attributes:
  check_mode:
    support: full
    description: It only reads, in check mode too.
author:
  - Equipe Vardok (@vardok)
'''

EXAMPLES = r'''
- name: Read two keys
  vardok.commonserver.commonserver_cfg_info:
    path: /srv/jogo/Data/commonserver.cfg
    keys: [AddExperience, Trade]
  register: cfg

- name: Say which servers run double experience
  ansible.builtin.debug:
    msg: "{{ inventory_hostname }}: {{ cfg.settings.AddExperience }}"

- name: Everything the section holds
  vardok.commonserver.commonserver_cfg_info:
    path: /srv/jogo/Data/commonserver.cfg
  register: everything
'''

RETURN = r'''
settings:
  description:
    - The values read, by key, in the order asked (without C(keys), in file order).
    - A key the file (or its section) lacks is null; an empty one is an empty string.
  returned: always
  type: dict
  sample: {"AddExperience": "50", "Trade": "1", "MaxZen": null}
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.vardok.commonserver.plugins.module_utils.tool import COMMON_ARGS, run_tool


def main():
    module = AnsibleModule(
        argument_spec=dict(COMMON_ARGS, keys=dict(type='list', elements='str', no_log=False)),
        supports_check_mode=True,
    )
    keys = module.params['keys']
    values = run_tool(module, 'get', [] if keys else ['--all'], [module.params['path']] + (keys or []))
    module.exit_json(changed=False, settings=values)


if __name__ == '__main__':
    main()
