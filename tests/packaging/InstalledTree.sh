# Checks shared by the install and package tests (sourced): the layout of an installed tree, its
# desktop files and addresses, and the program's tour run from the tree made read-only.
id=org.orlaventis.Orlaventis
fail() { echo "FAIL: $*"; exit 1; }

# check_tree PREFIX [ADDRESS...]: the files every installation holds, valid desktop files, and no
# web address in a text file but the given ones (those the build was configured with) and the
# copyright format's.
check_tree() {
  local p=$1
  shift
  local f size png address
  for f in bin/orlaventis bin/olvtool share/orlaventis/olvf.dat share/orlaventis/olve.dat \
           share/orlaventis/d/olv.dat share/orlaventis/d/olv.lng share/orlaventis/help/index.html \
           share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
           share/icons/hicolor/scalable/apps/$id.svg share/man/man1/orlaventis.1.gz \
           share/man/man1/olvtool.1.gz share/doc/orlaventis/copyright share/doc/orlaventis/changelog.gz; do
    [ -s "$p/$f" ] || fail "missing $f"
  done
  for size in 16 22 24 32 48 64 128 256; do
    png="$p/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -s "$png" ] || fail "missing ${size}x${size} icon"
    # PNG header: width and height as big-endian words at bytes 16 and 20.
    [ "$(od -An -tu1 -j18 -N2 "$png" | awk '{print $1*256+$2}')" = "$size" ] || fail "$png is not ${size} wide"
  done
  [ -z "$(find "$p/share/orlaventis" -name '*.stamp')" ] || fail "build stamps installed"
  zgrep -q -- '--tour' "$p/share/man/man1/orlaventis.1.gz" || fail "orlaventis.1 lacks the options"
  zgrep -q 'Exit status' "$p/share/man/man1/orlaventis.1.gz" || fail "orlaventis.1 lacks the exit codes"
  zgrep -q 'archive extract' "$p/share/man/man1/olvtool.1.gz" || fail "olvtool.1 lacks the verbs"
  desktop-file-validate "$p/share/applications/$id.desktop" || fail "desktop entry invalid"
  appstreamcli validate --no-net "$p/share/metainfo/$id.metainfo.xml" || fail "metainfo invalid"
  while read -r address; do
    case "$address" in https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/) continue ;; esac
    for f in "$@"; do
      if [ "${address#"$f"}" != "$address" ]; then continue 2; fi
    done
    fail "an address nobody gave the build: $address"
  done < <(grep -rIohP '(?<!xmlns=")https?://[^\s"<>]+' "$p" || true)
}

# tour_read_only ROOT PREFIX WORK: makes ROOT read-only, runs PREFIX/bin/orlaventis's tour into
# WORK/tour with no content option, and checks its pictures and that ROOT did not change (root
# ignores permissions, so the tree's listing is compared as well).
tour_read_only() {
  local root=$1 p=$2 work=$3 before after shot
  chmod -R a-w "$root"
  before=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
  mkdir -p "$work/runtime" "$work/home"
  chmod 700 "$work/runtime"
  env -u ORLAVENTIS_DATA HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
    timeout 120 "$p/bin/orlaventis" --tour "$work/tour" --language 44 || fail "installed tour failed"
  for shot in 1-chooser 2-introduction 3-production 4-catalog 5-enamel-fabrics 6-about 7-search; do
    [ -s "$work/tour/$shot.png" ] || fail "tour wrote no $shot.png"
  done
  after=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
  [ "$before" = "$after" ] || { diff <(echo "$before") <(echo "$after") | head; fail "the program wrote into its installed tree"; }
}
