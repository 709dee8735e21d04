# -*- coding: utf-8 -*-
# Copyright 2026 Equipe Vardok <equipe@vardok.example.org>

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    # The options every module passes on to commonserver-cfg (module_utils/tool.py).
    DOCUMENTATION = r'''
options:
  wait:
    description: How many seconds to wait for another program that is writing the file (the tool's default is 10).
    type: float
  executable:
    description: The path of C(commonserver-cfg), when it is not on the PATH.
    type: path
notes:
  - The tool C(commonserver-cfg) must be installed on the managed host (package C(commonserver-editor)).
'''
