#!/usr/bin/python3
"""Leaves a settings file as a save cut off halfway leaves it: half the new
content over the old, and the save's journal beside it, in the format the
README documents.   Usage: tear.py FILE KEY NEW_VALUE"""
import hashlib
import os
import re
import sys
import urllib.parse

path, key, value = sys.argv[1:4]
old = open(path, 'rb').read()
new = re.sub(rb'(?m)^(' + re.escape(key.encode()) + rb'\s*=).*?(\r?)$', rb'\g<1> ' + value.encode() + rb'\2', old, count=1)
real = os.path.realpath(path)
st = os.stat(real)
sha = lambda data: hashlib.sha256(data).hexdigest().encode()
header = (b'commonserver-editor journal 2\n'
          + b'path ' + urllib.parse.quote(real, safe='').encode() + b'\n'
          + b'identity %d %d\n' % (st.st_dev, st.st_ino)
          + b'old %d ' % len(old) + sha(old) + b'\n'
          + b'new %d ' % len(new) + sha(new) + b'\n\n')
name = '.cse-%s.j' % hashlib.sha256(os.path.basename(real).encode()).hexdigest()[:8]
with open(os.path.join(os.path.dirname(real), name), 'wb') as journal:
    journal.write(header + old + new + b'\nend ' + sha(header) + b'\n')
with open(real, 'r+b') as torn:
    torn.write(new[:len(new) // 2])
