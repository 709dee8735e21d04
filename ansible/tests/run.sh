#!/usr/bin/env bash
# The Ansible collection tested as its users meet it: built and installed
# with ansible-galaxy into a scratch folder; ansible-doc shows both modules;
# ansible-test sanity (the tests that run without a network); real
# playbooks against this machine (connection local) with the tool built
# here on the PATH; the README's example playbook twice, the second run
# changing nothing.  Usage: run.sh TOOL EXAMPLE_SETTINGS_FILE
set -euo pipefail
tool=$(realpath "$1")
example=$(realpath "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$(dirname "$tool"):$PATH" HOME="$work/home" ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 \
       ANSIBLE_COLLECTIONS_PATH="$work/collections" ANSIBLE_LOCALHOST_WARNING=0 ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3
mkdir -p "$HOME"

ansible-galaxy collection build "$here" --output-path "$work" >/dev/null
ansible-galaxy collection install -p "$work/collections" "$work"/vardok-commonserver-*.tar.gz >/dev/null

for module in commonserver_cfg commonserver_cfg_info; do
    ansible-doc "vardok.commonserver.$module" | grep -q '^OPTIONS' || { echo "ansible-doc does not show $module"; exit 1; }
done
echo "ansible-doc shows both modules"

python=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
(cd "$work/collections/ansible_collections/vardok/commonserver" &&
    /usr/bin/python3 "$here/tests/sanity-offline.py" sanity --python "$python" \
        --skip-test pylint --skip-test pslint --skip-test shellcheck --skip-test changelog 2>&1 | grep -v '^Running\|locale')

echo "localhost ansible_connection=local" >"$work/inventory"
mkdir "$work/files"
ansible-playbook -i "$work/inventory" "$here/tests/playbooks/integration.yml" \
    -e work="$work/files" -e example="$example" >"$work/integration.log" \
    || { cat "$work/integration.log"; exit 1; }
grep -A2 '^PLAY RECAP' "$work/integration.log"

# The README's example, as printed but for the file's path.
cp "$example" "$work/files/evento.cfg"
for run in first second; do
    ansible-playbook -i "$here/examples/inventory.ini" "$here/examples/fim-de-semana.yml" \
        -e cfg="$work/files/evento.cfg" >"$work/$run.log" || { cat "$work/$run.log"; exit 1; }
done
grep -q 'changed=1 .*failed=0' "$work/first.log" && grep -q 'changed=0 .*failed=0' "$work/second.log" \
    || { cat "$work/first.log" "$work/second.log"; exit 1; }
echo "The example playbook: changed=1, then changed=0"
