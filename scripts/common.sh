# Shared by run.sh and test.sh: install what is missing, then build.
# Sourced, not run. Both steps are quick when there is nothing to do.

# What the installed program needs (Qt's platform plugins and Portuguese
# texts, the windows' fonts): the list the .deb depends on.
mapfile -t RUNTIME_PACKAGES < <(grep -v '^#' "$(dirname "${BASH_SOURCE[0]}")/../packaging/runtime-packages")

# Debian packages the build and the program need.
PACKAGES=(cmake g++ make qt6-base-dev patch "${RUNTIME_PACKAGES[@]}")

# What the tests add: Ansible for the collection's playbooks, and the
# Python packages its offline sanity tests use in place of PyPI's.
TEST_PACKAGES=(ansible-core python3-voluptuous python3-packaging python3-pycodestyle yamllint)

BUILD_DIR=${BUILD_DIR:-build}

install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build [cmake --build options...]
build() {
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWARNINGS_AS_ERRORS=ON >/dev/null
    cmake --build "$BUILD_DIR" -j2 "$@"
}
