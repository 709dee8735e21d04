# Sourced: only_listed_fonts FOLDER points fontconfig (FONTCONFIG_FILE) at a
# configuration of the machine's own, in FOLDER, that shows the fonts of the
# font packages in packaging/runtime-packages and hides every other font, so
# that the windows are drawn as on a machine with nothing but those packages.
# Returns 1, changing nothing, where dpkg cannot say which files they hold.
only_listed_fonts() {
    local folder=$1 listed package file accepted=""
    listed=$(dirname "${BASH_SOURCE[0]}")/../packaging/runtime-packages
    command -v dpkg-query >/dev/null || return 1
    for package in $(grep '^fonts-' "$listed"); do
        while IFS= read -r file; do
            case $file in
                /usr/share/fonts/*.ttf | /usr/share/fonts/*.otf | /usr/share/fonts/*.t1 | /usr/share/fonts/*.pfb)
                    accepted+="<glob>$file</glob>"
                    # fontconfig looks at the folders too on its way to a file.
                    while file=$(dirname "$file") && [ "$file" != /usr/share ]; do
                        case $accepted in *"<glob>$file</glob>"*) ;; *) accepted+="<glob>$file</glob>" ;; esac
                    done ;;
            esac
        done < <(dpkg-query -L "$package" 2>/dev/null)
    done
    [ -n "$accepted" ] || return 1
    mkdir -p "$folder"
    cat >"$folder/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include ignore_missing="no">/etc/fonts/fonts.conf</include>
  <selectfont>
    <acceptfont>$accepted</acceptfont>
    <rejectfont><glob>*</glob></rejectfont>
  </selectfont>
</fontconfig>
CONF
    export FONTCONFIG_FILE=$folder/fonts.conf
}
